#include "plot/ZeroCrossing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace nv {
namespace {

std::vector<uint8_t> Sine16(double hz, int64_t rate, int frames, double amp = 32767.0) {
  std::vector<uint8_t> b(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const int16_t v = static_cast<int16_t>(std::lround(amp * std::sin(2 * M_PI * hz * i / rate)));
    b[2 * i] = static_cast<uint8_t>(v & 0xff);
    b[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xff);
  }
  return b;
}

SoundSource Source(const std::vector<uint8_t>& b, int channels, int bits, int64_t rate) {
  SoundSource s;
  s.samples = b.data();
  s.channels = channels;
  s.bitsPerSample = bits;
  s.rateHz = rate;
  s.frameCount = static_cast<int32_t>(b.size() / (bits / 8) / channels);
  return s;
}

TEST(ZeroCrossing, ThresholdAndCorrections) {
  AnalysisSettings s;
  s.freqThreshold = 10;
  EXPECT_EQ(MakeZeroCrossingSetup(s, 8).threshold, 12);
  EXPECT_EQ(MakeZeroCrossingSetup(s, 16).threshold, 3276);
  s.freqSize = 0;
  s.freqThreshold = 100;
  ZeroCrossingSetup z = MakeZeroCrossingSetup(s, 16);
  EXPECT_EQ(s.freqSize, 50);
  EXPECT_EQ(s.freqThreshold, 5);
  EXPECT_EQ(z.windowSamples, 50);
  EXPECT_EQ(z.threshold, 1638);
  s.freqSize = -7;
  s.freqThreshold = -1;
  MakeZeroCrossingSetup(s, 16);
  EXPECT_EQ(s.freqSize, 50);
  EXPECT_EQ(s.freqThreshold, 5);
  s.freqSize = 1;
  s.freqThreshold = 99;
  MakeZeroCrossingSetup(s, 16);
  EXPECT_EQ(s.freqSize, 1);
  EXPECT_EQ(s.freqThreshold, 99);
}

TEST(ZeroCrossing, SineOf1kHz) {
  const auto b = Sine16(1000, 44100, 44100);
  const SoundSource src = Source(b, 1, 16, 44100);
  AnalysisSettings s;
  s.freqThreshold = 5;
  s.freqSize = 1000;
  const ZeroCrossingSetup z = MakeZeroCrossingSetup(s, 16);
  for (int64_t s0 : {5000, 12345, 30000}) {
    const int64_t f = ZeroCrossingEstimate(z, src, 44100, 0, s0, s0 + 10);
    EXPECT_GE(f, 1000) << s0;
    EXPECT_LE(f, 1030) << s0;
  }
}

TEST(ZeroCrossing, SilenceAndQuietGiveNoValue) {
  std::vector<uint8_t> zeros(20000, 0);
  const SoundSource src = Source(zeros, 1, 16, 44100);
  AnalysisSettings s;
  s.freqSize = 1000;
  const ZeroCrossingSetup z = MakeZeroCrossingSetup(s, 16);
  EXPECT_EQ(ZeroCrossingEstimate(z, src, 44100, 0, 5000, 5010), -1);
  // A sine inside the threshold band never crosses.
  const auto quiet = Sine16(1000, 44100, 20000, 1000.0);
  EXPECT_EQ(ZeroCrossingEstimate(z, Source(quiet, 1, 16, 44100), 44100, 0, 5000, 5010), -1);
}

TEST(ZeroCrossing, AutomaticWindowWithFewSamples) {
  const auto b = Sine16(1000, 44100, 44100);
  const SoundSource src = Source(b, 1, 16, 44100);
  AnalysisSettings s;
  s.freqSize = 1;
  const ZeroCrossingSetup z = MakeZeroCrossingSetup(s, 16);
  // One sample per column: no crossing can be measured.
  EXPECT_EQ(ZeroCrossingEstimate(z, src, 44100, 0, 1000, 1001), -1);
  // A whole column of 2000 samples measures the sine.
  const int64_t f = ZeroCrossingEstimate(z, src, 44100, 0, 1000, 3000);
  EXPECT_NEAR(static_cast<double>(f), 1000.0, 30.0);
}

TEST(ZeroCrossing, EightBitAndStereo) {
  // 8-bit stereo: left a 2 kHz square wave of +-100, right silence.
  const int frames = 8000;
  std::vector<uint8_t> b(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    b[2 * i] = static_cast<uint8_t>(((i / 10) % 2) ? 28 : 228);  // 20-sample period at 40 kHz
    b[2 * i + 1] = 128;
  }
  const SoundSource src = Source(b, 2, 8, 40000);
  AnalysisSettings s;
  s.freqSize = 1000;
  s.freqThreshold = 10;
  const ZeroCrossingSetup z = MakeZeroCrossingSetup(s, 8);
  const int64_t left = ZeroCrossingEstimate(z, src, 40000, 0, 4000, 4010);
  EXPECT_NEAR(static_cast<double>(left), 2000.0, 40.0);
  EXPECT_EQ(ZeroCrossingEstimate(z, src, 40000, 1, 4000, 4010), -1);
  // Time expansion: the effective rate scales the estimate.
  EXPECT_NEAR(static_cast<double>(ZeroCrossingEstimate(z, src, 400000, 0, 4000, 4010)), 20000.0,
              400.0);
}

}  // namespace
}  // namespace nv
