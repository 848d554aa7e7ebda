// The spectrogram of a screen whose columns lie farther apart than the
// frames, the old way (one frame per column, ComputeSpectrogramColumns) and
// the new (every frame of a column, SpectrogramPeaks): 384 kHz sound with a
// 5 ms call every 100 ms in noise, on a plot of 1500 columns and 300 rows
// (N = 512 by the automatic rule), at the default span of 15 s and at a
// whole-hour zoom. The new way is measured cold (a new cache: the first
// paint), from the columns kept by the previous paint (a repaint), and for
// the hour also after a paint whose columns lay elsewhere (from the cached
// blocks).
// One thread unless the name says otherwise.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "plot/SpectrogramColumns.h"
#include "plot/SpectrogramPeaks.h"
#include "plot/SpectrogramSetup.h"

namespace {

constexpr int kColumns = 1500;
constexpr int kRows = 300;
constexpr int64_t kRateHz = 384000;

// One second: noise with ten 5 ms sweeps from 80 to 35 kHz.
std::vector<int16_t> CallSecond() {
  std::vector<int16_t> s(static_cast<size_t>(kRateHz));
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0.0, 150.0);
  for (auto& v : s) v = static_cast<int16_t>(noise(rng));
  const int64_t length = kRateHz / 200;
  const double seconds = static_cast<double>(length) / kRateHz;
  for (int c = 0; c < 10; ++c) {
    for (int64_t n = 0; n < length; ++n) {
      const double t = static_cast<double>(n) / kRateHz;
      const double phase = 2 * M_PI * (80000.0 * t - 45000.0 * t * t / (2 * seconds));
      s[static_cast<size_t>(c * kRateHz / 10 + n)] += static_cast<int16_t>(16000.0 * std::sin(phase));
    }
  }
  return s;
}

// `seconds` of the call second over and over, in an anonymous mapping.
class Sound {
 public:
  explicit Sound(int64_t seconds) : frames_(seconds * kRateHz), bytes_(static_cast<size_t>(frames_) * 2) {
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    data_ = p == MAP_FAILED ? nullptr : static_cast<int16_t*>(p);
    const std::vector<int16_t> second = CallSecond();
    for (int64_t s = 0; data_ && s < seconds; ++s)
      std::memcpy(data_ + s * kRateHz, second.data(), second.size() * 2);
  }
  ~Sound() {
    if (data_) munmap(data_, bytes_);
  }
  nv::SoundSource Source() const {
    return nv::SoundSource{reinterpret_cast<const uint8_t*>(data_), static_cast<int32_t>(frames_), 1, 16,
                           kRateHz, 1000};
  }

 private:
  int64_t frames_;
  size_t bytes_;
  int16_t* data_ = nullptr;
};

struct Screen {
  nv::SpectrogramSetup setup;
  nv::ColumnStretch stretch;
};

Screen ScreenOf(const nv::SoundSource& source, int64_t spanUs) {
  nv::PlotGeometry g;
  g.scale = nv::PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = kColumns * 15;
  g.spectBottom = 0;
  g.spectHeight = kRows * 15;
  nv::AnalysisSettings st;
  st.timePerPlotUs = spanUs;
  st.firstVisibleSample = 0;
  Screen s;
  s.setup = nv::MakeSpectrogramSetup(source, st, g);
  s.stretch = nv::ColumnStretch{0, s.setup.lastVisibleSample, 0, (kColumns - 1) * 15, 0};
  return s;
}

const Sound& DefaultSound() {
  static const Sound sound(15);
  return sound;
}
const Sound& HourSound() {
  static const Sound sound(3600);
  return sound;
}

enum class Way { kOld, kNewCold, kNewRepaint, kNewFromBlocks };

void Run(benchmark::State& state, const Sound& sound, int64_t spanUs, Way way) {
  const nv::SoundSource source = sound.Source();
  const Screen screen = ScreenOf(source, spanUs);
  const auto threads = static_cast<unsigned>(state.range(0));
  nv::SpectrogramColumns out;
  nv::SpectrogramPeaks kept;
  if (way == Way::kNewRepaint) kept.Compute(screen.setup, source, screen.stretch, out, threads);
  if (way == Way::kNewFromBlocks) {
    // The whole sound seen before in columns that start elsewhere (a third
    // of a column later).
    nv::ColumnStretch other = screen.stretch;
    other.firstSample += screen.setup.samplesPerColumn / 3;
    other.lastSample = source.frameCount;
    kept.Compute(screen.setup, source, other, out, threads);
  }
  for (auto _ : state) {
    if (way == Way::kOld) {
      nv::ComputeSpectrogramColumns(screen.setup, source, screen.stretch, out, threads);
    } else if (way == Way::kNewCold) {
      nv::SpectrogramPeaks fresh;
      fresh.Compute(screen.setup, source, screen.stretch, out, threads);
    } else {
      kept.Compute(screen.setup, source, screen.stretch, out, threads);
    }
    benchmark::DoNotOptimize(out.levels.data());
    benchmark::ClobberMemory();
  }
  state.counters["N"] = screen.setup.fftSize;
  state.counters["samples_per_column"] = screen.setup.samplesPerColumn;
}

void BM_PeaksDefaultSpanOld(benchmark::State& s) { Run(s, DefaultSound(), 15000000, Way::kOld); }
void BM_PeaksDefaultSpanNew(benchmark::State& s) { Run(s, DefaultSound(), 15000000, Way::kNewCold); }
void BM_PeaksDefaultSpanRepaint(benchmark::State& s) {
  Run(s, DefaultSound(), 15000000, Way::kNewRepaint);
}
constexpr int64_t kHourUs = int64_t{3600} * 1000000;
void BM_PeaksHourOld(benchmark::State& s) { Run(s, HourSound(), kHourUs, Way::kOld); }
void BM_PeaksHourNew(benchmark::State& s) { Run(s, HourSound(), kHourUs, Way::kNewCold); }
void BM_PeaksHourRepaint(benchmark::State& s) { Run(s, HourSound(), kHourUs, Way::kNewRepaint); }
void BM_PeaksHourFromBlocks(benchmark::State& s) { Run(s, HourSound(), kHourUs, Way::kNewFromBlocks); }

BENCHMARK(BM_PeaksDefaultSpanOld)->Arg(1)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksDefaultSpanNew)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksDefaultSpanRepaint)->Arg(1)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksHourOld)->Arg(1)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksHourNew)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksHourRepaint)->Arg(1)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeaksHourFromBlocks)->Arg(1)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
