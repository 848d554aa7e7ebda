// Spectrogram levels against the bare transforms they need: 1920 columns of
// a 512-row spectrogram at N = 1024 with automatic overlap (one frame per
// column) compared with 1920 FFTW transforms of the same frames; and a long
// stretch (one hour at 44 100 Hz) at 50 % set overlap.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "plot/SpectrogramColumns.h"
#include "plot/SpectrogramSetup.h"

#ifdef NORVANE_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

constexpr int kColumns = 1920;
constexpr int kRows = 512;
constexpr int kFft = 1024;
constexpr int64_t kRateHz = 44100;

// Chirps and noise as 16-bit mono samples.
std::vector<int16_t> MakeSound(int64_t frames) {
  std::vector<int16_t> s(static_cast<size_t>(frames));
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> noise(-300.0, 300.0);
  double phase = 0;
  for (int64_t i = 0; i < frames; ++i) {
    const double f = 2000.0 + 18000.0 * std::fmod(i / 4410.0, 1.0);
    phase += 2 * M_PI * f / kRateHz;
    s[i] = static_cast<int16_t>(12000.0 * std::sin(phase) + noise(rng));
  }
  return s;
}

nv::PlotGeometry Geometry() {
  nv::PlotGeometry g;
  g.scale = nv::PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = kColumns * 15;
  g.spectBottom = 0;
  g.spectHeight = kRows * 15;
  return g;
}

struct Scene {
  std::vector<int16_t> sound;
  nv::SoundSource source;
  nv::SpectrogramSetup setup;
  nv::ColumnStretch stretch;
};

// One plot width of sound with about 1024 samples per column.
Scene& LevelsScene() {
  static Scene scene = [] {
    Scene s;
    const int64_t frames = int64_t{kColumns} * kFft + 4 * kFft;
    s.sound = MakeSound(frames);
    s.source = nv::SoundSource{reinterpret_cast<const uint8_t*>(s.sound.data()),
                               static_cast<int32_t>(frames), 1, 16, kRateHz, 1000};
    nv::AnalysisSettings st;
    st.fftSize = kFft;
    st.fftOverlap = -1;
    st.threshold = 4;
    st.timePerPlotUs = int64_t{kColumns} * kFft * 1000000 / kRateHz + 1;
    st.firstVisibleSample = kFft;
    s.setup = nv::MakeSpectrogramSetup(s.source, st, Geometry());
    s.stretch = nv::ColumnStretch{s.setup.firstVisibleSample, s.setup.lastVisibleSample, 0,
                                  (kColumns - 1) * 15, 0};
    return s;
  }();
  return scene;
}

void BM_SpectrogramLevels(benchmark::State& state) {
  Scene& s = LevelsScene();
  nv::SpectrogramColumns out;
  const auto threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    nv::ComputeSpectrogramColumns(s.setup, s.source, s.stretch, out, threads);
    benchmark::DoNotOptimize(out.levels.data());
    benchmark::ClobberMemory();
  }
  double runs = 0;
  for (size_t c = 0; c < out.columnCount(); ++c)
    nv::ForEachRun(out.levelRow(c), out.binCount, [&](int, int, int32_t) { runs += 1; });
  state.counters["columns"] = static_cast<double>(out.columnCount());
  state.counters["runs"] = runs;
  state.counters["fft"] = s.setup.fftSize;
  state.counters["bins"] = s.setup.lastVisibleBin - s.setup.firstVisibleBin + 1;
}
BENCHMARK(BM_SpectrogramLevels)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

#ifdef NORVANE_HAVE_FFTW
// The 1920 transforms alone: each frame converted from the same samples and
// transformed, nothing else.
void BM_FftwColumns(benchmark::State& state) {
  Scene& s = LevelsScene();
  double* in = fftw_alloc_real(kFft);
  fftw_complex* out = fftw_alloc_complex(kFft / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(kFft, in, out, FFTW_MEASURE);
  const int64_t spc = s.setup.samplesPerColumn;
  for (auto _ : state) {
    for (int c = 0; c < kColumns; ++c) {
      const int16_t* p = s.sound.data() + kFft / 2 + c * spc;
      for (int i = 0; i < kFft; ++i) in[i] = p[i];
      fftw_execute(plan);
      benchmark::DoNotOptimize(out);
    }
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}
BENCHMARK(BM_FftwColumns)->Unit(benchmark::kMillisecond);
#endif

// One hour of sound in 1920 columns at 50 % set overlap (N = 1024).
void BM_SpectrogramHour(benchmark::State& state) {
  static Scene s = [] {
    Scene sc;
    const int64_t frames = 3600 * kRateHz;
    sc.sound = MakeSound(frames);
    sc.source = nv::SoundSource{reinterpret_cast<const uint8_t*>(sc.sound.data()),
                                static_cast<int32_t>(frames), 1, 16, kRateHz, 1000};
    nv::AnalysisSettings st;
    st.fftSize = kFft;
    st.fftOverlap = 50;
    st.timePerPlotUs = int64_t{3600} * 1000000;
    st.firstVisibleSample = 0;
    sc.setup = nv::MakeSpectrogramSetup(sc.source, st, Geometry());
    sc.stretch = nv::ColumnStretch{0, sc.setup.lastVisibleSample, 0, (kColumns - 1) * 15, 0};
    return sc;
  }();
  nv::SpectrogramColumns out;
  const auto threads = static_cast<unsigned>(state.range(0));
  const std::vector<nv::ColumnFrames> plan = nv::PlanColumnFrames(
      s.setup, s.source.frameCount, s.stretch, nv::ColumnPositions(s.setup, s.stretch));
  double frames = 0;
  for (const nv::ColumnFrames& f : plan) frames += f.frameCount;
  for (auto _ : state) {
    nv::ComputeSpectrogramColumns(s.setup, s.source, s.stretch, out, threads);
    benchmark::DoNotOptimize(out.levels.data());
    benchmark::ClobberMemory();
  }
  state.counters["frames"] = frames;
  state.counters["frames_per_s"] =
      benchmark::Counter(frames * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SpectrogramHour)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
