// The averaged power spectrum: frame placement, reading frame by frame
// through the sample source, the full-scale reference for every window and
// levels against an independent numpy computation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "analysis/PowerSpectrum.h"
#include "base/SampleSource.h"
#include "dsp/BinPower.h"
#include "dsp/RealFft.h"
#include "dsp/WindowTable.h"

namespace nv {
namespace {

std::vector<uint8_t> Pcm16(const std::vector<int>& v) {
  std::vector<uint8_t> b(v.size() * 2);
  for (size_t i = 0; i < v.size(); ++i) StoreRaw(&b[2 * i], 16, v[i]);
  return b;
}

// The signal of make_reference.py.
std::vector<int> ReferenceSignal(int count) {
  std::vector<int> v(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    const double tone = std::round(12000.0 * std::sin(2 * M_PI * i * 0.0371) +
                                   3000.0 * std::cos(2 * M_PI * i * 0.211));
    v[static_cast<size_t>(i)] = static_cast<int>((i * 7919) % 2001 - 1000 + tone);
  }
  return v;
}

// The straightforward computation: the whole stretch read into one buffer
// first, then the frames taken from it.
std::vector<double> OneBufferLevels(const SampleSource& src, int channel, int64_t start,
                                    int64_t end, int log2n, const WindowTable& w, bool logScale) {
  const int n = 1 << log2n;
  if (end - start < n) end = start + n;
  const int64_t a = end - start;
  std::vector<double> all(static_cast<size_t>(a));
  src.Read16(start, a, channel, all.data());
  const int64_t frames = (a + n - 1) / n;
  std::vector<double> p(n / 2, 0.0), x(n);
  for (int64_t k = 0; k < frames; ++k) {
    int64_t first = k * (a - n) / frames;
    if (first + n > a) first = a - n;
    for (int i = 0; i < n; ++i) x[i] = all[first + i] * w[i];
    RealFft(x.data(), log2n);
    p[0] += x[0] * x[0] / 268435456.0;
    for (int m = 1; m < n / 2; ++m) p[m] += BinPower(x.data(), n, m) * kInvFullScalePower;
  }
  for (double& v : p) v = logScale ? 10.0 * std::log10(v / frames) : v / frames;
  return p;
}

TEST(PowerSpectrum, FramePlacement) {
  // A range of exactly N is one frame at 0.
  EXPECT_EQ(PowerFrameCount(1024, 1024), 1);
  EXPECT_EQ(PowerFrameStart(0, 1024, 1024, 1), 0);
  // 2.5 N: three frames at 0, floor((a - N) / 3), floor(2 (a - N) / 3).
  const int64_t a = 2560;
  ASSERT_EQ(PowerFrameCount(a, 1024), 3);
  EXPECT_EQ(PowerFrameStart(0, a, 1024, 3), 0);
  EXPECT_EQ(PowerFrameStart(1, a, 1024, 3), 1536 / 3);
  EXPECT_EQ(PowerFrameStart(2, a, 1024, 3), 2 * 1536 / 3);
  // Every frame lies inside the stretch, the last one ends near its end.
  for (int64_t len : {16384LL, 16385LL, 40000LL, 1000000LL, 2147483647LL}) {
    const int64_t f = PowerFrameCount(len, 16384);
    EXPECT_GE(PowerFrameStart(f - 1, len, 16384, f), 0);
    EXPECT_LE(PowerFrameStart(f - 1, len, 16384, f) + 16384, len);
  }
}

TEST(PowerSpectrum, FramesAreThoseOfTheStretch) {
  // A stretch of 2.5 N whose three frames hold different tones: the average
  // shows each at a third of its power (-4.77 dB), nothing of the rest.
  const int n = 256;
  std::vector<int> v(640, 0);
  const int starts[3] = {0, (640 - n) / 3, 2 * (640 - n) / 3};
  const int bins[3] = {10, 40, 90};
  for (int f = 0; f < 3; ++f)
    for (int i = 0; i < n; ++i)
      v[starts[f] + i] += static_cast<int>(std::lround(8000 * std::cos(2 * M_PI * bins[f] * i / n)));
  // Make overlapping parts cancel: write each frame's tone alone into its
  // own source and compare with the combined source's placement.
  auto bytes = Pcm16(v);
  SampleSource src(bytes.data(), 640, 1, 16);
  WindowTable w;
  BuildWindowTable(WindowCode::Rectangular, n, w);
  std::vector<double> levels(n / 2);
  EXPECT_EQ(ComputePowerLevels(src, 0, 0, 640, 8, w, 1.0, false, levels.data()), 3);
  EXPECT_EQ(levels, OneBufferLevels(src, 0, 0, 640, 8, w, false));
}

TEST(PowerSpectrum, SameBitsAsReadingTheWholeStretchFirst) {
  // Stereo 8 and 16 bit, both channels, every window, short and long ranges.
  std::vector<int> sig = ReferenceSignal(30000);
  for (int bits : {8, 16}) {
    std::vector<uint8_t> bytes(sig.size() * bits / 8);
    for (size_t i = 0; i < sig.size(); ++i) StoreRaw(&bytes[i * bits / 8], bits, bits == 8 ? sig[i] / 256 : sig[i]);
    SampleSource src(bytes.data(), static_cast<int64_t>(sig.size() / 2), 2, bits);
    for (int32_t type : {0, 1, 2, 4, 8}) {
      for (int channel : {0, 1}) {
        for (auto [s, e, log2n] : {std::tuple{0, 15000, 10}, {77, 200, 8}, {14000, 17000, 11}}) {
          WindowTable w;
          BuildWindowTable(StoredWindow(type), 1 << log2n, w);
          std::vector<double> got((1 << log2n) / 2);
          ComputePowerLevels(src, channel, s, e, log2n, w, 1.0, true, got.data());
          const auto want = OneBufferLevels(src, channel, s, e, log2n, w, true);
          ASSERT_EQ(0, std::memcmp(got.data(), want.data(), got.size() * sizeof(double)))
              << bits << " bit, window " << type << ", channel " << channel << ", " << s;
        }
      }
    }
  }
}

TEST(PowerSpectrum, MissingSamplesAtTheEndCountAsZeroAndNothingPastIsRead) {
  // 1000 frames followed (outside the source) by loud bytes: a frame from
  // 900 reads 100 samples and 924 zeros.
  std::vector<int> v(1000, 0);
  for (int i = 0; i < 1000; ++i) v[i] = (i * 37) % 2000 - 1000;
  std::vector<uint8_t> bytes = Pcm16(v);
  std::vector<uint8_t> padded = bytes;
  padded.resize(bytes.size() + 4096, 0x7f);
  SampleSource src(padded.data(), 1000, 1, 16);
  std::vector<double> zeroed(1024, 0.0);
  WindowTable w;
  BuildWindowTable(WindowCode::Hanning, 1024, w);
  for (int i = 0; i < 100; ++i) zeroed[i] = v[900 + i] * w[i];
  RealFft(zeroed.data(), 10);
  std::vector<double> levels(512);
  ComputePowerLevels(src, 0, 900, 950, 10, w, 1.0, false, levels.data());
  EXPECT_EQ(levels[0], zeroed[0] * zeroed[0] / 268435456.0);
  for (int m = 1; m < 512; ++m) EXPECT_EQ(levels[m], BinPower(zeroed.data(), 1024, m) * kInvFullScalePower) << m;
  // A range wholly past the end is silence.
  ComputePowerLevels(src, 0, 5000, 6000, 10, w, 1.0, true, levels.data());
  for (double l : levels) EXPECT_TRUE(std::isinf(l) && l < 0);
}

TEST(PowerSpectrum, FullScaleSineAtABinCentreReadsZeroDbForEveryWindow) {
  for (int log2n : {8, 10, 14}) {
    const int n = 1 << log2n;
    const int bin = n / 8 + 3;
    std::vector<int> v(3 * n);
    for (int i = 0; i < 3 * n; ++i)
      v[i] = std::clamp(static_cast<int>(std::lround(32768.0 * std::sin(2 * M_PI * bin * i / n))), -32768, 32767);
    auto bytes = Pcm16(v);
    SampleSource src(bytes.data(), 3 * n, 1, 16);
    for (int32_t type : {0, 1, 2, 4, 8}) {
      WindowTable w;
      BuildWindowTable(StoredWindow(type), n, w);
      std::vector<double> levels(n / 2);
      ComputePowerLevels(src, 0, 0, 3 * n, log2n, w, PowerLevelScale(w), true, levels.data());
      char text[32];
      std::snprintf(text, sizeof text, "%1.3f", levels[bin] + 0.0);
      EXPECT_NEAR(levels[bin], 0.0, 0.0005) << "window " << type << " N " << n;
      EXPECT_TRUE(std::string(text) == "0.000" || std::string(text) == "-0.000") << text;
    }
  }
  // The rectangular window needs no correction.
  WindowTable w;
  BuildWindowTable(WindowCode::Rectangular, 1024, w);
  EXPECT_EQ(PowerLevelScale(w), 1.0);
}

struct ReferenceCase {
  int start, end, n;
  std::vector<int> bins;
  std::vector<double> levels;
};

TEST(PowerSpectrum, LevelsMatchAnIndependentComputation) {
  // From make_reference.py (numpy 1.24.2): Hanning window, 16-bit mono.
  const ReferenceCase cases[] = {
      {100, 2660, 1024, {0, 1, 5, 32, 128, 256, 511}, {-86.0761473526, -81.7733314926, -77.8088761469, -77.8182661856, -74.1219608677, -78.1431730086, -76.8911018666}},
      {0, 20000, 256, {0, 1, 5, 8, 32, 64, 127}, {-68.1229522347, -65.921861096, -55.5198627933, -23.911061815, -45.9209141999, -58.6903154683, -66.3113199981}},
      {19000, 20000, 2048, {0, 1, 5, 64, 256, 512, 1023}, {-50.4832739466, -50.5082467193, -50.6120641474, -39.6573545886, -68.9050109134, -68.6036660604, -80.7813458495}},
  };
  auto bytes = Pcm16(ReferenceSignal(20000));
  SampleSource src(bytes.data(), 20000, 1, 16);
  for (const auto& c : cases) {
    int log2n = 0;
    while ((1 << log2n) < c.n) ++log2n;
    WindowTable w;
    BuildWindowTable(WindowCode::Hanning, c.n, w);
    std::vector<double> levels(c.n / 2);
    ComputePowerLevels(src, 0, c.start, c.end, log2n, w, PowerLevelScale(w), true, levels.data());
    for (size_t i = 0; i < c.bins.size(); ++i)
      EXPECT_NEAR(levels[c.bins[i]], c.levels[i], 1e-8) << c.start << " bin " << c.bins[i];
  }
}

}  // namespace
}  // namespace nv
