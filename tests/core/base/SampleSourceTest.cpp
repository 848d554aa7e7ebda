// The one sample decoder against plainly written decoding of the stored forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "base/SampleSource.h"

namespace nv {
namespace {

std::vector<uint8_t> Bytes16(const std::vector<int16_t>& v) {
  std::vector<uint8_t> b;
  for (int16_t s : v) {
    const uint16_t u = static_cast<uint16_t>(s);
    b.push_back(static_cast<uint8_t>(u & 0xFF));
    b.push_back(static_cast<uint8_t>(u >> 8));
  }
  return b;
}

TEST(SampleSource, DecodesEveryStoredFormAndReadsSilenceOutside) {
  // 16-bit stereo: left 1000, -32768, 32767; right -1, 258, 0.
  const auto b16 = Bytes16({1000, -1, -32768, 258, 32767, 0});
  const SampleSource s16(b16.data(), 3, 2, 16);
  EXPECT_EQ(s16.Raw(0, 0), 1000);
  EXPECT_EQ(s16.Raw(0, 1), -1);
  EXPECT_EQ(s16.Raw(1, 0), -32768);
  EXPECT_EQ(s16.Raw(1, 1), 258);
  EXPECT_EQ(s16.Raw(2, 0), 32767);
  EXPECT_EQ(s16.Raw(-1, 0), 0);
  EXPECT_EQ(s16.Raw(3, 1), 0);
  EXPECT_EQ(s16.BlockAlign(), 4);
  // 8-bit mono: 128 is zero; the 16-bit scale multiplies by 256.
  const std::vector<uint8_t> b8 = {128, 0, 255, 129};
  const SampleSource s8(b8.data(), 4, 1, 8);
  EXPECT_EQ(s8.Raw(0, 0), 0);
  EXPECT_EQ(s8.Raw(1, 0), -128);
  EXPECT_EQ(s8.Raw(2, 0), 127);
  EXPECT_EQ(s8.Value16(1, 0), -32768);
  EXPECT_EQ(s8.Value16(3, 0), 256);
  EXPECT_EQ(s8.Raw(2, 1), 127);  // a mono source answers channel 1 with channel 0
  EXPECT_EQ(s8.RawFullScale(), 128);
  // Reads that reach outside the sound get zeros there.
  std::vector<double> out(6, 99.0);
  s8.Read16(-2, 6, 0, out.data());
  EXPECT_EQ(out, (std::vector<double>{0, 0, 0, -32768, 32512, 256}));
  std::vector<int32_t> raw(5, 99);
  s16.ReadRaw(1, 5, 1, raw.data());
  EXPECT_EQ(raw, (std::vector<int32_t>{258, 0, 0, 0, 0}));
  // Unsupported sizes read as an empty source.
  const SampleSource s24(b16.data(), 2, 1, 24);
  EXPECT_TRUE(s24.Empty());
  EXPECT_EQ(s24.Raw(0, 0), 0);
}

TEST(SampleSource, WindowedReadsMinMaxAndPeakAgreeWithPlainLoops) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> d(-32768, 32767);
  std::vector<int16_t> v(10007);
  for (auto& x : v) x = static_cast<int16_t>(d(rng));
  v[5000] = -32768;
  // Odd offset: the store promises no alignment.
  auto b = Bytes16(v);
  b.insert(b.begin(), 0x55);
  const SampleSource mono(b.data() + 1, static_cast<int64_t>(v.size()), 1, 16);
  std::vector<double> w(1024), got(1024);
  for (size_t i = 0; i < w.size(); ++i) w[i] = 0.5 - 0.5 * std::cos(2 * M_PI * i / 1024);
  for (int64_t start : {int64_t{-100}, int64_t{0}, int64_t{4000}, int64_t{9500}}) {
    mono.ReadWindowed(start, 1024, 0, w.data(), got.data());
    for (int i = 0; i < 1024; ++i) {
      const int64_t n = start + i;
      const double want = n >= 0 && n < static_cast<int64_t>(v.size()) ? v[n] * w[i] : 0.0;
      ASSERT_EQ(got[i], want) << start << " " << i;
    }
  }
  int32_t lo = 0, hi = 0;
  ASSERT_TRUE(mono.MinMaxRaw(4990, 20, 0, lo, hi));
  int32_t wantLo = 32767, wantHi = -32768;
  for (int i = 4990; i < 5010; ++i) {
    wantLo = std::min<int32_t>(wantLo, v[i]);
    wantHi = std::max<int32_t>(wantHi, v[i]);
  }
  EXPECT_EQ(lo, wantLo);
  EXPECT_EQ(hi, wantHi);
  EXPECT_FALSE(mono.MinMaxRaw(20000, 5, 0, lo, hi));
  EXPECT_EQ(mono.PeakRaw(), 32768);
  // Stereo: the peak covers both channels; a slice starts where it says.
  const auto st = Bytes16({1, -2, 3, -300, 5, 6});
  const SampleSource stereo(st.data(), 3, 2, 16);
  EXPECT_EQ(stereo.PeakRaw(), 300);
  EXPECT_EQ(stereo.Slice(1, 5).Frames(), 2);
  EXPECT_EQ(stereo.Slice(1, 5).Raw(0, 1), -300);
  const std::vector<uint8_t> b8 = {128, 140, 100, 130};
  EXPECT_EQ(SampleSource(b8.data(), 4, 1, 8).PeakRaw(), 28);
}

TEST(SampleSource, StoreRawClampsToTheSampleRange) {
  uint8_t p[2];
  StoreRaw(p, 16, 40000);
  EXPECT_EQ(SampleSource(p, 1, 1, 16).Raw(0, 0), 32767);
  StoreRaw(p, 16, -1);
  EXPECT_EQ(p[0], 0xFF);
  EXPECT_EQ(p[1], 0xFF);
  StoreRaw(p, 8, -500);
  EXPECT_EQ(p[0], 0);
  StoreRaw(p, 8, 5);
  EXPECT_EQ(p[0], 133);
}

}  // namespace
}  // namespace nv
