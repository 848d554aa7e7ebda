// A random user of the core without the desktop: thousands of random actions
// on two documents with the simulated sound device — open a generated sound,
// new, play and stop, detector playback, recording from the simulated input,
// selections, cut, copy, paste, delete, silence, reverse, volume, undo and
// redo, filter, format changes, a power spectrum and a pulse analysis on
// worker threads, marks added, moved and removed, save and reopen. After
// each action it checks that every document's length, mapping, buffers,
// marks, undo history and device state agree, that undo and redo give back
// the exact samples, and that no message says "Out of memory". The rules of
// the desktop hold: the samples do not change while anything plays or a
// pulse analysis reads them.
//
// The seed is printed first; NORVANE_RANDOM_SEED=N replays a run exactly
// (the device moves only when the test says so, and the worker threads'
// results are looked at only after they are joined), NORVANE_RANDOM_ACTIONS
// sets how many actions are run (default 15000) and NORVANE_RANDOM_SECONDS
// bounds the run's time (default 20). A failure names the seed and the
// action.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "TestSupport.h"
#include "analysis/PowerLayout.h"
#include "analysis/PowerWindowModel.h"
#include "analysis/PulseWorker.h"
#include "analysis/WorkerSampleMapping.h"
#include "audio/DetectorPlayback.h"
#include "audio/PlaybackEngine.h"
#include "audio/Recorder.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"
#include "document/CNorvaneDoc.h"
#include "document/DemoRecording.h"
#include "document/SoundFormatEdit.h"
#include "filter/FilterCommand.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

// Answers every question at random and keeps every text.
struct RandomAnswers : MessageSink {
  std::mt19937* rng = nullptr;
  std::vector<std::string> texts;
  void Show(const std::string& text, MessageIcon) override { texts.push_back(text); }
  bool Ask(const std::string& text, MessageIcon icon) override {
    Show(text, icon);
    return (*rng)() % 2 == 0;
  }
};

struct Counting : PlaybackView, DetectorPlaybackView, RecorderView {
  int64_t events = 0;
  void ShowPlaybackStatus(const std::string&) override { ++events; }
  void SetPlaybackCursor(int64_t) override { ++events; }
  void Beep() override { ++events; }
  void ShowDetectorPlaybackStatus(const std::string&) override { ++events; }
  void MoveDetectorLine(int64_t) override { ++events; }
  void ShowDetectorLineStatus() override { ++events; }
  void RefuseDetectorPlayback() override { ++events; }
  void ShowRecordStatus(const std::string&) override { ++events; }
  void RecordingClosed() override { ++events; }
};

// The sound of a document as the undo history must give it back. The format
// of a document without frames is not part of it: a paste into an empty
// document takes the clip's format, and undoing it leaves that format.
struct Snapshot {
  int channels = 0;
  int bits = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const Snapshot& o) const {
    return bytes == o.bytes && (bytes.empty() || (channels == o.channels && bits == o.bits));
  }
};

// A power spectrum computed on a thread of its own through a mapping of its
// own, as a worker reads the samples.
struct PowerJob {
  std::unique_ptr<WorkerSampleMapping> mapping;
  std::unique_ptr<PowerWindowModel> model;
  std::thread thread;
  ~PowerJob() { Join(); }
  bool Running() const { return thread.joinable(); }
  void Join() {
    if (thread.joinable()) thread.join();
  }
};

// One open document with everything that plays, records and analyses it.
struct Slot {
  std::unique_ptr<CNorvaneDoc> doc;
  std::unique_ptr<PlaybackEngine> player;
  std::unique_ptr<DetectorPlayback> detector;
  std::unique_ptr<Recorder> recorder;
  std::unique_ptr<WorkerSampleMapping> pulseMapping;
  std::mutex pulseMutex;
  std::vector<PulseResult> pulses;  // under pulseMutex
  int64_t pulseEndUs = 0;           // the length of the sound analysed
  PulseWorker pulse;
  PowerJob power;
  FrameIndex selA = -1, selB = -1;  // the selection, -1 for none
  ChannelSelection channels = ChannelSelection::Both;
  std::vector<std::optional<Snapshot>> undo, redo;  // what Undo and Redo must give

