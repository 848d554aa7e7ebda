// Marks drawn by SoundPlot: the active mark with the dark-blue pen, the
// others with the dark-red one, hidden marks not at all, and a label just
// right of the mark's point at its value line, negative amplitudes included.
#include <QImage>

#include <gtest/gtest.h>

#include <vector>

#include "plot/SoundPlot.h"

namespace nv {
namespace {

constexpr int kW = 800;
constexpr int kH = 400;

SoundSource Silence(const std::vector<int16_t>& v) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.channels = 1;
  s.frameCount = static_cast<int32_t>(v.size());
  s.rateHz = 44100;
  return s;
}

AnalysisSettings OscillogramOnly() {
  AnalysisSettings s;
  s.oscillogramShown = 1;
  s.spectrogramShown = 0;
  s.colorBar = 0;
  s.timePerPlotUs = 1000000;
  return s;
}

MarkRecord Mark(int32_t number, int32_t position, int32_t kind, int32_t value, bool active) {
  MarkRecord m;
  m.number = number;
  m.position = position;
  m.kind = kind;
  m.value = value;
  m.inSpectrogram = 0;
  m.channel = 3;
  m.displayMark = 1;
  m.displayLabel = 0;
  m.active = active ? 1 : 0;
  return m;
}

bool IsBlue(QRgb c) { return qBlue(c) > 90 && qRed(c) < 60 && qGreen(c) < 60; }
bool IsRed(QRgb c) { return qRed(c) > 90 && qBlue(c) < 60 && qGreen(c) < 60; }

// Pixels of a colour in a rectangle of the image.
int Count(const QImage& img, const QRect& r, bool (*is)(QRgb)) {
  int n = 0;
  const QRect c = r.intersected(img.rect());
  for (int y = c.top(); y <= c.bottom(); ++y)
    for (int x = c.left(); x <= c.right(); ++x) n += is(img.pixel(x, y)) ? 1 : 0;
  return n;
}

int Px(int32_t logical) { return static_cast<int>(std::lround(logical / 15.0)); }
int Py(int32_t logical) { return static_cast<int>(std::lround(-logical / 15.0)); }

TEST(MarkDrawing, ActiveAndInactivePensAndHiddenMarks) {
  const std::vector<int16_t> v(44100, 0);
  const AnalysisSettings s = OscillogramOnly();
  std::vector<MarkRecord> marks{Mark(0, 11025, 1, 0, true), Mark(1, 33075, 1, 0, false),
                                Mark(2, 22050, 1, 0, false)};
  marks[2].displayMark = 0;  // hidden
  QImage img(kW, kH, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  ASSERT_TRUE(SoundPlot::Render(img, img.size(), s, Silence(v), marks, true));
  AnalysisSettings copy = s;
  const PlotSetup p = MakePlotSetup(Silence(v), copy, PixelScaleFromDevice(-15000, false), kW, kH);
  const int top = Py(p.layout.osc.top), bottom = Py(p.layout.osc.bottom);
  ASSERT_GT(bottom - top, 50);
  auto column = [&](int32_t sample) {
    const int x = Px(p.SampleToX(sample));
    return QRect(x - 1, top + 2, 3, bottom - top - 4);
  };
  // A line over the whole height: most of the column in the mark's colour.
  EXPECT_GT(Count(img, column(11025), IsBlue), (bottom - top) / 2);
  EXPECT_EQ(Count(img, column(11025), IsRed), 0);
  EXPECT_GT(Count(img, column(33075), IsRed), (bottom - top) / 2);
  EXPECT_EQ(Count(img, column(33075), IsBlue), 0);
  EXPECT_EQ(Count(img, column(22050), IsRed) + Count(img, column(22050), IsBlue), 0);
}

TEST(MarkDrawing, LabelSitsRightOfThePointAtItsValue) {
  const std::vector<int16_t> v(44100, 0);
  const AnalysisSettings s = OscillogramOnly();
  AnalysisSettings copy = s;
  const PlotSetup p = MakePlotSetup(Silence(v), copy, PixelScaleFromDevice(-15000, false), kW, kH);
  for (int32_t value : {5000, -5000}) {
    MarkRecord m = Mark(0, 22050, 2, value, false);
    m.displayMark = 0;
    m.displayLabel = 1;
    m.label = "WWWW";
    QImage img(kW, kH, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    ASSERT_TRUE(SoundPlot::Render(img, img.size(), s, Silence(v), {m}, true));
    const int x = Px(p.SampleToX(22050));
    const int y = Py(p.AmplitudeToY(value));
    // The text stands on the value line, starting two pixels right of the point.
    EXPECT_GT(Count(img, QRect(x + 1, y - 20, 60, 20), IsRed), 10) << value;
    EXPECT_EQ(Count(img, QRect(x - 60, y - 20, 59, 20), IsRed), 0) << value;
    EXPECT_EQ(Count(img, QRect(x + 1, y + 3, 60, 20), IsRed), 0) << value;
  }
}

}  // namespace
}  // namespace nv
