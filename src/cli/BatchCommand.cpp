// norvane-cli batch: one kind of work over every WAVE file of a survey, on a
// pool of threads, resumable (files already done are skipped) and shardable
// (--shard K/N takes the K-th of N fixed shares of the file list, so that
// several machines can divide a survey under a scheduler). A file that fails
// is written with its reason to the errors file and never stops the batch.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "BatchProgress.h"
#include "CliSupport.h"
#ifndef NORVANE_RENDER_PROGRAM
#include "PulseOptions.h"
#include "PulsesTableFile.h"
#include "analysis/PulseAnalysis.h"
#endif
#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "base/WorkerPool.h"
#include "fileformats/SoundFileReader.h"
#include "fileformats/SurveyFiles.h"

namespace nv::cli {
namespace {

namespace fs = std::filesystem;

const char* kBatchUsage =
    "usage: norvane-cli batch pulses PATH... -o OUT.tsv [--jobs N] [--shard K/N] [--errors FILE]\n"
    "                         [the options of pulses, --field among them]\n"
    "       norvane-cli batch render PATH... -o DIR [--jobs N] [--shard K/N] [--errors FILE]\n"
    "                         [the options of render]\n";

// A sound file read for one job: its contents and samples.
struct ReadSound {
  WaveContents contents;
  TempFile work;
  FrameIndex frames = 0;
  const uint8_t* samples = nullptr;
  // After the work on the sound: false with `error` when another program
  // shortened the file meanwhile (the reads past its new end saw silence,
  // so the result does not stand for the file).
  bool StillWhole(std::string& error) const {
    if (!work.SourceShortened()) return true;
    error = kShortenedWhileRead;
    return false;
  }
};

// Reads a WAVE file on a worker thread. The reader's messages are collected
// for this file: on failure they are the reason, otherwise notes.
bool ReadSurveySound(const std::string& path, ReadSound& s, std::string& error,
                     std::vector<std::string>& notes) {
  RecordingMessageSink sink;
  MessageSink* old = SetThreadMessageSink(&sink);
  // Batch work only reads: the sound is read in place, not copied, so a
  // survey needs no room for copies and no time to make them (the reader
  // makes a work file only for a sound it must expand).
  SoundFilePath file{path, FileType::StandardWave};
  const bool ok = ReadSoundFile(file, s.contents, s.work, {}, SampleAccess::InPlace);
  SetThreadMessageSink(old);
  std::string text;
  for (const std::string& t : sink.texts) text += (text.empty() ? "" : " ") + t;
  if (!ok) {
    if (error.empty()) error = text.empty() ? "the file could not be read" : text;
    return false;
  }
  if (!text.empty()) notes.push_back(text);
  const int64_t align = s.contents.format.nBlockAlign;
  const int64_t frames = align > 0 ? s.work.Size() / align : 0;
  if (frames <= 0) {
    error = "The file holds no sound.";
    return false;
  }
  s.frames = std::min<FrameIndex>(frames, kMaxFrames);
  s.samples = s.work.Map(true);
  if (!s.samples) {
    error = "CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno);
    return false;
  }
  s.contents.info.SetTimeExpansion(TimeBase::RepairedExpansion(s.contents.info.TimeExpansion()));
  return true;
}

// One kind of batch work.
class BatchKind {
 public:
  virtual ~BatchKind() = default;
  // Checks the options and prepares the output (main thread); false after a
  // message on standard error.
  virtual bool Prepare(const Args& a) = 0;
  // Resume: the file's result is already there.
  virtual bool AlreadyDone(const SurveyFile& f) const = 0;
  // Does one file (any worker thread). False with `error`.
  virtual bool Process(const SurveyFile& f, std::string& result, int64_t& pulses, std::string& error,
                       std::vector<std::string>& notes) = 0;
  // Takes a finished file's result, in list order, one call at a time.
  virtual bool Commit(const SurveyFile&, const std::string&, bool /*ok*/, std::string& /*error*/) {
    return true;
  }
  // After the last file (also after an interruption); false with `error`.
  virtual bool Finish(std::string& /*error*/) { return true; }
  virtual std::string DefaultErrorsPath(const std::string& shardTag) const = 0;
  virtual bool CountsPulses() const { return false; }
  // Files that would write the same output: false with `error` for the later one.
  virtual bool ClaimOutput(const SurveyFile&, std::string&) { return true; }
};

#ifdef NORVANE_RENDER_PROGRAM
// One PNG per file, named after the file below its argument, in DIR.
class RenderBatch : public BatchKind {
 public:
  bool Prepare(const Args& a) override {
    args_ = a;
    dir_ = a.Get("o");
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (!fs::is_directory(dir_)) {
      std::fprintf(stderr, "Can not create the output folder %s: %s\n", dir_.c_str(),
                   ec ? ec.message().c_str() : "not a folder");
      return false;
    }
    // The options are checked once, before any file.
    RenderInput probe;
    probe.frames = 2147483647;
    std::string error;
    if (!RenderPicture(a, probe, "", 1, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    EnsureGuiApplication();  // on the main thread, before the workers draw
    return true;
  }
  std::string OutputFor(const SurveyFile& f) const {
    return (fs::path(dir_) / fs::path(f.relative).replace_extension(".png")).string();
  }
  bool AlreadyDone(const SurveyFile& f) const override { return fs::exists(OutputFor(f)); }
  bool ClaimOutput(const SurveyFile& f, std::string& error) override {
    auto [it, fresh] = claimed_.emplace(OutputFor(f), f.path);
    if (!fresh) error = "Its picture would have the name of the picture of " + it->second + ".";
    return fresh;
  }
  bool Process(const SurveyFile& f, std::string&, int64_t&, std::string& error,
               std::vector<std::string>& notes) override {
    ReadSound s;
    if (!ReadSurveySound(f.path, s, error, notes)) return false;
    RenderInput in;
    in.format = s.contents.format;
    in.timeExpansion = s.contents.info.TimeExpansion();
    in.frames = s.frames;
    in.samples = s.samples;
    in.views = s.contents.views;
    in.marks = s.contents.marks;
    const std::string out = OutputFor(f);
    std::error_code ec;
    fs::create_directories(fs::path(out).parent_path(), ec);
    // Written under a temporary name and renamed, so that a picture that is
    // there is whole (an interrupted run leaves no half picture behind).
    const std::string part = out + ".part";
    if (!RenderPicture(args_, in, part, 1, error) || !s.StillWhole(error)) {
      std::remove(part.c_str());
      return false;
    }
    if (std::rename(part.c_str(), out.c_str()) != 0) {
      error = "Can not write picture file: " + out + ": " + SystemErrorText(errno);
      std::remove(part.c_str());
      return false;
    }
    return true;
  }
  std::string DefaultErrorsPath(const std::string& shardTag) const override {
    return (fs::path(dir_) / ("errors" + shardTag + ".tsv")).string();
  }

 private:
  Args args_;
  std::string dir_;
  std::map<std::string, std::string> claimed_;
};
#endif

#ifndef NORVANE_RENDER_PROGRAM
// The pulse characteristics analysis of every file into one table (see
// PulsesTableFile for the table and how a run resumes).
class PulsesBatch : public BatchKind {
 public:
  bool Prepare(const Args& a) override {
    if (!options_.Read(a)) return false;
    // The table's folder is made, as a picture folder is.
    const fs::path folder = fs::path(a.Get("o")).parent_path();
    std::error_code ec;
    if (!folder.empty()) fs::create_directories(folder, ec);
    if (!folder.empty() && !fs::is_directory(folder)) {
      std::fprintf(stderr, "Can not create the output folder %s: %s\n", folder.c_str(),
                   ec ? ec.message().c_str() : "not a folder");
      return false;
    }
    std::string error;
    if (!table_.Open(a.Get("o"), error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    return true;
  }
  bool AlreadyDone(const SurveyFile& f) const override { return table_.Done(f.path); }
  bool Process(const SurveyFile& f, std::string& result, int64_t& pulses, std::string& error,
               std::vector<std::string>& notes) override {
    ReadSound s;
    if (!ReadSurveySound(f.path, s, error, notes)) return false;
    PulseRunInput in;
    if (!options_.For(s.contents.views, in.settings, error)) return false;
    in.samples = SampleSource(s.samples, s.frames, s.contents.format);
    in.rateHz = s.contents.format.nSamplesPerSec;
    in.timeExpansion = s.contents.info.TimeExpansion();
    if (!options_.CheckFile(in.rateHz, in.timeExpansion, error)) return false;
    in.startFrame = options_.fromFrame;
    in.endFrame = options_.toFrame;
    std::vector<PulseResult> results;
    PulseCallbacks cb;
    cb.result = [&](PulseResult&& r) { results.push_back(std::move(r)); };
    PulseAnalysis::Run(in, cb);
    if (!s.StillWhole(error)) return false;
    result = PulsesTableFile::Rows(f.path, results);
    pulses = static_cast<int64_t>(results.size());
    return true;
  }
  bool Commit(const SurveyFile& f, const std::string& rows, bool ok, std::string& error) override {
    return !ok || table_.Append(f.path, rows, error);
  }
  bool Finish(std::string& error) override { return table_.Flush(error); }
  std::string DefaultErrorsPath(const std::string& /*shardTag*/) const override {
    return PulsesTableFile::ErrorsPathBeside(table_.Path());
  }
  bool CountsPulses() const override { return true; }

 private:
  PulseOptions options_;
  PulsesTableFile table_;
};
#endif

// Appends lines to the errors file: "file<TAB>reason". Created at the first
// failure; removed at the end when nothing failed.
class ErrorsFile {
 public:
  explicit ErrorsFile(std::string path) : path_(std::move(path)) { std::remove(path_.c_str()); }
  ~ErrorsFile() {
    if (f_) std::fclose(f_);
  }
  void Add(const std::string& file, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_;
    if (!f_) {
      f_ = std::fopen(path_.c_str(), "w");
      if (!f_) {
        std::fprintf(stderr, "Can not write the errors file %s: %s\n", path_.c_str(),
                     SystemErrorText(errno).c_str());
        return;
      }
      std::fputs("file\treason\n", f_);
    }
    std::string r = reason;
    for (char& c : r)
      if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    std::fprintf(f_, "%s\t%s\n", file.c_str(), r.c_str());
    std::fflush(f_);
  }
  size_t Count() const { return count_; }
  const std::string& Path() const { return path_; }

 private:
  std::mutex mutex_;
  std::string path_;
  std::FILE* f_ = nullptr;
  size_t count_ = 0;
};

// The pool of the running batch, for the signal handler.
WorkerPool* g_pool = nullptr;
volatile std::sig_atomic_t g_interrupted = 0;

// The first SIGINT or SIGTERM (a scheduler's time limit sends one before it
// kills) lets the files in hand finish and takes no more, so that the next
// run resumes cleanly; a second one ends the process at once.
void OnInterrupt(int sig) {
  g_interrupted = 1;
  if (g_pool) g_pool->Stop();
  std::signal(sig, SIG_DFL);
}

}  // namespace

int RunBatch(int argc, char** argv) {
  if (argc < 3) return Fail(kBatchUsage);
  const std::string mode = argv[2];
  const Args a = ParseArgs(argc, argv, 3, {"field"});
  std::unique_ptr<BatchKind> kind;
#ifndef NORVANE_RENDER_PROGRAM
  if (mode == "pulses") kind = std::make_unique<PulsesBatch>();
#endif
#ifdef NORVANE_RENDER_PROGRAM
  if (mode == "render") kind = std::make_unique<RenderBatch>();
#elif defined(NORVANE_HAVE_RENDER)
  // Drawing happens in norvane-render, beside this program.
  if (mode == "render") return LaunchRender(argc, argv, 1);
#endif
  if (!kind) return Fail("Unknown batch work '" + mode + "'.\n" + kBatchUsage);
  if (a.positional.empty() || a.Get("o").empty()) return Fail(kBatchUsage);

  long long jobs = 0;
  if (a.Has("jobs")) {
    const auto v = ParseInteger(a.Get("jobs"), "--jobs");
    if (!v) return 1;
    if (*v < 1 || *v > 1024) return Fail("--jobs must lie between 1 and 1024.");
    jobs = *v;
  }
  int shardK = 1, shardN = 1;
  if (a.Has("shard") && !SurveyFiles::ParseShard(a.Get("shard"), shardK, shardN))
    return Fail("--shard must be K/N with 1 <= K <= N, such as 2/8.");
  if (!kind->Prepare(a)) return 1;

  const std::string shardTag =
      shardN > 1 ? "-" + std::to_string(shardK) + "-of-" + std::to_string(shardN) : "";
  ErrorsFile errors(a.Has("errors") ? a.Get("errors") : kind->DefaultErrorsPath(shardTag));

  const SurveyFiles all = SurveyFiles::Collect(a.positional);
  const SurveyFiles mine = all.Shard(shardK, shardN);
  for (const std::string& p : mine.problems) {
    const size_t colon = p.rfind(": ");
    errors.Add(p.substr(0, colon), colon == std::string::npos ? p : p.substr(colon + 2));
  }
  // Outputs are claimed over the whole sorted list, which every share
  // knows: of files whose outputs would collide the first keeps its output,
  // and the share that holds a later one reports it, whatever the shares.
  std::map<std::string, std::string> collisions;
  for (const SurveyFile& f : all.files) {
    std::string error;
    if (!kind->ClaimOutput(f, error)) collisions.emplace(f.path, error);
  }
  std::vector<SurveyFile> todo;
  size_t resumed = 0;
  for (const SurveyFile& f : mine.files) {
    if (auto c = collisions.find(f.path); c != collisions.end()) {
      errors.Add(f.path, c->second);
    } else if (kind->AlreadyDone(f)) {
      ++resumed;
    } else {
      todo.push_back(f);
    }
  }

  BatchProgress progress(todo.size(), BatchProgress::StderrIsTerminal(), kind->CountsPulses());
  struct Result {
    bool ok = false;
    std::string result;
  };
  std::mutex commitMutex;
  std::map<size_t, Result> pending;
  size_t nextCommit = 0;
  std::atomic<size_t> failedNow{0}, processed{0};
  WorkerPool pool;
  g_pool = &pool;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  pool.Run(todo.size(), static_cast<unsigned>(jobs), [&](size_t i) {
    const SurveyFile& f = todo[i];
    Result r;
    int64_t pulses = 0;
    std::string error;
    std::vector<std::string> notes;
    r.ok = kind->Process(f, r.result, pulses, error, notes);
    const bool failed = !r.ok;
    for (const std::string& n : notes) progress.Note(f.path + ": " + n);
    if (failed) {
      errors.Add(f.path, error);
      ++failedNow;
    }
    {
      // Results are taken in list order, so that the output does not depend
      // on which thread finished first.
      std::lock_guard<std::mutex> lock(commitMutex);
      pending[i] = std::move(r);
      for (auto it = pending.find(nextCommit); it != pending.end(); it = pending.find(nextCommit)) {
        std::string commitError;
        if (!kind->Commit(todo[nextCommit], it->second.result, it->second.ok, commitError)) {
          errors.Add(todo[nextCommit].path, commitError);
          pool.Stop();
        }
        pending.erase(it);
        ++nextCommit;
      }
    }
    ++processed;
    progress.FileDone(failed, pulses);
  });
  progress.Finish();
  std::string finishError;
  const bool finished = kind->Finish(finishError);
  if (!finished) std::fprintf(stderr, "%s\n", finishError.c_str());
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  g_pool = nullptr;

  std::string summary = "batch: " + std::to_string(mine.files.size()) + " files";
  if (shardN > 1) summary += " in share " + std::to_string(shardK) + " of " + std::to_string(shardN);
  summary += ", " + std::to_string(processed - failedNow) + " done now, " + std::to_string(resumed) +
             " done before";
  if (all.skipped) summary += ", " + std::to_string(all.skipped) + " other files skipped";
  if (errors.Count()) summary += ", " + std::to_string(errors.Count()) + " failed (see " + errors.Path() + ")";
  std::fprintf(stderr, "%s\n", summary.c_str());
  if (g_interrupted) {
    std::fprintf(stderr, "batch: interrupted; the same command goes on with the files not done.\n");
    return 1;
  }
  if (pool.Stopped() || !finished) return 1;
  return errors.Count() ? 2 : 0;
}

}  // namespace nv::cli
