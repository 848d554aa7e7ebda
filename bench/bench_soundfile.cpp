// Opening and saving a large WAVE file against cp of the same file into the
// same temporary directory, and the anonymous memory used while every sample
// of a 2 GiB file is read through the mapping.
//
//   build/release/bench/norvane-bench --benchmark_filter=OpenSaveAgainstCp512MiB --benchmark_counters_tabular=true
//   build/release/bench/norvane-bench --benchmark_filter=RssWhileReading2GiB
//
// The first runs `norvane-cli info` as a whole process; it looks for the
// program at $NORVANE_CLI, else beside the benchmark's build folder
// (../src/cli/norvane-cli), and leaves that step out when it is missing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageSink.h"
#include "base/SampleSource.h"
#include "document/CNorvaneDoc.h"
#include "base/TempFile.h"
#include "base/ByteOrder.h"

namespace {

// Writes a 16-bit mono 44 100 Hz WAVE file with `dataBytes` of sound.
std::string MakeWave(const std::string& name, int64_t dataBytes) {
  const std::string path = nv::TemporaryDirectory() + "/" + name;
  std::ifstream probe(path, std::ios::binary | std::ios::ate);
  if (probe && probe.tellg() == dataBytes + 44) return path;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  uint8_t h[44] = {};
  std::memcpy(h, "RIFF", 4);
  nv::PutU32(h + 4, static_cast<uint32_t>(36 + dataBytes));
  std::memcpy(h + 8, "WAVEfmt ", 8);
  nv::PutU32(h + 16, 16);
  nv::PutU16(h + 20, 1);
  nv::PutU16(h + 22, 1);
  nv::PutU32(h + 24, 44100);
  nv::PutU32(h + 28, 88200);
  nv::PutU16(h + 32, 2);
  nv::PutU16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  nv::PutU32(h + 40, static_cast<uint32_t>(dataBytes));
  std::fwrite(h, 1, 44, f);
  std::vector<int16_t> block(1 << 20);
  uint32_t x = 12345;
  for (auto& s : block) s = static_cast<int16_t>((x = x * 1664525u + 1013904223u) >> 16);
  for (int64_t left = dataBytes; left > 0;) {
    size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(block.size() * 2)));
    std::fwrite(block.data(), 1, n, f);
    left -= static_cast<int64_t>(n);
  }
  std::fclose(f);
  return path;
}

const int64_t kMiB = int64_t{1} << 20;
const int64_t kGiB = int64_t{1} << 30;

// Reads a whole file once so that the step after it copies from the page
// cache: this machine keeps little page cache, and without this a step may
// read its source from disk while the step it is compared with does not.
void Warm(int fd) {
  std::vector<char> buf(1 << 20);
  for (off_t off = 0;; off += static_cast<off_t>(buf.size()))
    if (pread(fd, buf.data(), buf.size(), off) <= 0) break;
}
// Lets the machine settle after a large write or free: write-back done, and
// a moment for the disk; the next step then starts from the same state as
// every other.
void Settle() {
  sync();
  sleep(2);
}
void Warm(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd >= 0) Warm(fd), close(fd);
}

// What cp does on this system: one copy_file_range of the whole file.
bool KernelCopy(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = in >= 0 && out >= 0;
  while (ok) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
    if (n == 0) break;
    ok = n > 0;
  }
  if (in >= 0) close(in);
  if (out >= 0) close(out);
  return ok;
}