  // Ends what reads the document (as closing its window does).
  void Close() {
    pulse.StopAndJoin();
    pulseMapping.reset();
    power.Join();
    power.mapping.reset();
    recorder.reset();
    detector.reset();
    player.reset();
    doc.reset();
    undo.clear();
    redo.clear();
    selA = selB = -1;
  }
  ~Slot() { Close(); }
};

class CoreRandomUser : public ::testing::Test {
 protected:
  RandomAnswers answers;
  MessageSink* oldSink = nullptr;
  test::TempDir dir;
  // What the documents of this user share (defaults, numbering, the clip).
  DocumentContext documents;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  Counting views;
  std::mt19937 rng;
  std::vector<SoundFilePath> files;
  Slot slots[2];
  int active = 0;
  int saves = 0;
  std::string where;  // "seed S, action I (name)" for the failure messages
  // What the run did, printed at its end.
  int edits = 0, undoChecks = 0, plays = 0, recordings = 0, powers = 0, pulseRuns = 0, pulsesFound = 0, reopens = 0;

  void SetUp() override {
    answers.rng = &rng;
    oldSink = SetMessageSink(&answers);
  }
  void TearDown() override {
    for (Slot& s : slots) s.Close();
    queue.RunPending();
    SetMessageSink(oldSink);
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  int64_t Pick64(int64_t n) { return n <= 0 ? 0 : std::uniform_int_distribution<int64_t>(0, n - 1)(rng); }
  bool Chance(int percent) { return Pick(100) < percent; }
  Slot& Active() { return slots[active]; }

  // A recording of calls: a 5 ms sweep down from 0.3 to 0.2 times the rate
  // every 50 ms over a little noise, the right channel quieter.
  SoundFilePath Write(const std::string& name, int channels, int bits, int rateHz, double seconds, FileType type) {
    const int64_t frames = static_cast<int64_t>(rateHz * seconds);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(frames * channels * bits / 8));
    for (int64_t k = 0; k < frames; ++k) {
      const double t = static_cast<double>(k) / rateHz, intoCall = std::fmod(t, 0.05);
      const double level = intoCall < 0.005 ? 0.4 * std::sin(2 * M_PI * rateHz * (0.3 - 10 * intoCall) * intoCall)
                                            : 0.002 * static_cast<double>(k * 7919 % 61 - 30) / 30;
      for (int c = 0; c < channels; ++c) {
        const int v = static_cast<int>(level * (c == 0 ? 32767 : 20000));
        if (bits == 8) {
          bytes.push_back(static_cast<uint8_t>(128 + v / 256));
        } else {
          bytes.push_back(static_cast<uint8_t>(v & 0xFF));
          bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
      }
    }
    CNorvaneDoc doc(documents);
    test::FillDocument(doc, channels, bits, rateHz, bytes);
    doc.Marks().Add(static_cast<int32_t>(frames / 3), 40000, true, 3, "call", true, CursorKind::Measurement);
    const SoundFilePath p{(dir.path / name).string(), type};
    if (!doc.Save(p)) ADD_FAILURE() << "cannot write " << p.path;
    return p;
  }

  Snapshot Take(CNorvaneDoc& doc) {
    Snapshot s{doc.Format().nChannels, doc.Format().wBitsPerSample, {}};
    const SampleSource src = doc.Samples();
    if (!src.Empty()) s.bytes.assign(src.Data(), src.Data() + doc.FramesToBytes(doc.FrameCount()));
    return s;
  }

  // The engines of a slot's document, sharing the one playing flag.
  void Attach(Slot& s) {
    auto isPlaying = [this] { return playing; };
    auto setPlaying = [this](bool p) { playing = p; };
    s.player = std::make_unique<PlaybackEngine>(*s.doc, backend, isPlaying, setPlaying, views);
    s.detector = std::make_unique<DetectorPlayback>(*s.doc, backend, isPlaying, setPlaying, views);
    s.recorder = std::make_unique<Recorder>(*s.doc, backend, isPlaying, setPlaying, views);
    s.recorder->SetFreeSpaceProbe([](int) { return int64_t{1} << 40; });
  }

  bool Busy(Slot& s) { return s.pulse.Busy(); }
  // Nothing may change the samples while a device or a pulse analysis uses
  // them; a power spectrum's thread is waited for.
  bool MayEdit(Slot& s) {
    if (!s.doc || playing || Busy(s)) return false;
    s.power.Join();
    s.power.mapping.reset();
    return true;
  }

  PlaybackRequest Request(const Slot& s) {
    PlaybackRequest r;
    if (s.selA >= 0 && s.selB >= 0) {
      r.selectionStart = s.selA;
      r.selectionEnd = s.selB;
    } else if (Chance(50)) {
      r.cursor = Pick64(s.doc->FrameCount() + 1);
    }
    r.firstVisible = Pick64(s.doc->FrameCount() + 1);
    return r;
  }

  // --- actions ---

  void Open() {
    Slot& s = Active();
    s.Close();
    s.doc = std::make_unique<CNorvaneDoc>(documents);
    if (Chance(15)) {
      if (Chance(50)) BuildDemoRecording(*s.doc);
    } else {
      // Read in place until the first change, as the desktop opens files,
      // or copied at once.
      const SoundFilePath& f = files[static_cast<size_t>(Pick(static_cast<int>(files.size())))];
      s.doc->Open(f, {}, Chance(80) ? SampleAccess::InPlaceUntilChanged : SampleAccess::Copy);
    }
    Attach(s);
  }

  void Switch() { active = 1 - active; }

  void Play() {
    Slot& s = Active();
    if (!s.doc) return;
    const bool was = playing;
    if (Chance(30)) {
      FilterDescription f;
      f.order = 2 + Pick(6);
      const int64_t nyquist = DocumentNyquistHz(*s.doc);
      if (Chance(50)) f.lowPassHz = static_cast<int32_t>(1000 + Pick64(std::max<int64_t>(1, nyquist - 2000)));
      else f.highPassHz = static_cast<int32_t>(1000 + Pick64(std::max<int64_t>(1, nyquist - 2000)));
      if (DesignFilterQuietly(f, nyquist).empty())
        s.detector->Play(Request(s), f, 1 + Pick(20), static_cast<int32_t>(15000 + Pick(80000)));
    } else {
      static const double kSpeeds[] = {0.1, 0.25, 0.5, 1.0, 2.0};
      s.doc->SetPlaySpeed(kSpeeds[Pick(5)]);
      s.player->Play(Request(s));
    }
    if (!was && playing) ++plays;
  }

  void Stop() {
    for (Slot& s : slots) {
      if (!s.doc) continue;
      if (s.player->Active()) s.player->Stop();
      if (s.detector->Active()) s.detector->Stop();
      if (s.recorder->Active()) s.recorder->Stop();
    }
  }

  void Device() {
    std::vector<SimulatedAudioStream*> open;
    for (auto& st : backend.streams)
      if (!st->Closed() && !st->Detached()) open.push_back(st.get());
    if (open.empty()) return;
    SimulatedAudioStream& st = *open[static_cast<size_t>(Pick(static_cast<int>(open.size())))];
    switch (Pick(20)) {
      case 0: st.Vanish(); break;
      case 1: st.Overrun(512 * (1 + Pick(16))); break;
      case 2: st.FailWrites(1); break;
      default: {
        st.Complete(1 + Pick(16));
        std::vector<uint8_t> in(static_cast<size_t>(256 * (1 + Pick(64))));
        for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37 + static_cast<size_t>(saves));
        st.Deliver(in);
      }
    }
  }

