#include "plot/SpectrogramSetup.h"

#include <gtest/gtest.h>

#include <vector>

namespace nv {
namespace {

// A screen plot of 1920 x 512 pixels at 15 units per pixel.
PlotGeometry ScreenGeometry(int widthPx = 1920, int heightPx = 512) {
  PlotGeometry g;
  g.scale = PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = widthPx * 15;
  g.spectBottom = 1000;
  g.spectHeight = heightPx * 15;
  return g;
}

TEST(SpectrogramSetup, PixelScale) {
  PixelScale s = PixelScaleFromDevice(-15000, true);
  EXPECT_EQ(s.unitsPerPixel, 15);
  EXPECT_EQ(s.unitsPer1000Pixels, 15000);
  s = PixelScaleFromDevice(-10000, true);  // 144 dpi screen: 20 units per pixel
  EXPECT_EQ(s.unitsPerPixel, 20);
  EXPECT_EQ(s.unitsPer1000Pixels, 20000);
  s = PixelScaleFromDevice(-2400, false);  // 600 dpi printer
  EXPECT_EQ(s.unitsPerPixel, 2);
  EXPECT_EQ(s.unitsPer1000Pixels, 2400);
}

TEST(SpectrogramSetup, AutomaticFftSizeRule) {
  EXPECT_EQ(AutomaticFftSize(40, 300, 1000000), 512);   // 64, doubled while 300 > N
  EXPECT_EQ(AutomaticFftSize(40, 20, 1000000), 32);     // halved while 2 * 20 < N
  EXPECT_EQ(AutomaticFftSize(2000, 512, 1000000), 1024);
  EXPECT_EQ(AutomaticFftSize(2000, 5000, 1000000), 1024);  // never above 1024
  EXPECT_EQ(AutomaticFftSize(100, 120, 1000000), 128);  // 256 halved: 240 < 256
  EXPECT_EQ(AutomaticFftSize(100, 129, 1000000), 256);
  EXPECT_EQ(AutomaticFftSize(300, 512, 100), 64);       // short document: first size <= 100
  EXPECT_EQ(AutomaticFftSize(300, 512, 3), 16);         // never below 16
  EXPECT_EQ(AutomaticFftSize(300, 0, 1000000), 16);     // no height
}

TEST(SpectrogramSetup, OverlapRules) {
  EXPECT_EQ(FrameAdvance(512, 50), 256);
  EXPECT_EQ(FrameAdvance(512, 0), 512);
  EXPECT_EQ(OverlapSamples(512, 50, 0), 256);
  EXPECT_EQ(OverlapSamples(1024, -1, 2000), -976);
  EXPECT_EQ(OverlapSamples(1024, -1, 10), 1014);
  EXPECT_EQ(OverlapSamples(1024, 100, 0), 1024);
  EXPECT_EQ(OverlapSamples(1024, 150, 0), 1023);  // above N: N - 1
  // Frames always move on, even when the advance rounds to 0.
  EXPECT_EQ(FrameAdvance(1024, 100), 1);
  EXPECT_EQ(FrameAdvance(16, 99), 1);
  EXPECT_EQ(FrameAdvance(16, 250), 1);
}

TEST(SpectrogramSetup, DerivedQuantitiesOfAScreenPlot) {
  std::vector<uint8_t> data(2 * 44100 * 10, 0);
  SoundSource snd{data.data(), 44100 * 10, 1, 16, 44100, 10000};  // 10x time expansion
  AnalysisSettings st;
  st.timePerPlotUs = 1000000;  // 1 s real time
  st.maxFrequencyHz = -1;
  st.firstVisibleSample = 100;
  st.lastVisibleSample = -1;
  st.threshold = 40;
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_EQ(s.effectiveRateHz, 441000);
  EXPECT_EQ(s.samplesPerPlot, 441000);
  EXPECT_EQ(s.firstVisibleSample, 100);
  EXPECT_EQ(s.lastVisibleSample, 441100);
  EXPECT_EQ(st.lastVisibleSample, 441100);  // written back
  EXPECT_EQ(s.samplesPerColumn, 229);       // 441000 / 1920
  EXPECT_EQ(s.settledMaxFrequencyHz, 220500);  // for the caller to store
  EXPECT_EQ(st.maxFrequencyHz, -1);            // the settings given are left as they are
  EXPECT_EQ(s.maxFrequencyHz, 220500);
  EXPECT_EQ(s.fftSize, 512);  // from the column; 512 rows are not more than 512
  EXPECT_EQ(s.log2Fft, 9);
  EXPECT_EQ(s.overlapSamples, 512 - 229);
  EXPECT_EQ(s.windowSuffix, ", Hanning window.");
  EXPECT_EQ(s.windowTable.size(), 512u);
  EXPECT_EQ(s.levels.floor(), 2.56e7);
  EXPECT_TRUE(s.drawable);
  EXPECT_FALSE(s.userScheme);
  EXPECT_EQ(s.levelColors, LevelColors(7, false));
  EXPECT_EQ(s.penWidthUnits, 16);

  // Bin rows: all 256 bins visible, band height H / 256, rows rising.
  ASSERT_EQ(s.binRow.size(), 256u);
  EXPECT_EQ(s.firstVisibleBin, 0);
  EXPECT_EQ(s.lastVisibleBin, 255);
  EXPECT_EQ(s.bandHeight, 7680 / 256);
  EXPECT_DOUBLE_EQ(s.binFrequency[1], 441000.0 / 512);
  for (int k = 1; k < 256; ++k) EXPECT_GT(s.binRow[k], s.binRow[k - 1]);
  EXPECT_EQ(s.binRow[0], 1000 + 15 + 1);  // row(0) = D, moved up by 30/2 + 1
  EXPECT_EQ(s.binRow[1], 1000 + (7678 + 128) / 256 + 16);
  EXPECT_EQ(s.binRow[255], 1000 + (255 * 7678 + 128) / 256);  // the last is not moved

  // A taller plot doubles the automatic size.
  AnalysisSettings tall = st;
  EXPECT_EQ(MakeSpectrogramSetup(snd, tall, ScreenGeometry(1920, 513)).fftSize, 1024);
}

TEST(SpectrogramSetup, VisibleBinsOfAFrequencyWindow) {
  std::vector<uint8_t> data(2 * 100000, 0);
  SoundSource snd{data.data(), 100000, 1, 16, 44100, 1000};
  AnalysisSettings st;
  st.fftSize = 256;
  st.minFrequencyHz = 5000;
  st.maxFrequencyHz = 10000;
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  const double df = 44100.0 / 256;
  // Bins below 5000 Hz: the last of them is the first visible bin; the first
  // bin above 10000 Hz is the last visible one.
  EXPECT_EQ(s.firstVisibleBin, static_cast<int>(5000 / df - 1e-9));
  EXPECT_EQ(s.lastVisibleBin, static_cast<int>(10000 / df) + 1);
  EXPECT_EQ(s.binRow[0], 1000);
  EXPECT_EQ(s.binRow[127], 1000 + 7680);
  EXPECT_EQ(s.bandHeight, 7680 / (s.lastVisibleBin - s.firstVisibleBin + 1));
}

// A factor beyond 100 (a slowed copy of a time-expanded recording states
// one) is drawn as it is: the plot's time and frequency agree with every
// other reading of the document.
TEST(SpectrogramSetup, LargeTimeExpansionFactorsAreUsedAsStated) {
  std::vector<uint8_t> data(2 * 12000, 0);
  for (int32_t te : {100001, 320000, 2147483647}) {
    SoundSource snd{data.data(), 12000, 1, 16, 12000, te};
    AnalysisSettings st;
    st.timePerPlotUs = 1000;
    st.maxFrequencyHz = -1;
    const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
    EXPECT_FALSE(s.timeExpansionCorrected) << te;
    EXPECT_EQ(s.timeExpansion, te);
    EXPECT_EQ(s.effectiveRateHz, int64_t{12000} * te / 1000);
    EXPECT_EQ(s.settledMaxFrequencyHz, int64_t{12000} * te / 2000);
  }
}

TEST(SpectrogramSetup, StoredValuesOutOfRangeAreCorrected) {
  std::vector<uint8_t> data(2 * 1000, 0);
  SoundSource snd{data.data(), 1000, 1, 16, 44100, 0};  // invalid time expansion
  AnalysisSettings st;
  st.fftSize = 1000;  // not a power of two: automatic
  st.minFrequencyHz = -5;
  st.timePerPlotUs = 0;  // below 1000 ns: 5000 ns
  SpectrogramSetup s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_TRUE(s.timeExpansionCorrected);
  EXPECT_EQ(s.timeExpansion, 1000);
  EXPECT_EQ(s.effectiveRateHz, 44100);
  EXPECT_EQ(s.settledMinFrequencyHz, 0);
  EXPECT_EQ(st.minFrequencyHz, -5);
  EXPECT_EQ(s.plotDurationNs, 5000);
  EXPECT_TRUE(IsValidFftSize(s.fftSize));
  EXPECT_LE(s.fftSize, 1024);

  st.fftSize = 4096;  // beyond the frame buffers: automatic
  s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_LE(s.fftSize, 1024);

  st.fftSize = 2048;  // set explicitly: kept even for a short document
  s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_EQ(s.fftSize, 2048);
}

TEST(SpectrogramSetup, DegenerateInputsDrawNothing) {
  std::vector<uint8_t> data(2 * 1000, 0);
  SoundSource snd{data.data(), 1000, 1, 16, 44100, 1000};
  AnalysisSettings st;
  EXPECT_FALSE(MakeSpectrogramSetup(snd, st, ScreenGeometry(0, 512)).drawable);
  EXPECT_FALSE(MakeSpectrogramSetup(snd, st, ScreenGeometry(100, 0)).drawable);
  st.minFrequencyHz = 3000;
  st.maxFrequencyHz = 3000;
  EXPECT_FALSE(MakeSpectrogramSetup(snd, st, ScreenGeometry()).drawable);
  st = AnalysisSettings();
  SoundSource empty{nullptr, 0, 1, 16, 44100, 1000};
  const SpectrogramSetup s = MakeSpectrogramSetup(empty, st, ScreenGeometry());
  EXPECT_FALSE(s.drawable);
  EXPECT_EQ(s.fftSize, 16);
  SoundSource silentRate{data.data(), 1000, 1, 16, 0, 1000};
  st = AnalysisSettings();
  EXPECT_FALSE(MakeSpectrogramSetup(silentRate, st, ScreenGeometry()).drawable);
}

TEST(SpectrogramSetup, StereoChannelSelection) {
  std::vector<uint8_t> data(4 * 1000, 0);
  SoundSource snd{data.data(), 1000, 2, 16, 44100, 1000};
  AnalysisSettings st;
  st.leftChannel = 0;
  st.rightChannel = 1;
  SpectrogramSetup s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_EQ(s.bytesPerFrame, 4);
  EXPECT_EQ(s.cursorChannel, 2);
  st.leftChannel = 1;
  s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_EQ(s.cursorChannel, 0);
  EXPECT_TRUE(s.leftShown && s.rightShown);
  st.freqPlot = 1;
  s = MakeSpectrogramSetup(snd, st, ScreenGeometry());
  EXPECT_FALSE(s.spectrogramShown);
  EXPECT_FALSE(s.colorBarShown);
}

}  // namespace
}  // namespace nv
