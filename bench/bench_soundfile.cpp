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

#include "app/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "document/TempFile.h"
#include "fileformats/ByteOrder.h"

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

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One iteration: cp of a 1 GiB WAVE file into the temporary directory, then
// opening the same file (reading it into the work file there), then saving
// a document of the same file (opened once before) as type 5 there. Before each step dirty pages are written
// back (sync), so that no step pays for another's write-back, and the step's
// source is read once, so that every step copies from the page cache. The
// ratios to cp are the figures that matter.
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
  double cpS = 0, openS = 0, saveS = 0;
  double cpMin = 1e9, openMin = 1e9, saveMin = 1e9;  // the least disturbed runs
  std::vector<double> cpAll, openAll, saveAll;
  for (auto _ : state) {
    Settle();
    Warm(src);
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
    const double cpT = Seconds(t0);
    cpS += cpT;
    cpMin = std::min(cpMin, cpT);
    cpAll.push_back(cpT);
    unlink(cpDst.c_str());
    Settle();
    Warm(src);
    t0 = std::chrono::steady_clock::now();
    auto doc = std::make_unique<nv::CNorvaneDoc>();
    if (!doc->Open(src)) state.SkipWithError("open failed");
    const double openT = Seconds(t0);
    openS += openT;
    openMin = std::min(openMin, openT);
    openAll.push_back(openT);
    doc.reset();
    Settle();
    Warm(saved.WorkFile().Fd());
    t0 = std::chrono::steady_clock::now();
    if (!saved.Save(saveDst, 5)) state.SkipWithError("save failed");
    const double saveT = Seconds(t0);
    saveS += saveT;
    saveMin = std::min(saveMin, saveT);
    saveAll.push_back(saveT);
    doc.reset();
    unlink(saveDst.c_str());
    state.SetIterationTime(cpS + openS + saveS);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["cp_ms"] = 1000 * cpS / n;
  state.counters["open_ms"] = 1000 * openS / n;
  state.counters["save_ms"] = 1000 * saveS / n;
  state.counters["open_per_cp"] = openS / cpS;
  state.counters["save_per_cp"] = saveS / cpS;
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  state.counters["cp_median_ms"] = 1000 * median(cpAll);
  state.counters["open_median_ms"] = 1000 * median(openAll);
  state.counters["save_median_ms"] = 1000 * median(saveAll);
  state.counters["open_per_cp_median"] = median(openAll) / median(cpAll);
  state.counters["save_per_cp_median"] = median(saveAll) / median(cpAll);
  state.counters["open_per_cp_min"] = openMin / cpMin;
  state.counters["save_per_cp_min"] = saveMin / cpMin;
}
BENCHMARK(BM_OpenSaveAgainstCp1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

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
