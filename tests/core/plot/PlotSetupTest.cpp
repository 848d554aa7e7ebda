#include "plot/PlotSetup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plot/PlotColumns.h"
#include "plot/TimeFormat.h"

namespace nv {
namespace {

SoundSource Mono16(const std::vector<int16_t>& v, int64_t rate = 44100) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.frameCount = static_cast<int32_t>(v.size());
  s.rateHz = rate;
  return s;
}

const PixelScale kScreen{15, 15000};

TEST(PlotSetup, CombinedLayout) {
  std::vector<int16_t> v(44100, 0);
  AnalysisSettings s;
  PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 1000, 600);
  const PlotLayout& l = p.layout;
  EXPECT_TRUE(l.combined);
  EXPECT_EQ(l.clientWidth, 15000);
  EXPECT_EQ(l.clientHeight, 9000);
  EXPECT_EQ(l.leftMargin, 75 + 900);
  // The right margin holds the time texts, 120 units from the plot: the
  // widest is "5.00 sec/div" (12 characters of at most 0.65 em of 9
  // points; the end time may keep its two decimals), with four pixels to
  // spare.
  EXPECT_EQ(l.rightMargin, 120 + 12 * 13 * 9 + 4 * 15);
  EXPECT_EQ(l.plotWidth, 15000 - 975 - l.rightMargin);
  EXPECT_EQ(l.osc.top, -(20 * 9 + 80));
  // Under the spectrogram a band for the tick labels, as high as that of a
  // single diagram's time axis; the labels hang 60 units under the marks.
  // The time axis moves up from the middle by the band (the oscillogram
  // gives the room), so the spectrogram keeps its height.
  const int32_t band = 20 * 9 + 100;
  EXPECT_EQ(l.timeAxisY, -4500 + band);
  EXPECT_EQ(l.osc.bottom, -4400 + band);
  EXPECT_EQ(l.spect.bottom, -9000 + 40 + band);
  EXPECT_EQ(l.timeLabelY, l.spect.bottom - 60);
  // Colour bar: the spectrogram top moves below it.
  const int32_t t = -4500 + band - 400;
  EXPECT_EQ(l.bar.top, t + 380);
  EXPECT_EQ(l.bar.bottom, t + 400 - (60 * 9 - 40));
  EXPECT_EQ(l.spect.top, l.bar.bottom - 20);
  EXPECT_EQ(l.bar.right, l.plotRight);
  EXPECT_EQ(l.bar.width(), l.plotRight / 3);
  // Frequency range written back, the FFT title.
  EXPECT_EQ(s.minFrequencyHz, 0);
  EXPECT_EQ(s.maxFrequencyHz, 22050);
  EXPECT_EQ(p.freq.labelStep, 10000);
  EXPECT_EQ(p.spectTitle.rfind("Spectrogram, FFT size ", 0), 0u);
}

TEST(PlotSetup, SingleDiagramLayouts) {
  std::vector<int16_t> v(1000, 0);
  AnalysisSettings s;
  s.spectrogramShown = 0;
  PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 800, 400);
  EXPECT_FALSE(p.layout.combined);
  EXPECT_EQ(p.layout.timeAxisY, -6000 + 20 * 9 + 140);
  EXPECT_EQ(p.layout.osc.bottom, p.layout.timeAxisY + 20);
  s = AnalysisSettings();
  s.oscillogramShown = 0;
  s.colorBar = 0;
  p = MakePlotSetup(Mono16(v), s, kScreen, 800, 400);
  EXPECT_EQ(p.layout.spect.top, -400);
  EXPECT_EQ(p.layout.spect.bottom, p.layout.timeAxisY + 20);
  // The zero-crossing diagram takes the spectrogram's place, without a bar.
  s = AnalysisSettings();
  s.freqPlot = 1;
  p = MakePlotSetup(Mono16(v), s, kScreen, 800, 400);
  EXPECT_TRUE(p.zcShown);
  EXPECT_FALSE(p.spectShown);
  EXPECT_FALSE(p.colorBarShown);
  EXPECT_EQ(p.layout.spect.top, p.layout.timeAxisY - 400);
}

