// The spectrogram of a series of short calls as the desktop and the
// pictures draw it: at the default span (15 s on a 1500-pixel plot, a
// column every 10 ms, a 512-point transform) every call is drawn, where one
// transform per column showed a third of them; a screen picture drawn in
// parts ends as the picture drawn at once.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "SweepCalls.h"
#include "plot/ColorSchemes.h"
#include "plot/SoundPlot.h"

namespace nv {
namespace {

SoundSource Source(const std::vector<int16_t>& v) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.frameCount = static_cast<int32_t>(v.size());
  s.rateHz = SweepCalls::kRateHz;
  return s;
}

// The spectrogram alone, 15 s.
AnalysisSettings CallSettings() {
  AnalysisSettings s;
  s.oscillogramShown = 0, s.spectrogramShown = 1, s.colorBar = 0;
  s.colorScheme = 7, s.threshold = 8;
  s.timePerPlotUs = 15000000;
  return s;
}

// A plot of 1600 x 400 pixels of v with the settings s, set up.
void Show(SoundPlot& plot, const std::vector<int16_t>& v, AnalysisSettings& s) {
  plot.SetSound(Source(v));
  plot.SetSettings(&s);
  plot.resize(1600, 400);
  plot.Recompute();
}

int Row(double y) { return static_cast<int>(std::lround(-y / 15.0)); }
int Col(double x) { return static_cast<int>(std::lround(x / 15.0)); }

TEST(SpectrogramCallsDrawing, EveryCallIsDrawnAtTheDefaultSpan) {
  const SweepCalls calls;
  const std::vector<int16_t> v = calls.Samples(0, calls.Start(calls.count));
  AnalysisSettings s = CallSettings();
  // The picture's width for a plot of 1500 pixels between its margins.
  const PlotSetup probe = MakePlotSetup(Source(v), s, PixelScaleFromDevice(-15000, false), 1600, 400);
  const int width = 1500 + 2 * Col(probe.layout.plotLeft);
  s = CallSettings();
  const PlotSetup p = MakePlotSetup(Source(v), s, PixelScaleFromDevice(-15000, false), width, 400);
  ASSERT_EQ(p.spect.samplesPerColumn, 3840);
  ASSERT_EQ(p.spect.fftSize, 512);
  QImage img(width, 400, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  s = CallSettings();
  ASSERT_TRUE(SoundPlot::Render(img, img.size(), s, Source(v), {}, true));

  std::map<QRgb, int> levelOf;
  const LevelPalette pal = LevelColors(7, false);
  for (int l = 0; l < 64; ++l) levelOf[qRgb(RedOf(pal[l]), GreenOf(pal[l]), BlueOf(pal[l]))] = l;
  levelOf.erase(qRgb(255, 255, 255));  // level 0 is the background's white
  auto level = [&](int x, int y) {
    const auto it = levelOf.find(img.pixel(x, y) | 0xff000000u);
    return it == levelOf.end() ? -1 : it->second;
  };
  // Along each sweep, at a quarter, half and three quarters of it, a column
  // next to its time shows a high level at its frequency; half way between
  // two calls the plot is empty.
  int missed = 0;
  for (int i = 0; i < calls.count; ++i) {
    for (int q = 1; q <= 3; ++q) {
      const int64_t t = calls.length * q / 4;
      const int x = Col(p.SampleToX(static_cast<int32_t>(calls.Start(i) + t)));
      const int y = Row(p.FrequencyToY(static_cast<int64_t>(calls.FrequencyAt(t))));
      int best = -1;
      for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) best = std::max(best, level(x + dx, y + dy));
      if (best < 32) ++missed;
      EXPECT_GE(best, 32) << "call " << i << " at " << calls.FrequencyAt(t) << " Hz";
    }
    const int x = Col(p.SampleToX(static_cast<int32_t>(calls.Start(i) + calls.period / 2)));
    EXPECT_EQ(level(x, Row(p.FrequencyToY(57000))), -1) << "between call " << i << " and the next";
  }
  EXPECT_EQ(missed, 0);
}

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SpectrogramCallsDrawing, AScreenDrawnInPartsEndsAsOneDrawnAtOnce) {
  // A minute: calls in its first quarter, then silence; more frames than
  // one paint transforms.
  const SweepCalls calls;
  const std::vector<int16_t> v = calls.Samples(0, 60 * SweepCalls::kRateHz);
  // The combined view: the parts redraw the spectrogram only.
  AnalysisSettings s = CallSettings();
  s.timePerPlotUs = 60000000;
  s.oscillogramShown = 1;
  SoundPlot plot;
  Show(plot, v, s);
  plot.show();
  bool inParts = false;
  QElapsedTimer t;
  t.start();
  // The first paint waits for the coalescing timer; then the parts follow.
  while (t.elapsed() < 60000) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    inParts = inParts || plot.DrawingInParts();
    if (inParts && !plot.DrawingInParts()) break;
  }
  ASSERT_TRUE(inParts);
  ASSERT_FALSE(plot.DrawingInParts());
  Wait(50);
  const QImage parts = plot.Grab();

  AnalysisSettings s2 = CallSettings();
  s2.timePerPlotUs = 60000000;
  s2.oscillogramShown = 1;
  SoundPlot once;
  Show(once, v, s2);
  const QImage whole = once.Grab();
  ASSERT_EQ(parts.size(), whole.size());
  EXPECT_TRUE(parts == whole);
}

TEST(SpectrogramCallsDrawing, KeptLevelsGoWhenTheSamplesChange) {
  const SweepCalls calls;
  std::vector<int16_t> v = calls.Samples(0, calls.Start(calls.count));
  AnalysisSettings s = CallSettings();
  SoundPlot plot;
  Show(plot, v, s);
  const PlotRect& r = plot.Setup().layout.spect;
  auto coloured = [&](const QImage& img) {
    int n = 0;
    for (int y = Row(r.top) + 3; y < Row(r.bottom) - 3; ++y)
      for (int x = Col(r.left) + 3; x < Col(r.right) - 3; ++x) {
        // Level colours; the grid's grey and the background's white are not.
        const QRgb c = img.pixel(x, y);
        n += qRed(c) != qGreen(c) || qGreen(c) != qBlue(c);
      }
    return n;
  };
  EXPECT_GT(coloured(plot.Grab()), 1000);
  // The samples edited in place (silence), as an edit of the document does.
  std::fill(v.begin(), v.end(), int16_t{0});
  plot.SamplesChanged();
  plot.Recompute();
  EXPECT_EQ(coloured(plot.Grab()), 0);
}

}  // namespace
}  // namespace nv
