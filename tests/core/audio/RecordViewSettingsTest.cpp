// The record-view settings taken from a sound view, the seconds texts both
// ways, and the sweep display's arithmetic against values worked by hand.
#include "audio/RecordViewSettings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/SweepRules.h"

namespace nv {
namespace {

TEST(RecordViewSettings, SecondsPerPlotFromTheVisibleSpanIsKeptIn2To30) {
  AnalysisSettings a;
  a.oscillogramShown = 0;
  a.rightChannel = 0;
  a.fftSize = 256;
  a.threshold = 20;
  a.window = 4;
  a.colorScheme = 3;
  a.minFrequencyHz = 15000;
  a.maxFrequencyHz = 120000;
  a.contrast = -3;
  EXPECT_EQ(RecordViewSettingsFrom(a, 500000).secondsPerPlot, 2);
  EXPECT_EQ(RecordViewSettingsFrom(a, 100000000).secondsPerPlot, 30);
  EXPECT_EQ(RecordViewSettingsFrom(a, 7999999).secondsPerPlot, 7);
  const RecordViewSettings r = RecordViewSettingsFrom(a, 5000000);
  EXPECT_FALSE(r.amplitudePlot);
  EXPECT_TRUE(r.spectrogramPlot);
  EXPECT_TRUE(r.leftChannel);
  EXPECT_FALSE(r.rightChannel);
  EXPECT_EQ(r.fftSize, 256);
  EXPECT_EQ(r.threshold, 20);
  EXPECT_EQ(r.window, 4);
  EXPECT_EQ(r.colorScheme, 3);
  EXPECT_EQ(r.display[0], 15000);
  EXPECT_EQ(r.display[1], 120000);
  EXPECT_EQ(r.display[2], -3);
}

TEST(RecordViewSettings, SecondsTextsBothWays) {
  EXPECT_EQ(SecondsPerPlotText(1), "1 second");
  EXPECT_EQ(SecondsPerPlotText(2), "2 seconds");
  EXPECT_EQ(SecondsPerPlotText(59), "59 seconds");
  EXPECT_EQ(SecondsPerPlotText(60), "1 minute");
  EXPECT_EQ(SecondsPerPlotText(119), "1 minute");
  EXPECT_EQ(SecondsPerPlotText(120), "2 minutes");
  EXPECT_EQ(SecondsPerPlotText(600), "10 minutes");
  EXPECT_EQ(SecondsPerPlotText(3600), "1 hour");
  EXPECT_EQ(SecondsPerPlotText(7200), "2 hours");
  EXPECT_EQ(SecondsOfPlotText("10 minutes"), 600);
  EXPECT_EQ(SecondsOfPlotText("1 minute"), 60);
  EXPECT_EQ(SecondsOfPlotText("60 seconds"), 60);
  EXPECT_EQ(SecondsOfPlotText("2 hours"), 7200);
  EXPECT_EQ(SecondsOfPlotText("1 second"), 1);
  EXPECT_EQ(SecondsOfPlotText("soon"), 0);
  for (const std::string& t : SecondsPerPlotChoices()) EXPECT_GT(SecondsOfPlotText(t), 0) << t;
  EXPECT_EQ(SecondsPerPlotChoices().size(), 12u);
  EXPECT_EQ(RecordFftSizeChoices().front(), "Automatic");
  EXPECT_EQ(RecordFftSizeChoices().back(), "16 samples");
  EXPECT_EQ(RecordFftSizeOfText("Automatic"), 0);
  EXPECT_EQ(RecordFftSizeOfText(RecordFftSizeText(128)), 128);
}

TEST(SweepRules, GeometryAndColumns) {
  // 800 pixels over 15 s: 53 1/3 pixels a second, 3 1/3 a block, 240 blocks
  // a sweep that fills the whole width.
  const SweepGeometry g = SweepGeometry::For(800, 15);
  EXPECT_NEAR(g.pixelsPerSecond, 800.0 / 15, 1e-9);
  EXPECT_NEAR(g.pixelsPerBlock, 800.0 / 240, 1e-9);
  EXPECT_EQ(g.blocksPerPlot, 240);
  EXPECT_EQ(g.BlockX(0), 5);
  EXPECT_EQ(g.BlockX(10), 5 + 33);
  EXPECT_EQ(g.BlockX(239), 5 + 796);
  EXPECT_EQ(g.BlockX(240), 5);  // the sweep starts again at the left
  EXPECT_EQ(g.BlockX(241), 8);
  EXPECT_EQ(g.SecondX(15), 5 + 800);
  // Blocks of 2752 samples: column 1 holds samples 826 to 1651.
  EXPECT_EQ(g.ColumnStart(1, 2752), 826);
  EXPECT_EQ(g.ColumnStart(2, 2752), 1652);
  EXPECT_EQ(g.ColumnStart(800, 2752), 240 * 2752);
  int first = 0, end = 0;
  g.BlockColumns(0, first, end);  // columns 0 to 2 end in block 0
  EXPECT_EQ(first, 0);
  EXPECT_EQ(end, 3);
  g.BlockColumns(1, first, end);  // column 3 ends in block 1
  EXPECT_EQ(first, 3);
  EXPECT_EQ(end, 6);
  EXPECT_EQ(g.SamplesPerColumn(2752), 825);
}

TEST(SweepRules, EveryColumnOfEverySweepIsDrawnOnceByTheBlockHoldingItsEnd) {
  // Plots of 2 s to 10 minutes at widths from narrow to wide: the blocks of
  // one sweep draw each column of the whole width exactly once, in order,
  // each by the block that holds the column's last sample; long plots give
  // a block less than a pixel and no column is left out.
  for (int64_t seconds : {1, 2, 5, 15, 30, 60, 120, 300, 600}) {
    for (int width : {1, 37, 200, 555, 800, 960, 1000, 1597, 2400}) {
      const SweepGeometry g = SweepGeometry::For(width, seconds);
      for (int samples : {441, 2756}) {
        int next = 0;
        for (int64_t n = 0; n < g.blocksPerPlot; ++n) {
          int first = 0, end = 0;
          g.BlockColumns(n + 3 * g.blocksPerPlot, first, end);  // any sweep alike
          ASSERT_EQ(first, next) << seconds << " s, " << width << " px, block " << n;
          ASSERT_LE(first, end);
          for (int c = first; c < end; ++c) {
            const int64_t last = g.ColumnStart(c + 1, samples) - 1;  // the column's last sample
            EXPECT_GE(last, n * samples);
            EXPECT_LT(last, (n + 1) * samples);
            EXPECT_LE(g.ColumnStart(c, samples), g.ColumnStart(c + 1, samples));
          }
          next = end;
        }
        EXPECT_EQ(next, width) << seconds << " s, " << width << " px";
      }
      EXPECT_EQ(g.BlockX(0), kSweepLeftPx);
      EXPECT_EQ(g.SecondX(seconds), kSweepLeftPx + width);
    }
  }
  // Ten minutes on 1000 pixels: 9600 blocks, about a tenth of a pixel each.
  const SweepGeometry g = SweepGeometry::For(1000, 600);
  EXPECT_NEAR(g.pixelsPerBlock, 1000.0 / 9600, 1e-12);
  EXPECT_EQ(g.BlockX(9599), 5 + 999);
}

TEST(SweepRules, ThresholdLevelsAndFftSize) {
  EXPECT_EQ(SweepThresholdPower(0), 5.0);
  EXPECT_EQ(SweepThresholdPower(32), 25600000.0);
  EXPECT_NEAR(SweepThresholdPower(16), std::sqrt(25600000.0), 1e-6);
  const double t = SweepThresholdPower(16);
  EXPECT_EQ(SweepLevel(t, t), 0);
  EXPECT_EQ(SweepLevel(t / 2, t), 0);
  EXPECT_EQ(SweepLevel(1073741824.0 * 4, t), 63);
  // Halfway in the log scale: level 32.
  EXPECT_EQ(SweepLevel(std::sqrt(t * 1073741824.0) * 1.0001, t), 32);
  // Automatic: 917 samples a column give 512, kept by a 300-pixel strip.
  EXPECT_EQ(SweepFftSize(0, 917, 300, 2752), 512);
  // A 100-pixel strip halves it to 128 (not above 200).
  EXPECT_EQ(SweepFftSize(0, 917, 100, 2752), 128);
  // 50 samples a column start at 64, doubled to 256 below a 200-pixel strip.
  EXPECT_EQ(SweepFftSize(0, 50, 200, 2752), 256);
  // Never more than a block's samples of one channel.
  EXPECT_EQ(SweepFftSize(0, 917, 300, 300), 256);
  EXPECT_EQ(SweepFftSize(64, 917, 300, 300), 64);
}

TEST(SweepRules, FrequencyAxis) {
  EXPECT_EQ(SweepBinY(0, 256, 200, 102), 200);
  EXPECT_EQ(SweepBinY(128, 256, 200, 102), 100);
  EXPECT_EQ(SweepBinY(64, 256, 200, 102), 150);
  // 44.1 kHz without time expansion: top 22 050 Hz, R = 20 000, S = 10 000.
  auto l = SweepFrequencyLabels(22050);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].text, "10 kHz");
  EXPECT_EQ(l[1].text, "20 kHz");
  // Time expansion 10: 220.5 kHz real, R = 200 000.
  l = SweepFrequencyLabels(220500);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[1].text, "200 kHz");
  // 8 kHz sound: top 4 000, R = 4 000, S = 2 000, no third label; 5 512.5:
  // R = 5 000, S = 2 500 and 3S = 7 500 above the top.
  l = SweepFrequencyLabels(4000);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].text, "2 kHz");
  l = SweepFrequencyLabels(5512.5);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].text, "2.5 kHz");
  // 1 500 Hz top: step 1 000, R = 1 000, S = 500; 3S = 1 500 is shown.
  l = SweepFrequencyLabels(1500);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].text, "500 Hz");
  EXPECT_EQ(l[1].text, "1 kHz");
  EXPECT_EQ(l[2].text, "1.5 kHz");
  EXPECT_EQ(SweepSecondsText(3), "3 s   ");
  EXPECT_EQ(SweepSampleY(32767, 16, 100, 50), 149);
  EXPECT_EQ(SweepSampleY(-32768, 16, 100, 50), 50);
  EXPECT_EQ(SweepSampleY(0, 8, 100, 50), 50);
  EXPECT_EQ(SweepSampleY(128, 8, 100, 50), 100);
}

}  // namespace
}  // namespace nv