  void Record() {
    Slot& s = Active();
    if (!MayEdit(s) || !s.doc->MakeWorkFileOwn()) return;
    if (!PrepareRecording(*s.doc, Chance(80) ? InputKind::WaveInput : InputKind::OtherCard,
                          [this](const std::string&) { return Chance(70); }))
      return;
    if (Chance(20)) s.recorder->SetBlockLimit(1 + Pick(30));
    if (s.recorder->Start()) ++recordings;
    s.undo.clear();
    s.redo.clear();
  }

  void Select() {
    Slot& s = Active();
    if (!s.doc) return;
    const FrameIndex n = s.doc->FrameCount();
    if (Chance(15) || n == 0) {
      s.selA = s.selB = -1;
    } else {
      s.selA = Pick64(n + 1);
      s.selB = Chance(30) ? std::min<FrameIndex>(n, s.selA + Pick64(200)) : Pick64(n + 1);
      if (s.selB < s.selA) std::swap(s.selA, s.selB);  // a view keeps its selection in order
    }
    s.channels = ChannelSelectionFromCode(1 + Pick(3));
  }

  // An edit of the samples, checked against the undo history.
  void Edit() {
    Slot& s = Active();
    if (!s.doc) return;
    SoundEditor& ed = s.doc->Editor();
    static const char* const kEdits[] = {"copy", "paste", "cut", "delete", "silence", "reverse", "volume",
                                         "filter", "undo or redo"};
    const int what = std::min(Pick(11), 8);  // undo and redo three times as often
    where += std::string(" ") + kEdits[what];
    if (what == 0) {  // Copy reads only: allowed while playing or analysing
      if (s.selA >= 0) ed.Copy(s.selA, s.selB, s.channels);
      return;
    }
    // The user waits for the analysis now and then, and selects first.
    if (Busy(s) && Chance(60)) Pulses();
    if ((s.selA < 0 || s.selB < 0) && Chance(80)) Select();
    if (!MayEdit(s) || !s.doc->MakeWorkFileOwn()) return;
    const bool hasSelection = s.selA >= 0 && s.selB >= 0;
    const FrameIndex a = hasSelection ? s.selA : Pick64(s.doc->FrameCount() + 1), b = hasSelection ? s.selB : -1;
    if (what != 1 && what != 8 && !hasSelection) return;
    const Snapshot before = Take(*s.doc);
    bool ok = false;
    switch (what) {
      case 1: ok = ed.Paste(a, b, s.channels); break;
      case 2: ok = ed.Copy(a, b, s.channels) && ed.Delete(a, b, s.channels); break;
      case 3: ok = ed.Delete(a, b, s.channels); break;
      case 4: ok = ed.Silence(a, b, s.channels); break;
      case 5: ok = ed.Reverse(a, b, s.channels); break;
      case 6: ok = ed.Volume(a, b, s.channels, Pick(400) - 100); break;
      case 7: {
        FilterDescription f;
        f.order = 1 + Pick(8);
        const int64_t nyquist = DocumentNyquistHz(*s.doc);
        f.highPassHz = Chance(50) ? static_cast<int32_t>(Pick64(nyquist)) : 0;
        f.lowPassHz = Chance(70) ? static_cast<int32_t>(f.highPassHz + Pick64(nyquist - f.highPassHz)) : 0;
        ok = FilterDocumentRange(*s.doc, f, a, b, s.channels);
        if (!ok) {
          ASSERT_EQ(Take(*s.doc), before) << where << ": a refused filter changed the samples";
        }
        break;
      }
      case 8: {  // undo or redo
        const bool undo = Chance(60);
        auto& from = undo ? s.undo : s.redo;
        auto& to = undo ? s.redo : s.undo;
        ok = undo ? ed.Undo() : ed.Redo();
        if (ok && !from.empty()) {
          if (from.back()) {
            ASSERT_EQ(Take(*s.doc), *from.back()) << where << ": " << (undo ? "undo" : "redo")
                                                  << " did not give back the sound";
          }
          from.pop_back();
          to.push_back(before);
          ++undoChecks;
        }
        return;
      }
    }
    if (ok) {
      ++edits;
      s.undo.push_back(before);
      s.redo.clear();
      // Whole frames go with a delete; the edits in place keep the length.
      const FrameIndex framesBefore = s.doc->BytesToFrames(static_cast<int64_t>(before.bytes.size()));
      const bool wholeFrames = s.doc->Format().nChannels == 1 || s.channels == ChannelSelection::Both;
      if ((what == 2 || what == 3) && wholeFrames) {
        ASSERT_EQ(s.doc->FrameCount(), framesBefore - (std::min(b, framesBefore) - std::min(a, framesBefore)))
            << where << ": a delete left the wrong length";
      } else if (what >= 4) {
        ASSERT_EQ(s.doc->FrameCount(), framesBefore) << where << ": an edit in place changed the length";
      }
      // What a delete, silence and reverse of whole frames make of the sound.
      if (wholeFrames && what >= 2 && what <= 5) {
        ASSERT_EQ(Take(*s.doc).bytes, WholeFrameEdit(before, what, std::min(a, framesBefore), std::min(b, framesBefore)))
            << where << ": the edit did not give the sound it promises";
      }
    }
  }

