// Texts of the plot kept legible and inside the picture: the combined view's
// time texts right of the plot are not cut at the edge, and the colour bar
// of a low plot keeps its labels off the ticks, the frame and the colours.
#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plot/SoundPlot.h"

namespace nv {
namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Noise(int frames, int channels) {
  std::vector<int16_t> v(static_cast<size_t>(frames) * channels);
  uint32_t x = 12345;
  for (auto& s : v) {
    x = x * 1664525u + 1013904223u;
    s = static_cast<int16_t>(static_cast<int32_t>(x >> 16) - 32768) / 4;
  }
  return v;
}

SoundSource Source(const std::vector<int16_t>& v, int channels) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.channels = channels;
  s.frameCount = static_cast<int32_t>(v.size() / channels);
  s.rateHz = kRate;
  return s;
}

QImage Picture(const SoundSource& src, const AnalysisSettings& s, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  EXPECT_TRUE(SoundPlot::Render(img, img.size(), s, src, {}, true, 1));
  return img;
}

bool Dark(QRgb c) { return qGray(c) < 160; }

// No text reaches the last columns of a combined view's picture, at any
// ordinary width, span and scroll position, mono and stereo.
TEST(AxisTexts, CombinedViewTimeTextsEndInsideThePicture) {
  for (int channels : {1, 2}) {
    const auto v = Noise(3 * kRate, channels);
    const SoundSource src = Source(v, channels);
    for (int width : {480, 640, 800}) {
      for (int64_t spanUs : {15000000LL, 2000000LL, 391000LL, 45000LL}) {
        for (int64_t first : {int64_t{0}, int64_t{61333}, int64_t{2 * kRate + 17}}) {
          AnalysisSettings s;
          s.timePerPlotUs = spanUs;
          s.firstVisibleSample = first;
          const QImage img = Picture(src, s, width, 500);
          // Nor the first columns (the amplitude and frequency labels).
          int dark = 0;
          for (int x : {0, 1, width - 3, width - 2, width - 1})
            for (int y = 0; y < img.height(); ++y) dark += Dark(img.pixel(x, y));
          EXPECT_EQ(dark, 0) << channels << " " << width << " " << spanUs << " " << first;
          // The texts are there: ink right of the plot near the time axis.
          const PlotSetup p = MakePlotSetup(src, s, PixelScaleFromDevice(-15000, false), width, 500);
          const int x0 = static_cast<int>(std::lround((p.layout.plotRight + 120) / 15.0));
          const int axisRow = static_cast<int>(std::lround(-p.layout.timeAxisY / 15.0));
          int ink = 0;
          for (int x = x0; x < width; ++x)
            for (int y = std::max(axisRow - 40, 0); y < std::min(axisRow + 40, img.height()); ++y)
              ink += Dark(img.pixel(x, y));
          EXPECT_GT(ink, 20) << channels << " " << width << " " << spanUs;
        }
      }
    }
  }
}

// Both channels of a combined view in an ordinary window: the colour bar's
// colour band is at least as high as its labels, the labels' ink lies
// between the bar's top frame and the ticks, and none touches the colours.
TEST(AxisTexts, LowColourBarKeepsItsLabelsLegible) {
  const auto v = Noise(kRate, 2);
  const SoundSource src = Source(v, 2);
  for (int height : {560, 640, 720}) {
    AnalysisSettings s;
    s.timePerPlotUs = 1000000;
    const int width = 900;
    const QImage img = Picture(src, s, width, height);
    const PlotSetup p = MakePlotSetup(src, s, PixelScaleFromDevice(-15000, false), width, height);
    const PlotLayout& l = p.layout;
    ASSERT_TRUE(l.barLabels) << height;
    auto row = [](int32_t y) { return static_cast<int>(std::lround(-y / 15.0)); };
    auto col = [](int32_t x) { return static_cast<int>(std::lround(x / 15.0)); };
    const int top = row(l.bar.top), bottom = row(l.bar.bottom), colors = row(l.barColorTop);
    PlotRenderer r;
    r.Prepare(p, 96);
    const int lineHeight = static_cast<int>(std::ceil(QFontMetricsF(r.SmallFont(), &img).height()));
    // The colour band: at least a label's height.
    EXPECT_GE(bottom - colors, lineHeight - 1) << height;
    // Label ink: beside each labelled tick (away from the tick line), only
    // in the rows between the frame and the ticks' tops (two pixels above
    // the colours).
    int ink = 0;
    for (int db : {-10, -30, -50, -70, -90}) {
      const int x = col(l.bar.right + l.bar.width() * db / 100);
      for (int dx : {-8, -6, -4, 4, 6, 8}) {
        for (int y = top + 1; y < colors - 2; ++y) ink += Dark(img.pixel(x + dx, y));
        for (int y = colors - 2; y < colors; ++y)
          EXPECT_FALSE(Dark(img.pixel(x + dx, y))) << height << " " << db << " row " << y;
      }
    }
    EXPECT_GT(ink, 30) << height;
    // The spectrogram's title, beside the bar, ends before it.
    const int titleRow = row(l.spect.top + 20) - 3;
    for (int x = col(l.bar.left) - 2; x < col(l.bar.left); ++x)
      for (int y = titleRow - 8; y <= titleRow; ++y)
        EXPECT_FALSE(Dark(img.pixel(x, y))) << height << " title at " << x << "," << y;
    // Nothing is written over the colours: every column of the band holds
    // one colour from its top row to its bottom row.
    for (int x = col(l.bar.left) + 2; x < col(l.bar.right) - 2; ++x)
      for (int y = colors + 2; y < bottom - 1; ++y)
        ASSERT_EQ(img.pixel(x, y), img.pixel(x, colors + 1)) << height << " " << x << " " << y;
  }
}

}  // namespace
}  // namespace nv