TEST(PlotSetup, StereoChannelsShareTheLayout) {
  std::vector<int16_t> v(2000, 0);
  SoundSource src = Mono16(v);
  src.channels = 2;
  src.frameCount = 1000;
  AnalysisSettings s;
  PlotSetup p = MakePlotSetup(src, s, kScreen, 800, 800);
  EXPECT_TRUE(p.bothChannels);
  EXPECT_EQ(p.layout.channelHeight, 6000);
  EXPECT_EQ(p.layout.channelShift, 6000);
  // A point in the lower half hits the same diagram as in the upper half.
  const int64_t x = p.layout.plotLeft + 100;
  const int64_t yOsc = p.layout.osc.bottom + 100;
  EXPECT_EQ(p.HitTest(x, yOsc), PlotArea::Oscillogram);
  EXPECT_EQ(p.HitTest(x, yOsc - 6000), PlotArea::Oscillogram);
  const int64_t ySpect = p.layout.spect.bottom + 100;
  EXPECT_EQ(p.HitTest(x, ySpect - 6000), PlotArea::Spectrogram);
  EXPECT_EQ(p.HitTest(5, -5), PlotArea::None);
  EXPECT_TRUE(p.IsShown(PlotArea::Oscillogram));
  EXPECT_FALSE(p.IsShown(PlotArea::ZeroCrossing));
  s.leftChannel = 0;
  p = MakePlotSetup(src, s, kScreen, 800, 800);
  EXPECT_FALSE(p.bothChannels);
  EXPECT_EQ(p.singleChannel, 1);
  EXPECT_EQ(p.spect.cursorChannel, 2);
}

TEST(PlotSetup, Conversions) {
  std::vector<int16_t> v(441000, 0);
  AnalysisSettings s;
  s.timePerPlotUs = 1000000;  // 44100 samples per plot
  s.minAmplitude = -10000;
  s.maxAmplitude = 10000;
  PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 1000, 600);
  EXPECT_EQ(p.samplesPerPlot(), 44100);
  EXPECT_EQ(p.SampleToX(0), p.layout.leftMargin);
  EXPECT_EQ(p.SampleToX(44100), p.layout.leftMargin + p.layout.plotWidth);
  EXPECT_EQ(p.XToSample(p.layout.leftMargin), 0);
  EXPECT_EQ(p.XToSample(0), 0);  // left of the plot: the first sample
  // Back and forth within one logical unit's worth of samples.
  EXPECT_NEAR(p.XToSample(p.SampleToX(22050)), 22050, 44100 / p.layout.plotWidth + 1);
  EXPECT_EQ(p.TimeToX(500000000), p.layout.leftMargin + p.layout.plotWidth / 2);
  p.SetFirstSample(-5);
  EXPECT_EQ(p.firstVisible(), 0);
  p.SetFirstSample(44100);
  EXPECT_EQ(p.startTimeNs, 1000000000);
  EXPECT_EQ(p.lastVisible(), 88200);
  EXPECT_EQ(p.SampleToX(66150), p.layout.leftMargin + p.layout.plotWidth / 2);
  // Amplitudes.
  EXPECT_EQ(p.AmplitudeToY(-20000), p.layout.osc.bottom);
  EXPECT_EQ(p.AmplitudeToY(20000), p.layout.osc.top);
  EXPECT_EQ(p.AmplitudeToY(0), p.layout.osc.bottom + p.layout.osc.height() / 2);
  EXPECT_EQ(p.YToAmplitude(p.layout.osc.top + 1), 10000);
  EXPECT_EQ(p.YToAmplitude(p.layout.osc.bottom), -10000);
  // Frequencies.
  EXPECT_EQ(p.FrequencyToY(-1), p.layout.spect.bottom);
  EXPECT_EQ(p.FrequencyToY(22050), p.layout.spect.top);
  EXPECT_EQ(p.FrequencyToY(30000), p.layout.spect.top);
  // Sample values.
  EXPECT_EQ(Sample16ToAmplitude(32767), 9999);
  EXPECT_EQ(Sample16ToAmplitude(-32768), -10000);
  EXPECT_EQ(Sample8ToAmplitude(255), 9921);
  EXPECT_EQ(Sample8ToAmplitude(128), 0);
  EXPECT_EQ(Sample8ToAmplitude(0), -10000);
}

// The combined view's time texts end inside the client at every width and
// span, wherever the plot is scrolled; views with one diagram keep the
// margins equal.
TEST(PlotSetup, CombinedViewTimeTextsFitRightOfThePlot) {
  std::vector<int16_t> v(44100 * 3, 0);
  for (int width : {400, 640, 800, 1200}) {
    for (int64_t spanUs : {1200000000LL, 15000000LL, 2000000LL, 391000LL, 1000LL, 20LL}) {
      AnalysisSettings s;
      s.timePerPlotUs = spanUs;
      const PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, width, 500);
      const PlotLayout& l = p.layout;
      for (int64_t first = 0; first <= static_cast<int64_t>(v.size()); first += 4410) {
        const int64_t endNs = p.SampleToNs(first) + p.durationNs;
        const CombinedTimeTexts t = MakeCombinedTimeTexts(p.readoutCode, endNs, p.tickNs);
        std::vector<std::string> lines{t.end + " " + t.unit};
        if (t.interval.size() >= 5)
          lines = {lines[0], t.interval, "  " + t.unit + "/div"};
        else
          lines.push_back(t.interval + " " + t.unit + "/div");
        for (const std::string& line : lines)
          EXPECT_LE(l.plotRight + 120 + TextWidthBoundUnits(static_cast<int32_t>(line.size()), 9),
                    l.clientWidth)
              << width << " " << spanUs << " " << line;
      }
    }
  }
  AnalysisSettings s;
  s.spectrogramShown = 0;
  const PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 800, 500);
  EXPECT_EQ(p.layout.rightMargin, p.layout.leftMargin);
}