  // Frames [a, b) of `before` deleted (kinds 2 and 3), silenced (4: 128 for
  // 8 bits, 0 for 16) or reversed sample by sample (5: in a stereo sound the
  // channels change places too).
  static std::vector<uint8_t> WholeFrameEdit(const Snapshot& before, int kind, FrameIndex a, FrameIndex b) {
    const size_t sample = static_cast<size_t>(before.bits / 8);
    const size_t from = static_cast<size_t>(a) * sample * static_cast<size_t>(before.channels);
    const size_t to = static_cast<size_t>(b) * sample * static_cast<size_t>(before.channels);
    std::vector<uint8_t> out = before.bytes;
    const auto first = out.begin() + static_cast<std::ptrdiff_t>(from), last = out.begin() + static_cast<std::ptrdiff_t>(to);
    if (kind == 2 || kind == 3) {
      out.erase(first, last);
    } else if (kind == 4) {
      std::fill(first, last, static_cast<uint8_t>(sample == 1 ? 128 : 0));
    } else {
      const size_t n = (to - from) / sample;
      for (size_t k = 0; k < n; ++k)
        std::copy_n(before.bytes.begin() + static_cast<std::ptrdiff_t>(to - (k + 1) * sample), sample,
                    first + static_cast<std::ptrdiff_t>(k * sample));
    }
    return out;
  }