// Runs a program with its output discarded; true when it exited with 0.
bool RunQuiet(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const bool started = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string FindCli() {
  if (const char* env = std::getenv("NORVANE_CLI")) return env;
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "";
  std::string dir(self, static_cast<size_t>(n));
  dir = dir.substr(0, dir.find_last_of('/'));
  const std::string cli = dir + "/../src/cli/norvane-cli";
  return access(cli.c_str(), X_OK) == 0 ? cli : "";
}

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One iteration runs six steps: cp of a 512 MiB WAVE file into the
// temporary directory (a process); `norvane-cli info` of it (a process:
// start, open into the work file there, peak scan, exit); opening it into a
// new document in this process; saving as type 5 there a document opened
// once before from the file (a plain WAVE file: the sound moves from byte 44
// to behind the private forms, a copy between different offsets within a
// page) and one opened from a type-5 copy of it (equal offsets: the copy runs
// in the kernel); and the system call cp makes (copy_file_range of the whole
// file, offset 0 to 0) made from this process, which shows how far cp's own
// times scatter. The steps take turns at going first. Before each step
// dirty pages are written back (sync) and the machine rests a moment, so
// that no step pays for another's write-back, and the step's source is read
// once, so that every step copies from the page cache. The ratios to cp are
// the figures that matter: of the medians, of the fastest runs, and the
// median of each iteration's own ratio.
void BM_OpenSaveAgainstCp512MiB(benchmark::State& state) {
  nv::DocumentContext documents;
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  const std::string src = MakeWave("nvbench-512m.wav", 512 * kMiB);
  const std::string dir = nv::TemporaryDirectory();
  const std::string cpDst = dir + "/nvbench-cp.wav", saveDst = dir + "/nvbench-save.wav";
  const std::string src5 = dir + "/nvbench-512m-5.wav";
  const std::string cli = FindCli();
  // The documents that are saved are opened once, as a user's would be;
  // each iteration opens the file again into a document of its own.
  nv::CNorvaneDoc saved1(documents);
  if (!saved1.Open({src}) || !saved1.Save({src5, nv::FileType::NorvaneWave})) state.SkipWithError("open failed");
  nv::CNorvaneDoc saved5(documents);
  if (!saved5.Open({src5})) state.SkipWithError("open failed");
  enum Step { kCp, kInfo, kOpen, kSave1, kSave5, kKernel, kSteps };
  const char* names[kSteps] = {"cp", "info", "open", "save", "save5", "kcopy"};
  std::vector<double> all[kSteps], ratio[kSteps];
  int turn = 0;
  for (auto _ : state) {
    double t[kSteps] = {};
    for (int k = 0; k < kSteps; ++k) {
      const int step = (k + turn) % kSteps;
      if (step == kInfo && cli.empty()) continue;
      Settle();
      if (step == kSave1) {
        Warm(saved1.WorkFile().Fd());
      } else if (step == kSave5) {
        Warm(saved5.WorkFile().Fd());
      } else {
        Warm(src);
      }
      auto t0 = std::chrono::steady_clock::now();
      bool ok = true;
      switch (step) {
        case kCp: ok = RunQuiet({"cp", src, cpDst}); break;
        case kInfo: ok = RunQuiet({cli, "info", src}); break;
        case kOpen: {
          auto doc = std::make_unique<nv::CNorvaneDoc>(documents);
          ok = doc->Open({src});
          break;
        }
        case kSave1: ok = saved1.Save({saveDst, nv::FileType::NorvaneWave}); break;
        case kSave5: ok = saved5.Save({saveDst, nv::FileType::NorvaneWave}); break;
        default: ok = KernelCopy(src, cpDst); break;
      }
      t[step] = Seconds(t0);
      if (!ok) state.SkipWithError(names[step]);
      unlink(cpDst.c_str());
      unlink(saveDst.c_str());
    }
    ++turn;
    double total = 0;
    for (int k = 0; k < kSteps; ++k) {
      if (k == kInfo && cli.empty()) continue;
      all[k].push_back(t[k]);
      ratio[k].push_back(t[k] / t[kCp]);
      total += t[k];
    }
    state.SetIterationTime(total);
  }
  unlink(src5.c_str());
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  auto least = [](const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); };
  for (int k = 0; k < kSteps; ++k) {
    if (all[k].empty()) continue;
    const std::string n = names[k];
    state.counters[n + "_median_ms"] = 1000 * median(all[k]);
    state.counters[n + "_min_ms"] = 1000 * least(all[k]);
    if (k == kCp) continue;
    state.counters[n + "_per_cp_median"] = median(all[k]) / median(all[kCp]);
    state.counters[n + "_per_cp_min"] = least(all[k]) / least(all[kCp]);
    state.counters[n + "_per_cp_paired"] = median(ratio[k]);
  }
}
BENCHMARK(BM_OpenSaveAgainstCp512MiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

long RssAnonKiB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("RssAnon:", 0) == 0) return std::atol(line.c_str() + 8);
  return -1;
}

// Opens a 2 GiB file and reads every sample through the mapping: the peak
// scan of norvane-cli info and a byte every 64 (every cache line).
void BM_RssWhileReading2GiB(benchmark::State& state) {
  nv::DocumentContext documents;
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  const int64_t bytes = 2 * kGiB;
  const std::string src = MakeWave("nvbench-2g.wav", bytes);
  long peak = 0;
  for (auto _ : state) {
    nv::CNorvaneDoc doc(documents);
    if (!doc.Open({src})) state.SkipWithError("open failed");
    peak = std::max(peak, RssAnonKiB());
    benchmark::DoNotOptimize(doc.Samples().PeakRaw());
    peak = std::max(peak, RssAnonKiB());
    const uint8_t* p = doc.Samples().Data();
    uint64_t sum = 0;
    const int64_t n = doc.FramesToBytes(doc.FrameCount());
    for (int64_t i = 0; i < n; i += 64) {
      sum += p[i];
      if ((i & ((int64_t{1} << 28) - 1)) == 0) peak = std::max(peak, RssAnonKiB());
    }
    benchmark::DoNotOptimize(sum);
    peak = std::max(peak, RssAnonKiB());
  }
  state.counters["RssAnonMiB"] = static_cast<double>(peak) / 1024.0;
}
BENCHMARK(BM_RssWhileReading2GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