// A low colour bar (both channels of a combined view in an ordinary window)
// keeps a line of labels over a colour band at least as high, grown into
// the spectrogram while that stays twice as high; in a plot too low
// for that it shows its colours without labels.
TEST(PlotSetup, LowColourBarKeepsItsLabelsApartFromTheColours) {
  std::vector<int16_t> v(2 * 44100, 0);
  SoundSource src = Mono16(v);
  src.channels = 2;
  src.frameCount = 44100;
  const int32_t line = BarLabelLineUnits(9);
  for (int height : {300, 400, 500, 600, 700, 800, 1000, 1400}) {
    AnalysisSettings s;
    const PlotSetup p = MakePlotSetup(src, s, kScreen, 900, height);
    const PlotLayout& l = p.layout;
    ASSERT_TRUE(p.colorBarShown);
    EXPECT_EQ(l.spect.top, l.bar.bottom - 20) << height;
    if (l.barLabels) {
      // Labels from two pixels under the top, two pixels above the ticks.
      EXPECT_GE(l.barLabelTop - l.barColorTop, line + 2 * 15) << height;
      EXPECT_GE(l.barColorTop - l.bar.bottom, line) << height;
      EXPECT_GE(l.spect.height(), 2 * l.bar.height()) << height;
    } else {
      EXPECT_EQ(l.barColorTop, l.bar.top) << height;
      EXPECT_GT(l.bar.height(), 0) << height;
    }
  }
  // At an ordinary size the labels stay.
  AnalysisSettings s;
  EXPECT_TRUE(MakePlotSetup(src, s, kScreen, 900, 600).layout.barLabels);
}

TEST(PlotSetup, NoDocument) {
  PlotSetup p;
  EXPECT_EQ(p.SampleToX(5), -1);
  EXPECT_EQ(p.XToSample(5), -1);
  EXPECT_EQ(p.AmplitudeToY(0), p.layout.osc.bottom);
}

TEST(PlotSetup, OscillogramColumns) {
  // A square wave of +-16384 with a period of 20 samples (a column holds 50).
  std::vector<int16_t> v(44100);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (i / 10) % 2 ? -16384 : 16384;
  AnalysisSettings s;
  s.spectrogramShown = 0;
  s.timePerPlotUs = 1000000;
  PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 1000, 400);
  const ColumnStretch st = StretchForClip(p, 0, p.layout.clientWidth, 0);
  ASSERT_EQ(st.firstSample, 0);
  std::vector<OscillogramColumn> cols;
  ComputeOscillogramColumns(p, Mono16(v), st, cols);
  ASSERT_GT(cols.size(), 860u);  // 870 pixel columns
  for (const auto& c : cols) {
    EXPECT_EQ(c.yMin, p.AmplitudeToY(-5000));
    EXPECT_EQ(c.yMax, p.AmplitudeToY(5000));
  }
}

TEST(PlotSetup, TimeAxisOfThePlotDuration) {
  std::vector<int16_t> v(1000, 0);
  AnalysisSettings s;
  s.timePerPlotUs = 45000;
  PlotSetup p = MakePlotSetup(Mono16(v), s, kScreen, 1000, 400);
  EXPECT_EQ(p.tickNs, 5000000);
  EXPECT_EQ(p.timeCode, 7);
  s.timePerPlotUs = 0;  // below 1 us: 5 us
  p = MakePlotSetup(Mono16(v), s, kScreen, 1000, 400);
  EXPECT_EQ(p.durationNs, 5000);
  EXPECT_EQ(p.tickNs, 1000);
}

// A time-expanded file (factor 10) shows real time on its axis: a view of
// 45 ms of real time from file second 1 starts at 100 ms and has its ticks
// every 5 ms from there.
TEST(PlotSetup, TimeAxisOfATimeExpandedFileIsRealTime) {
  std::vector<int16_t> v(2 * 44100, 0);
  SoundSource src = Mono16(v);
  src.timeExpansion = 10000;
  AnalysisSettings s;
  s.timePerPlotUs = 45000;
  s.firstVisibleSample = 44100;
  const PlotSetup p = MakePlotSetup(src, s, kScreen, 1000, 600);
  EXPECT_EQ(p.startTimeNs, 100000000);
  EXPECT_EQ(p.durationNs, 45000000);
  const std::vector<TimeTick> ticks = TimeAxisTicks(p.startTimeNs, p.durationNs);
  std::vector<std::string> labels;
  for (const TimeTick& t : ticks) labels.push_back(t.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"100", "105", "110", "115", "120", "125", "130", "135",
                                               "140", "145 ms"}));
  EXPECT_EQ(p.tickNs, 5000000);
}

}  // namespace
}  // namespace nv