  void Format() {
    Slot& s = Active();
    if (!s.doc || playing) return;
    SoundFormatChoice c = SoundFormatChoiceOf(*s.doc);
    static const int64_t kRates[] = {8000, 22050, 44100, 96000, 250000, 384000, 500000};
    const int what = Pick(4);
    where += " " + std::to_string(what);
    switch (what) {
      case 0: c.rateHz = kRates[Pick(7)]; break;
      case 1: c.timeExpansion = Chance(50) ? 10.0 : 1.0; break;
      case 2:
        c.channels = 1 + Pick(2);
        c.bits = Chance(50) ? 8 : 16;
        break;
      default: c.contents = "random " + std::to_string(Pick(1000));
    }
    if (!CheckSoundFormat(c, *s.doc, {})) return;
    const int channels = s.doc->Format().nChannels, bits = s.doc->Format().wBitsPerSample;
    ApplySoundFormat(*s.doc, c);
    // A new layout of the frames makes the kept sounds another sound's.
    if (s.doc->Format().nChannels != channels || s.doc->Format().wBitsPerSample != bits) {
      s.undo.clear();
      s.redo.clear();
    }
  }

  void Power() {
    Slot& s = Active();
    if (!s.doc || s.doc->FrameCount() == 0) return;
    if (s.power.Running()) {
      s.power.Join();
      const PowerWindowModel& m = *s.power.model;
      ASSERT_EQ(m.Levels().size(), static_cast<size_t>(m.FftSize() / 2)) << where;
      for (double v : m.Levels()) ASSERT_FALSE(std::isnan(v)) << where << ": a power level is not a number";
      s.power.mapping.reset();
      return;
    }
    s.power.mapping = std::make_unique<WorkerSampleMapping>(*s.doc);
    if (s.power.mapping->Failed()) return;
    PowerSettings settings;
    settings.fftSize = 256 << Pick(4);
    const FrameIndex a = Pick64(s.doc->FrameCount()), b = a + Pick64(s.doc->FrameCount() - a + 1);
    s.power.model = std::make_unique<PowerWindowModel>(settings, a, b);
    const WaveFormatEx& f = s.doc->Format();
    s.power.model->SetUp(PowerSoundFormat{f.nChannels, f.wBitsPerSample, f.nSamplesPerSec, s.doc->Info().TimeExpansion()},
                         MakePowerLayout(520 * 15, 180 * 15, 15));
    const SampleSource samples = s.power.mapping->Samples();
    PowerWindowModel* model = s.power.model.get();
    s.power.thread = std::thread([model, samples] { model->Compute(samples); });
    ++powers;
  }

