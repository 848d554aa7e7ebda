// A full paint of a combined view (oscillogram, spectrogram with colour
// bar, axes) of 15 s of 44 100 Hz 16-bit mono sound into a 1920 x 1080
// QImage, automatic FFT size and overlap, on one thread or on all cores;
// and the cursors and selection composed over such a picture.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "plot/CursorRecord.h"
#include "plot/PlotRenderer.h"
#include "plot/PlotSetup.h"

namespace {

constexpr int64_t kRate = 44100;

std::vector<int16_t> MakeSound(int64_t frames) {
  std::vector<int16_t> s(static_cast<size_t>(frames));
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> noise(-300.0, 300.0);
  double phase = 0;
  for (int64_t i = 0; i < frames; ++i) {
    const double f = 2000.0 + 18000.0 * std::fmod(i / 4410.0, 1.0);
    phase += 2 * M_PI * f / kRate;
    s[i] = static_cast<int16_t>(12000.0 * std::sin(phase) + noise(rng));
  }
  return s;
}

void BM_PaintCombined1080(benchmark::State& state) {
  static const std::vector<int16_t> sound = MakeSound(15 * kRate);
  nv::SoundSource src;
  src.samples = reinterpret_cast<const uint8_t*>(sound.data());
  src.frameCount = static_cast<int32_t>(sound.size());
  src.rateHz = kRate;
  nv::AnalysisSettings s;  // the defaults: combined, 15 s, automatic FFT and overlap
  QImage img(1920, 1080, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  const unsigned threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    nv::AnalysisSettings copy = s;
    const nv::PlotSetup p =
        nv::MakePlotSetup(src, copy, nv::PixelScaleFromDevice(-15000, false), 1920, 1080);
    nv::PlotRenderer r;
    r.Prepare(p, 96);
    QPainter painter(&img);
    painter.fillRect(img.rect(), Qt::white);
    r.Paint(painter, src, img.rect(), false, {}, Qt::white, threads);
    painter.end();
    benchmark::DoNotOptimize(img.constBits());
    state.counters["fft"] = p.spect.fftSize;
  }
}
BENCHMARK(BM_PaintCombined1080)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// What every paint of a sound view adds to drawing the plot: a copy of the
// 1920 x 1080 plot picture with a marking selection inverted over a third of
// its width and a marking cursor drawn by exclusive-or onto it.
void BM_ComposeSelection1080(benchmark::State& state) {
  static const std::vector<int16_t> sound = MakeSound(15 * kRate);
  nv::SoundSource src;
  src.samples = reinterpret_cast<const uint8_t*>(sound.data());
  src.frameCount = static_cast<int32_t>(sound.size());
  src.rateHz = kRate;
  nv::AnalysisSettings s;
  const nv::PlotSetup p =
      nv::MakePlotSetup(src, s, nv::PixelScaleFromDevice(-15000, true), 1920, 1080);
  nv::PlotRenderer r;
  r.Prepare(p, 96);
  QImage plot(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&plot);
    r.Paint(painter, src, plot.rect(), true, {}, Qt::white, 0);
  }
  nv::CursorRecord a, b;
  a.position = 5 * kRate;
  b.position = 10 * kRate;
  for (auto _ : state) {
    QImage shown = plot.copy();
    QPainter painter(&shown);
    r.DrawSelection(painter, a, b);
    r.DrawCursor(painter, a);
    painter.end();
    benchmark::DoNotOptimize(shown.constBits());
  }
}
BENCHMARK(BM_ComposeSelection1080)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
