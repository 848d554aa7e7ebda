// Running filters over 8-bit and 16-bit interleaved samples in place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "filter/FilterApply.h"
#include "filter/FilterDesign.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

FilterDescription Coefficients(std::vector<double> a, std::vector<double> b) {
  FilterDescription d;
  d.filterType = FilterType::UserDefined;
  d.order = static_cast<int>(a.size()) - 1;
  for (std::size_t i = 0; i < a.size(); ++i) d.a[i] = a[i];
  for (std::size_t i = 0; i < b.size(); ++i) d.b[i] = b[i];
  return d;
}

std::vector<std::uint8_t> Bytes16(const std::vector<int>& values) {
  std::vector<std::uint8_t> out;
  for (int v : values) {
    const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
    out.push_back(static_cast<std::uint8_t>(u & 0xff));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

std::vector<int> Values16(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
  }
  return out;
}

TEST(FilterApply, SixteenBitOutputIsClippedButPastOutputsAreNot) {
  // A running sum y[n] = x[n] + y[n-1]: 20000, 40000, 10000, -20000,
  // -50000, -20000 stored as 20000, 32767, 10000, -20000, -32768, -20000.
  const FilterDescription sum = Coefficients({1.0, -1.0}, {1.0, 0.0});
  std::vector<std::uint8_t> bytes = Bytes16({20000, 20000, -30000, -30000, -30000, 30000});
  ASSERT_TRUE(ApplyFilter(sum, bytes.data(), 0, 6, 1, 16, 3));
  EXPECT_EQ(Values16(bytes), (std::vector<int>{20000, 32767, 10000, -20000, -32768, -20000}));

  // A designed filter that overshoots: a full-scale square wave through a
  // sharp elliptic low-pass rings past full scale at every edge.
  FilterDescription ellip = test::Described(FilterType::Elliptic, BandType::LowPass, 6, 4000, 0, 30, -60);
  ASSERT_EQ(DesignFilterQuietly(ellip, 22050), "");
  std::vector<int> square;
  for (int i = 0; i < 2000; ++i) square.push_back((i / 100) % 2 ? -32768 : 32767);
  std::vector<std::uint8_t> wave = Bytes16(square);
  ASSERT_TRUE(ApplyFilter(ellip, wave.data(), 0, 2000, 1, 16, 1));
  const std::vector<int> out = Values16(wave);
  int high = 0;
  int low = 0;
  for (int v : out) {
    high += v == 32767;
    low += v == -32768;
  }
  EXPECT_GT(high, 0);
  EXPECT_GT(low, 0);
  // Wherever the difference equation overshoots full scale, the stored
  // sample is the limit.
  std::vector<double> y(square.size(), 0.0);
  int overshoots = 0;
  for (std::size_t i = 0; i < square.size(); ++i) {
    double acc = 0.0;
    for (std::size_t k = 0; k <= 6 && k <= i; ++k) acc += ellip.b[k] * square[i - k];
    for (std::size_t k = 1; k <= 6 && k <= i; ++k) acc -= ellip.a[k] * y[i - k];
    y[i] = acc;
    if (acc > 32768.5) {
      EXPECT_EQ(out[i], 32767) << i;
      ++overshoots;
    }
    if (acc < -32769.5) {
      EXPECT_EQ(out[i], -32768) << i;
      ++overshoots;
    }
  }
  EXPECT_GT(overshoots, 20);
  // Once past its delay after a rising edge the output stays high: the
  // overshoot is clipped, never wrapped to negative.
  for (int edge = 200; edge < 2000; edge += 200) {
    for (int i = edge + 20; i < edge + 100; ++i) EXPECT_GT(out[i], 16000) << i;
  }
}

TEST(FilterApply, OutputsAreTruncatedTowardZero) {
  const FilterDescription half = Coefficients({1.0, 0.0}, {0.5, 0.0});
  std::vector<std::uint8_t> bytes = Bytes16({3, -3, 1, -1, 32767, -32768});
  ASSERT_TRUE(ApplyFilter(half, bytes.data(), 0, 6, 1, 16, 3));
  EXPECT_EQ(Values16(bytes), (std::vector<int>{1, -1, 0, 0, 16383, -16384}));

  // 8-bit: offset binary, truncated, clipped to -128..127.
  std::vector<std::uint8_t> eight{131, 125, 128, 255, 0};
  ASSERT_TRUE(ApplyFilter(half, eight.data(), 0, 5, 1, 8, 3));
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{129, 127, 128, 191, 64}));
  const FilterDescription twice = Coefficients({1.0, 0.0}, {2.0, 0.0});
  std::vector<std::uint8_t> loud{255, 0, 190, 60, 128};
  ASSERT_TRUE(ApplyFilter(twice, loud.data(), 0, 5, 1, 8, 3));
  EXPECT_EQ(loud, (std::vector<std::uint8_t>{255, 0, 252, 0, 128}));
}

TEST(FilterApply, RangeStartsAtRestAndLeavesTheRestAlone) {
  // y[n] = x[n] + x[n-1]: the first frame of the range sees no earlier input.
  const FilterDescription pair = Coefficients({1.0, 0.0}, {1.0, 1.0});
  std::vector<std::uint8_t> bytes = Bytes16({100, 200, 300, 400, 500, 600});
  ASSERT_TRUE(ApplyFilter(pair, bytes.data(), 2, 5, 1, 16, 3));
  EXPECT_EQ(Values16(bytes), (std::vector<int>{100, 200, 300, 700, 900, 600}));
  // Bounds the wrong way round are swapped; an empty range changes nothing.
  std::vector<std::uint8_t> again = Bytes16({100, 200, 300, 400, 500, 600});
  ASSERT_TRUE(ApplyFilter(pair, again.data(), 5, 2, 1, 16, 3));
  EXPECT_EQ(Values16(again), (std::vector<int>{100, 200, 300, 700, 900, 600}));
  ASSERT_TRUE(ApplyFilter(pair, again.data(), 3, 3, 1, 16, 3));
  EXPECT_EQ(Values16(again), (std::vector<int>{100, 200, 300, 700, 900, 600}));
}