  void Pulses() {
    Slot& s = Active();
    if (!s.doc) return;
    if (s.pulse.Busy()) {
      // The run is stopped, or waited for as its end would arrive; only a
      // whole run places marks, so that a replay makes the same choices.
      const bool stop = Chance(30);
      if (stop) s.pulse.StopAndJoin();
      else s.pulse.Join();
      s.pulseMapping.reset();
      std::lock_guard<std::mutex> lock(s.pulseMutex);
      MarkList::Batch batch(s.doc->Marks());
      pulsesFound += static_cast<int>(s.pulses.size());
      for (const PulseResult& r : s.pulses) {
        ASSERT_GE(r.startUs, 0) << where;
        ASSERT_LE(r.startUs, static_cast<double>(s.pulseEndUs) + 1) << where << ": a pulse after the end of the sound";
      }
      for (size_t i = 0; !stop && i < s.pulses.size() && i < 3; ++i)
        s.doc->Marks().Add(static_cast<int32_t>(s.doc->MicrosecondsToFrames(static_cast<int64_t>(s.pulses[i].startUs))),
                           0, false, 3, "", true, CursorKind::Marking);
      return;
    }
    s.pulseMapping = std::make_unique<WorkerSampleMapping>(*s.doc);
    if (s.pulseMapping->Failed()) {
      s.pulseMapping.reset();
      return;
    }
    PulseRunInput in;
    in.samples = s.pulseMapping->Samples();
    in.rateHz = s.doc->Format().nSamplesPerSec;
    in.timeExpansion = s.doc->Info().TimeExpansion();
    in.startFrame = s.selA;
    in.endFrame = s.selB;
    in.settings.leftChannel = 1;
    in.settings.rightChannel = s.doc->Format().nChannels == 2 && Chance(50) ? 1 : 0;
    in.settings.ampSeparationUs = 100 + Pick(2000);
    in.settings.durTimeUs = 10 + Pick(1000);
    {
      std::lock_guard<std::mutex> lock(s.pulseMutex);
      s.pulses.clear();
    }
    // In the time base the run reads with (a new rate may be set meanwhile).
    s.pulseEndUs = in.Time().FramesToMicroseconds(s.doc->FrameCount());
    PulseCallbacks cb;
    cb.status = [](const std::string&) {};
    cb.result = [&s](PulseResult&& r) {
      std::lock_guard<std::mutex> lock(s.pulseMutex);
      s.pulses.push_back(std::move(r));
    };
    if (s.pulse.Start(in, cb, [] {})) ++pulseRuns;
  }

  void Marks() {
    Slot& s = Active();
    if (!s.doc) return;
    MarkList& marks = s.doc->Marks();
    const FrameIndex n = s.doc->FrameCount();
    const int32_t number = marks.empty() ? -1 : marks[static_cast<size_t>(Pick(static_cast<int>(marks.size())))].number;
    switch (Pick(7)) {
      case 0: {
        MarkPoint p;
        p.position = static_cast<int32_t>(Pick64(n + 1));
        p.inSpectrogram = Chance(50);
        p.value = p.inSpectrogram ? 1000 + Pick(100000) : Pick(20001) - 10000;
        p.channel = 1 + Pick(3);
        p.kind = static_cast<CursorKind>(1 + Pick(3));
        marks.AddFromCursor(p);
        break;
      }
      case 1:
        marks.Add(static_cast<int32_t>(Pick64(n + 1)), Pick(100000), Chance(50), 1 + Pick(3), Chance(50) ? "" : "m",
                  Chance(50), static_cast<CursorKind>(1 + Pick(3)));
        break;
      case 2:
      case 3: {
        if (number < 0) break;
        marks.SetActive(number);
        MarkMoveLimits l;
        l.framesPerStep = 1 + Pick64(n / 50 + 1);
        l.valuePerStep = 1 + Pick(500);
        l.firstVisible = Pick64(n + 1);
        l.lastVisible = std::min<int64_t>(n, l.firstVisible + Pick64(n + 1));
        l.frameCount = n;
        l.minValue = Chance(50) ? 0 : -10000;
        l.maxValue = Chance(50) ? 10000 : 192000;
        for (int k = 1 + Pick(5); k > 0; --k) marks.Move(number, static_cast<MarkStep>(Pick(4)), l);
        break;
      }
      case 4:
        if (number >= 0) marks.Remove(number);
        break;
      case 5:
        marks.SetActive(Chance(20) ? -1 : number);
        break;
      default:
        if (Chance(20)) marks.Clear();
    }
  }

