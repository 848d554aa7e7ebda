// The averaged power spectrum of a power window: 60 s of 384 kHz 16-bit mono
// sound (23 040 000 samples) at N = 1024 with the Hanning window, the whole
// stretch in 22 500 frames; and the recompute of a window following the
// cursor at N = 16384 (set-up and one frame). bench/spectrum_vs_scipy.py runs
// the first next to scipy.signal.welch on the same samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "analysis/PowerLayout.h"
#include "analysis/PowerSpectrum.h"
#include "analysis/PowerWindowModel.h"
#include "base/SampleSource.h"
#include "dsp/WindowTable.h"

namespace {

constexpr int64_t kFrames = 60LL * 384000;

// Deterministic noise with a tone as stored 16-bit samples (the same
// generator as spectrum_vs_scipy.py).
const std::vector<uint8_t>& Sound() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(static_cast<size_t>(kFrames) * 2);
    uint32_t x = 12345;
    for (int64_t i = 0; i < kFrames; ++i) {
      x = x * 1664525u + 1013904223u;
      const int v = static_cast<int>(x >> 20) - 2048 + static_cast<int>((i % 97) * 200) - 9600;
      nv::StoreRaw(&b[static_cast<size_t>(2 * i)], 16, v);
    }
    return b;
  }();
  return bytes;
}

void BM_PowerSpectrum60s(benchmark::State& state) {
  const nv::SampleSource src(Sound().data(), kFrames, 1, 16);
  nv::WindowTable w;
  nv::BuildWindowTable(nv::WindowCode::Hanning, 1024, w);
  const double scale = nv::PowerLevelScale(w);
  std::vector<double> levels(512);
  int64_t frames = 0;
  for (auto _ : state) {
    frames = nv::ComputePowerLevels(src, 0, 0, kFrames, 10, w, scale, true, levels.data());
    benchmark::DoNotOptimize(levels.data());
  }
  state.counters["frames"] = static_cast<double>(frames);
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_PowerSpectrum60s)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PowerFollowCursor16384(benchmark::State& state) {
  const nv::SampleSource src(Sound().data(), kFrames, 1, 16);
  nv::PowerSettings s;
  s.fftSize = 16384;
  nv::PowerWindowModel model(s, 0, 0);
  const nv::PowerSoundFormat format{1, 16, 384000, 1000};
  const nv::PowerLayout layout = nv::MakePowerLayout(520 * 15, 180 * 15, 15);
  int64_t cursor = 0;
  for (auto _ : state) {
    cursor = (cursor + 38400) % (kFrames - 16384);
    model.Update(cursor, nv::PowerWindowModel::kNone, true, true, true);
    model.SetUp(format, layout);
    model.Compute(src);
    benchmark::DoNotOptimize(model.Levels().data());
  }
}
BENCHMARK(BM_PowerFollowCursor16384)->Unit(benchmark::kMicrosecond);

}  // namespace
