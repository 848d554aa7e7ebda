// The time axis of a picture carries its times: every tick of the nice-step
// rule gets its label centred under it, in the combined view in a band under
// the spectrogram, for plain and time-expanded sounds (real time).
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "plot/SoundPlot.h"
#include "plot/TimeFormat.h"

namespace nv {
namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Noise(int frames) {
  std::vector<int16_t> v(static_cast<size_t>(frames));
  uint32_t x = 777;
  for (auto& s : v) {
    x = x * 1664525u + 1013904223u;
    s = static_cast<int16_t>((static_cast<int32_t>(x >> 16) - 32768) / 8);
  }
  return v;
}

bool Dark(QRgb c) { return qGray(c) < 160; }

int Col(double x) { return static_cast<int>(std::lround(x / 15.0)); }
int Row(double y) { return static_cast<int>(std::lround(-y / 15.0)); }

// Renders the picture and checks that each tick's label is there, centred
// on the tick's column, in the rows under `labelY`.
void ExpectLabelsAtTicks(const SoundSource& src, const AnalysisSettings& s, int width, int height,
                         const std::string& name) {
  QImage img(width, height, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  ASSERT_TRUE(SoundPlot::Render(img, img.size(), s, src, {}, true, 1));
  if (const char* keep = std::getenv("NORVANE_GRAB_DIR"))
    img.save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromStdString(name) + ".png"));
  AnalysisSettings copy = s;
  const PlotSetup p = MakePlotSetup(src, copy, PixelScaleFromDevice(-15000, false), width, height);
  const std::vector<TimeTick> ticks = TimeAxisTicks(p.startTimeNs, p.durationNs);
  ASSERT_GE(ticks.size(), 2u) << name;
  EXPECT_EQ(ticks[1].ns - ticks[0].ns, p.tickNs) << name;
  const int r0 = Row(p.layout.timeLabelY) + 1;
  const int r1 = std::min(r0 + 16, height);
  for (size_t i = 0; i < ticks.size(); ++i) {
    const int x = Col(p.TimeToX(ticks[i].ns));
    const int lo = i == 0 ? x - 40 : (x + Col(p.TimeToX(ticks[i - 1].ns))) / 2 + 1;
    const int hi = i + 1 == ticks.size() ? x + 40 : (x + Col(p.TimeToX(ticks[i + 1].ns))) / 2 - 1;
    int first = -1, last = -1;
    for (int c = std::max(lo, 0); c <= std::min(hi, width - 1); ++c)
      for (int r = r0; r < r1; ++r)
        if (Dark(img.pixel(c, r))) {
          if (first < 0) first = c;
          last = c;
          break;
        }
    ASSERT_GE(first, 0) << name << ": no label at tick " << ticks[i].label;
    EXPECT_NEAR((first + last) / 2.0, x, 3.0) << name << ": label " << ticks[i].label;
    // Wider for the last one, which carries the unit.
    EXPECT_GE(last - first, 3) << name << ": " << ticks[i].label;
  }
}

TEST(TimeAxisLabels, EveryTickLabelledInEveryKindOfView) {
  const auto v = Noise(12 * kRate);
  for (int32_t expansion : {1000, 10000}) {
    SoundSource src;
    src.samples = reinterpret_cast<const uint8_t*>(v.data());
    src.frameCount = static_cast<int32_t>(v.size());
    src.rateHz = kRate;
    src.timeExpansion = expansion;
    // Real spans from 1 ms to 1 s (a tenth of that of the file when
    // time-expanded), from the start and from a later sample.
    for (int64_t spanUs : {int64_t{1000}, int64_t{45000}, int64_t{391000}, int64_t{1000000}}) {
      for (int64_t first : {int64_t{0}, int64_t{123457}}) {
        for (int kind = 0; kind < 3; ++kind) {  // combined, oscillogram, spectrogram
          AnalysisSettings s;
          s.timePerPlotUs = spanUs;
          s.firstVisibleSample = first;
          s.oscillogramShown = kind != 2;
          s.spectrogramShown = kind != 1;
          const std::string name = "time-axis-" + std::to_string(expansion) + "-" + std::to_string(spanUs) +
                                   "-" + std::to_string(first) + "-" + std::to_string(kind);
          ExpectLabelsAtTicks(src, s, 800, 500, name);
        }
      }
    }
  }
}

// A time-expanded file's axis is in real time: the first labelled tick of a
// view that starts at file second 1 of a tenfold expanded recording is at
// 100 ms, not at 1 s.
TEST(TimeAxisLabels, TimeExpandedAxisIsRealTime) {
  const auto v = Noise(2 * kRate);
  SoundSource src;
  src.samples = reinterpret_cast<const uint8_t*>(v.data());
  src.frameCount = static_cast<int32_t>(v.size());
  src.rateHz = kRate;
  src.timeExpansion = 10000;
  AnalysisSettings s;
  s.timePerPlotUs = 45000;
  s.firstVisibleSample = kRate;
  const PlotSetup p = MakePlotSetup(src, s, PixelScaleFromDevice(-15000, false), 800, 500);
  const std::vector<TimeTick> ticks = TimeAxisTicks(p.startTimeNs, p.durationNs);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front().label, "100");
  EXPECT_EQ(ticks.back().label, "145 ms");
  ExpectLabelsAtTicks(src, s, 800, 500, "time-axis-expanded");
}

}  // namespace
}  // namespace nv