  void SaveAndReopen() {
    Slot& s = Active();
    if (!s.doc || playing || s.recorder->Active()) return;
    static const FileType kTypes[] = {FileType::NorvaneWave, FileType::StandardWave, FileType::NorvaneWaveComp};
    const SoundFilePath target{(dir.path / ("saved" + std::to_string(saves++ % 3) + ".wav")).string(), kTypes[Pick(3)]};
    const Snapshot before = Take(*s.doc);
    const size_t marks = s.doc->Marks().size();
    if (!s.doc->Save(target)) return;
    files.push_back(target);
    if (Chance(50)) return;
    s.Close();
    s.doc = std::make_unique<CNorvaneDoc>(documents);
    ASSERT_TRUE(s.doc->Open(target, {}, SampleAccess::InPlaceUntilChanged)) << where << ": a saved sound does not open again";
    Attach(s);
    ++reopens;
    if (target.type != FileType::NorvaneWaveComp) {
      ASSERT_EQ(Take(*s.doc), before) << where << ": the reopened sound differs from the saved one";
    }
    if (target.type == FileType::NorvaneWave) {
      ASSERT_EQ(s.doc->Marks().size(), marks) << where << ": the reopened marks differ";
    }
  }

  void Act() {
    struct Action {
      const char* name;
      int weight;
      void (CoreRandomUser::*run)();
    };
    static const Action kActions[] = {
        {"open", 1, &CoreRandomUser::Open},    {"switch", 1, &CoreRandomUser::Switch},
        {"play", 2, &CoreRandomUser::Play},    {"stop", 2, &CoreRandomUser::Stop},
        {"device", 4, &CoreRandomUser::Device}, {"record", 1, &CoreRandomUser::Record},
        {"select", 2, &CoreRandomUser::Select}, {"edit", 6, &CoreRandomUser::Edit},
        {"format", 1, &CoreRandomUser::Format}, {"power", 1, &CoreRandomUser::Power},
        {"pulses", 2, &CoreRandomUser::Pulses}, {"marks", 2, &CoreRandomUser::Marks},
        {"save", 1, &CoreRandomUser::SaveAndReopen}};
    int total = 0;
    for (const Action& x : kActions) total += x.weight;
    int pick = Pick(total);
    const Action* chosen = kActions;
    while (pick >= chosen->weight) pick -= (chosen++)->weight;
    where += std::string(" (") + chosen->name + ")";
    (this->*chosen->run)();
    queue.RunPending();
  }

