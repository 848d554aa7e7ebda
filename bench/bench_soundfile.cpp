// Opening and saving large WAVE files against cp of the same file into the
// same temporary directory, and the anonymous memory used while every sample
// of a nearly 4 GiB file is read through the mapping.
//
//   build/release/bench/norvane-bench --benchmark_filter=OpenSaveAgainstCp1GiB
//   build/release/bench/norvane-bench --benchmark_filter=RssWhileReading4GiB
#include <benchmark/benchmark.h>
#include <fcntl.h>
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

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One iteration runs four steps: cp of a 1 GiB WAVE file into the
// temporary directory, opening the same file (reading it into the work file
// there), saving a document of the same file (opened once before) as type 5
// there, and the system call cp makes (copy_file_range of the whole file,
// offset 0 to 0) made from this process, which shows how far cp's own times
// scatter. The steps take turns at going first, so that none always follows
// the same one. Before each step dirty pages are written back (sync),
// so that no step pays for another's write-back, and the step's source is
// read once, so that every step copies from the page cache. The ratios to cp
// are the figures that matter: of the medians, of the fastest runs, and the
// median of each iteration's own ratio.
void BM_OpenSaveAgainstCp1GiB(benchmark::State& state) {
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  const std::string src = MakeWave("nvbench-1g.wav", kGiB);
  const std::string dir = nv::TemporaryDirectory();
  const std::string cpDst = dir + "/nvbench-cp.wav", saveDst = dir + "/nvbench-save.wav";
  const std::string cmd = "cp '" + src + "' '" + cpDst + "'";
  // The document that is saved is opened once, as a user's would be; each
  // iteration opens the file again into a document of its own.
  nv::CNorvaneDoc saved;
  if (!saved.Open(src)) state.SkipWithError("open failed");
  std::vector<double> cpAll, openAll, saveAll, kernelAll, openRatio, saveRatio;
  int turn = 0;
  for (auto _ : state) {
    double t[4] = {};
    for (int k = 0; k < 4; ++k) {
      const int step = (k + turn) % 4;
      Settle();
      if (step == 2) {
        Warm(saved.WorkFile().Fd());
      } else {
        Warm(src);
      }
      auto t0 = std::chrono::steady_clock::now();
      if (step == 0) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
        t[0] = Seconds(t0);
        unlink(cpDst.c_str());
      } else if (step == 1) {
        auto doc = std::make_unique<nv::CNorvaneDoc>();
        if (!doc->Open(src)) state.SkipWithError("open failed");
        t[1] = Seconds(t0);
      } else if (step == 2) {
        if (!saved.Save(saveDst, nv::FileType::NorvaneWave)) state.SkipWithError("save failed");
        t[2] = Seconds(t0);
        unlink(saveDst.c_str());
      } else {
        if (!KernelCopy(src, cpDst)) state.SkipWithError("copy_file_range failed");
        t[3] = Seconds(t0);
        unlink(cpDst.c_str());
      }
    }
    ++turn;
    cpAll.push_back(t[0]);
    openAll.push_back(t[1]);
    saveAll.push_back(t[2]);
    kernelAll.push_back(t[3]);
    openRatio.push_back(t[1] / t[0]);
    saveRatio.push_back(t[2] / t[0]);
    state.SetIterationTime(t[0] + t[1] + t[2] + t[3]);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  auto least = [](const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); };
  state.counters["cp_median_ms"] = 1000 * median(cpAll);
  state.counters["open_median_ms"] = 1000 * median(openAll);
  state.counters["save_median_ms"] = 1000 * median(saveAll);
  state.counters["cp_min_ms"] = 1000 * least(cpAll);
  state.counters["open_min_ms"] = 1000 * least(openAll);
  state.counters["save_min_ms"] = 1000 * least(saveAll);
  state.counters["kcopy_median_ms"] = 1000 * median(kernelAll);
  state.counters["kcopy_min_ms"] = 1000 * least(kernelAll);
  state.counters["open_per_cp_median"] = median(openAll) / median(cpAll);
  state.counters["save_per_cp_median"] = median(saveAll) / median(cpAll);
  state.counters["open_per_cp_min"] = least(openAll) / least(cpAll);
  state.counters["save_per_cp_min"] = least(saveAll) / least(cpAll);
  state.counters["open_per_cp_paired"] = median(openRatio);
  state.counters["save_per_cp_paired"] = median(saveRatio);
}
BENCHMARK(BM_OpenSaveAgainstCp1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

long RssAnonKiB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("RssAnon:", 0) == 0) return std::atol(line.c_str() + 8);
  return -1;
}

void BM_RssWhileReading4GiB(benchmark::State& state) {
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  const int64_t bytes = 4 * kGiB - 4096;
  const std::string src = MakeWave("nvbench-4g.wav", bytes);
  long peak = 0;
  for (auto _ : state) {
    nv::CNorvaneDoc doc;
    if (!doc.Open(src)) state.SkipWithError("open failed");
    peak = std::max(peak, RssAnonKiB());
    const uint8_t* p = doc.MapSamples(true);
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
BENCHMARK(BM_RssWhileReading4GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