TEST(FilterApply, StereoChannelsAreFilteredSeparately) {
  const FilterDescription sum = Coefficients({1.0, -1.0}, {1.0, 0.0});
  // Frames (left, right).
  const std::vector<int> frames{1, 10, 2, 20, 3, 30, 4, 40};
  std::vector<std::uint8_t> left = Bytes16(frames);
  ASSERT_TRUE(ApplyFilter(sum, left.data(), 0, 4, 2, 16, 1));
  EXPECT_EQ(Values16(left), (std::vector<int>{1, 10, 3, 20, 6, 30, 10, 40}));
  std::vector<std::uint8_t> right = Bytes16(frames);
  ASSERT_TRUE(ApplyFilter(sum, right.data(), 0, 4, 2, 16, 2));
  EXPECT_EQ(Values16(right), (std::vector<int>{1, 10, 2, 30, 3, 60, 4, 100}));
  std::vector<std::uint8_t> both = Bytes16(frames);
  ASSERT_TRUE(ApplyFilter(sum, both.data(), 0, 4, 2, 16, 3));
  EXPECT_EQ(Values16(both), (std::vector<int>{1, 10, 3, 30, 6, 60, 10, 100}));
  // 8-bit stereo, right only.
  std::vector<std::uint8_t> eight{129, 130, 129, 130, 129, 130};
  ASSERT_TRUE(ApplyFilter(sum, eight.data(), 0, 3, 2, 8, 2));
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{129, 130, 129, 132, 129, 134}));
}

TEST(FilterApply, DesignedFilterMatchesTheDifferenceEquation) {
  FilterDescription d = test::Described(FilterType::Butterworth, BandType::BandPass, 8, 2000, 5000);
  ASSERT_EQ(DesignFilterQuietly(d, 22050), "");
  // More frames than one processing block, so that the history crosses blocks.
  const int n = 10000;
  std::vector<int> input(n);
  for (int i = 0; i < n; ++i) {
    input[i] = static_cast<int>(12000.0 * std::sin(0.3 * i) + 9000.0 * std::sin(0.011 * i * i / 50.0));
  }
  std::vector<std::uint8_t> bytes = Bytes16(input);
  ASSERT_TRUE(ApplyFilter(d, bytes.data(), 0, n, 1, 16, 3));
  const std::vector<int> out = Values16(bytes);
  std::vector<double> y(n, 0.0);
  for (int i = 0; i < n; ++i) {
    double acc = 0.0;
    for (int k = 0; k <= d.order && k <= i; ++k) acc += d.b[k] * input[i - k];
    for (int k = 1; k <= d.order && k <= i; ++k) acc -= d.a[k] * y[i - k];
    y[i] = acc;
    const double expected = std::clamp(std::trunc(acc), -32768.0, 32767.0);
    // Summation order may differ in the last bits; never by a whole step
    // except where the value sits on an integer.
    ASSERT_NEAR(out[i], expected, 1.0) << i;
  }
}

TEST(FilterApply, RefusedInputsLeaveSamplesUnchanged) {
  test::ScopedMessages messages;
  const FilterDescription sum = Coefficients({1.0, -1.0}, {1.0, 0.0});
  const std::vector<std::uint8_t> original{1, 2, 3, 4, 5, 6};
  std::vector<std::uint8_t> bytes = original;
  EXPECT_FALSE(ApplyFilter(sum, bytes.data(), 0, 2, 1, 24, 3));
  ASSERT_EQ(messages.sink.texts.size(), 1u);
  EXPECT_EQ(messages.sink.texts[0], "Unknown data format, only 8 and 16 bits data supported.");
  EXPECT_EQ(messages.sink.icons[0], MessageIcon::Exclamation);
  EXPECT_FALSE(ApplyFilter(sum, bytes.data(), 0, 2, 3, 16, 3));
  EXPECT_FALSE(ApplyFilter(sum, bytes.data(), 0, 2, 2, 16, 0));
  EXPECT_FALSE(ApplyFilter(sum, bytes.data(), -1, 2, 1, 16, 3));
  FilterDescription tooLong = sum;
  tooLong.order = 50;
  EXPECT_FALSE(ApplyFilter(tooLong, bytes.data(), 0, 2, 1, 16, 3));
  EXPECT_EQ(messages.sink.texts.size(), 5u);
  EXPECT_EQ(bytes, original);
}

TEST(FilterApply, UnstableFilterNeverWrapsOrCrashes) {
  // Growth by 3 per sample reaches infinity and then NaN (inf - inf) in the
  // past outputs; stored samples stay clipped or silent.
  const FilterDescription wild = Coefficients({1.0, -3.0, 1.0}, {1.0, 0.0, 0.0});
  std::vector<int> input(3000, 1000);
  std::vector<std::uint8_t> bytes = Bytes16(input);
  ASSERT_TRUE(ApplyFilter(wild, bytes.data(), 0, 3000, 1, 16, 3));
  for (int v : Values16(bytes)) EXPECT_TRUE(v == 32767 || v == -32768 || v == 0 || std::abs(v) < 32767);
}

}  // namespace
}  // namespace nv