  // What every document promises after any action.
  void Check() {
    bool anyActive = false;
    for (Slot& s : slots) {
      if (!s.doc) continue;
      CNorvaneDoc& doc = *s.doc;
      const FrameIndex n = doc.FrameCount();
      const WaveFormatEx& f = doc.Format();
      ASSERT_GE(n, 0) << where;
      ASSERT_EQ(f.nBlockAlign, f.nChannels * f.wBitsPerSample / 8) << where;
      if (!doc.ReadsInPlace() && !s.recorder->Active()) {
        ASSERT_GE(doc.WorkFile().Size(), doc.FramesToBytes(n)) << where << ": the work file is shorter than the sound";
      }
      // The last buffer holds the end of the sound; without frames it is -1,
      // or 0 for an opened file (a document that holds a sound, if empty).
      if (!s.recorder->Active() && doc.BufferSize() > 0 && n > 0) {
        const int64_t bytes = doc.FramesToBytes(n);
        ASSERT_EQ(doc.LastBufferIndex(), (bytes + doc.BufferSize() - 1) / doc.BufferSize() - 1)
            << where << ": the last buffer does not hold the end of the sound";
      } else if (!s.recorder->Active() && n == 0) {
        ASSERT_TRUE(doc.LastBufferIndex() == -1 || doc.LastBufferIndex() == 0) << where;
      }
      const SampleSource src = doc.Samples();
      ASSERT_EQ(src.Empty() ? 0 : src.Frames(), n) << where << ": the mapping does not hold the sound";
      if (!src.Empty()) {
        ASSERT_EQ(src.Channels(), f.nChannels) << where;
        ASSERT_EQ(src.Bits(), f.wBitsPerSample) << where;
      }
      // Marks: unique numbers below the next one, at most one active.
      std::set<int32_t> numbers;
      int activeMarks = 0;
      for (const MarkRecord& m : doc.Marks()) {
        ASSERT_TRUE(numbers.insert(m.number).second) << where << ": mark number " << m.number << " twice";
        ASSERT_LT(m.number, doc.Marks().NextNumber()) << where;
        activeMarks += m.active != 0;
      }
      ASSERT_LE(activeMarks, 1) << where;
      ASSERT_EQ(activeMarks == 1, doc.Marks().Active() != nullptr) << where;
      // The model of the history follows its depth (steps it did not see are unknown).
      const UndoHistory& h = doc.Editor().History();
      if (s.undo.size() != h.UndoDepth()) s.undo.assign(h.UndoDepth(), std::nullopt);
      if (s.redo.size() != h.RedoDepth()) s.redo.assign(h.RedoDepth(), std::nullopt);
      // A view keeps its selection inside the sound.
      if (s.selB > n) s.selA = s.selB = -1;
      anyActive = anyActive || s.player->Active() || s.detector->Active() || s.recorder->Active();
    }
    ASSERT_EQ(playing, anyActive) << where << ": the playing flag does not follow the devices";
    if (!playing) {
      for (auto& st : backend.streams)
        ASSERT_TRUE(st->Closed() || st->Detached()) << where << ": a device is left open";
    }
    for (const std::string& t : answers.texts)
      ASSERT_EQ(t.find("Out of memory"), std::string::npos) << where << ": " << t;
    answers.texts.clear();
  }
};

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

TEST_F(CoreRandomUser, ThousandsOfRandomActionsKeepEveryDocumentWhole) {
  const char* seedText = std::getenv("NORVANE_RANDOM_SEED");
  const uint32_t seed = seedText && *seedText ? static_cast<uint32_t>(std::strtoul(seedText, nullptr, 10))
                                              : std::random_device{}();
  const int actions = EnvInt("NORVANE_RANDOM_ACTIONS", 15000);
  const int seconds = EnvInt("NORVANE_RANDOM_SECONDS", 20);
  std::printf("core random user: seed %u (replay with NORVANE_RANDOM_SEED=%u)\n", seed, seed);
  std::fflush(stdout);
  rng.seed(seed);
  files = {Write("mono.wav", 1, 16, 44100, 1.0, FileType::NorvaneWave),
           Write("stereo.wav", 2, 16, 96000, 0.6, FileType::NorvaneWave),
           Write("byte.wav", 1, 8, 22050, 1.5, FileType::StandardWave),
           Write("short.wav", 1, 16, 384000, 0.01, FileType::StandardWave),
           Write("fast.wav", 2, 8, 384000, 0.5, FileType::NorvaneWave)};
  ASSERT_FALSE(::testing::Test::HasFailure());
  const auto start = std::chrono::steady_clock::now();
  int step = 0;
  for (; step < actions && std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds); ++step) {
    where = "seed " + std::to_string(seed) + ", action " + std::to_string(step);
    Act();
    if (::testing::Test::HasFatalFailure()) break;
    Check();
    if (::testing::Test::HasFailure()) break;
  }
  if (::testing::Test::HasFailure())
    std::printf("core random user: failed at action %d of seed %u\n", step, seed);
  else
    std::printf("core random user: %d actions without a finding (seed %u)\n", step, seed);
  std::printf("core random user: %d edits, %d undo/redo checked, %d playbacks, %d recordings, %d power spectra, "
              "%d pulse analyses (%d pulses), %d reopened\n",
              edits, undoChecks, plays, recordings, powers, pulseRuns, pulsesFound, reopens);
}

}  // namespace
}  // namespace nv
