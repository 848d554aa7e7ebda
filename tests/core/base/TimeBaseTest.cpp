// The time base of a recording: real rate, Nyquist frequency and the frame
// <-> real time conversions over many stored rates and time-expansion
// factors, against independent 128-bit references and known answers.
#include "base/TimeBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace nv {
namespace {

// Stored rates and factors: the common ones, the edges and random ones.
std::vector<TimeBase> SampleTimeBases() {
  std::vector<int64_t> rates = {1, 7, 4410, 8000, 11025, 22050, 44100, 48000, 96000,
                                192000, 250000, 384000, 500000, 5000000, 4294967295};
  std::vector<int64_t> factors = {1, 10, 100, 999, 1000, 1001, 2500, 10000, 11338,
                                  32003, 100000, 320000, 2147483647};
  std::mt19937_64 gen(20261210);
  for (int i = 0; i < 40; ++i) rates.push_back(static_cast<int64_t>(gen() % 5000000) + 1);
  for (int i = 0; i < 40; ++i) factors.push_back(static_cast<int64_t>(gen() % 200000) + 1);
  std::vector<TimeBase> out;
  for (int64_t r : rates)
    for (int64_t f : factors) out.emplace_back(r, f);
  return out;
}

__int128 Product(const TimeBase& t) {
  return static_cast<__int128>(t.ExpansionThousandths()) * t.StoredRateHz();
}

TEST(TimeBase, KnownAnswers) {
  const TimeBase plain(44100, 1000);
  EXPECT_EQ(plain.RealRateHz(), 44100);
  EXPECT_EQ(plain.NyquistHz(), 22050);
  EXPECT_EQ(plain.FramesToMicroseconds(44100), 1000000);
  EXPECT_EQ(plain.FramesToMicroseconds(1), 22);  // 1e9 / 44100 = 22675, / 1000 = 22
  EXPECT_EQ(plain.MicrosecondsToFrames(999), 44);  // 44055.9 / 1000
  EXPECT_DOUBLE_EQ(plain.ExpansionFactor(), 1.0);

  const TimeBase tenfold(44100, 10000);
  EXPECT_EQ(tenfold.RealRateHz(), 441000);
  EXPECT_EQ(tenfold.NyquistHz(), 220500);
  EXPECT_EQ(tenfold.FramesToMicroseconds(44100), 100000);
  EXPECT_EQ(tenfold.MicrosecondsToFrames(1000), 441);
  EXPECT_DOUBLE_EQ(tenfold.FramesToSeconds(441000), 1.0);
  EXPECT_DOUBLE_EQ(tenfold.ExpansionFactor(), 10.0);

  EXPECT_EQ(TimeBase(11025, 1000).NyquistHz(), 5512);  // whole Hz, truncated
  EXPECT_EQ(TimeBase(500000, 10000).NyquistHz(), 2500000);
  // 5 MHz, factor 100, 20 minutes: the product passes 64 bits, the result does not.
  const TimeBase fast(5000000, 100000);
  EXPECT_EQ(fast.MicrosecondsToFrames(1200000000), 600000000000);
  EXPECT_EQ(fast.FramesToMicroseconds(600000000000), 1200000000);
  // Neither a zero rate nor a zero factor divides by zero.
  EXPECT_EQ(TimeBase(44100, 0).FramesToMicroseconds(100), 0);
  EXPECT_EQ(TimeBase(0, 1000).FramesToMicroseconds(100), 0);
  EXPECT_EQ(TimeBase(0, 1000).FramesToSeconds(100), 0.0);
  EXPECT_EQ(TimeBase(0, 1000).MicrosecondsToFrames(100), 0);
}

TEST(TimeBase, RepairTakesNoFactorAsNone) {
  for (int64_t f : {int64_t{0}, int64_t{-1}, int64_t{-5000}, int64_t{INT32_MIN}})
    EXPECT_EQ(TimeBase::RepairedExpansion(f), 1000) << f;
  for (int32_t f : {1, 10, 999, 1000, 100000, 320000, INT32_MAX})
    EXPECT_EQ(TimeBase::RepairedExpansion(f), f) << f;
  EXPECT_EQ(TimeBase::RepairedExpansion(int32_t{-3}), int32_t{1000});
  const TimeBase none(96000, -7);
  EXPECT_EQ(none.Repaired(), TimeBase(96000, 1000));
  EXPECT_EQ(none.Repaired().NyquistHz(), 48000);
  EXPECT_EQ(TimeBase(96000, 0).Repaired().FramesToMicroseconds(96000), 1000000);
  EXPECT_EQ(TimeBase(96000, 20000).Repaired(), TimeBase(96000, 20000));
}

TEST(TimeBase, RatesAndNyquistMatchTheirDefinitions) {
  for (const TimeBase& t : SampleTimeBases()) {
    const __int128 p = Product(t);
    ASSERT_EQ(t.RealRateHz(), static_cast<int64_t>(p / 1000)) << t.StoredRateHz() << " " << t.ExpansionThousandths();
    // (factor x rate / 2) / 1000, factor x rate / 1000 / 2 and the real rate
    // halved are one number.
    ASSERT_EQ(t.NyquistHz(), static_cast<int64_t>(p / 2 / 1000));
    ASSERT_EQ(t.NyquistHz(), t.RealRateHz() / 2);
    ASSERT_EQ(t.RealRateHzExact(),
              static_cast<double>(t.ExpansionThousandths()) * static_cast<double>(t.StoredRateHz()) / 1000.0);
    // Halving is exact in binary: the exact Nyquist frequency is the exact
    // real rate halved, bit for bit.
    ASSERT_EQ(t.NyquistHzExact(), t.RealRateHzExact() / 2);
    ASSERT_EQ(t.FramesToSeconds(123456789), 123456789 / t.RealRateHzExact());
  }
}

TEST(TimeBase, ConversionsRoundTripWithinOneStep) {
  std::mt19937_64 gen(7);
  for (const TimeBase& t : SampleTimeBases()) {
    const __int128 p = Product(t);  // real rate x 1000
    // Frames per microsecond of real time, rounded up, and microseconds per frame.
    const __int128 framesPerUs = p / 1000000000 + 1;
    const __int128 usPerFrame = static_cast<__int128>(1000000000) / p + 1;
    // Lengths whose times (and times whose lengths) stay within 62 bits.
    const __int128 limit = static_cast<__int128>(1) << 62;
    const auto frameBound = static_cast<uint64_t>(std::min<__int128>(int64_t{1} << 40, limit * p / 1000000000 + 1));
    const auto timeBound = static_cast<uint64_t>(std::min<__int128>(int64_t{1} << 40, limit * 1000000000 / p + 1));
    for (int i = 0; i < 30; ++i) {
      const int64_t n = static_cast<int64_t>(gen() % frameBound);
      const int64_t us = t.FramesToMicroseconds(n);
      const int64_t back = t.MicrosecondsToFrames(us);
      // Both steps truncate: never more frames than there were, and fewer
      // by at most what one microsecond holds.
      ASSERT_LE(back, n) << t.StoredRateHz() << " " << t.ExpansionThousandths() << " " << n;
      ASSERT_LE(n - back, framesPerUs) << t.StoredRateHz() << " " << t.ExpansionThousandths() << " " << n;
      // The reference: n x 1e9 / rate / factor in 128 bits.
      ASSERT_EQ(us, static_cast<int64_t>(static_cast<__int128>(n) * 1000000000 / t.StoredRateHz() /
                                         t.ExpansionThousandths()));

      const int64_t tUs = static_cast<int64_t>(gen() % timeBound);
      const int64_t frames = t.MicrosecondsToFrames(tUs);
      ASSERT_EQ(frames, static_cast<int64_t>(p * tUs / 1000000 / 1000));
      const int64_t again = t.FramesToMicroseconds(frames);
      ASSERT_LE(again, tUs);
      ASSERT_LE(tUs - again, usPerFrame) << t.StoredRateHz() << " " << t.ExpansionThousandths() << " " << tUs;
    }
  }
}

TEST(TimeBase, FrameIndexHoldsEveryFrameOfAWaveFile) {
  // An 8-bit mono data chunk may hold 2^32 - 1 frames.
  const FrameIndex last = FrameIndex{UINT32_MAX};
  EXPECT_GT(last + 1, last);
  const TimeBase t(8000, 1000);
  EXPECT_EQ(t.FramesToMicroseconds(last), int64_t{UINT32_MAX} * 1000000 / 8000);
  EXPECT_EQ(t.MicrosecondsToFrames(t.FramesToMicroseconds(last)), last);
}

}  // namespace
}  // namespace nv
