#include "plot/LevelScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "plot/UserPens.h"

namespace nv {
namespace {

TEST(LevelScale, ThresholdFloors) {
  EXPECT_EQ(ThresholdFloorOf(0).floor, 1.0);
  EXPECT_EQ(ThresholdFloorOf(-5).floor, 1.0);
  EXPECT_EQ(ThresholdFloorOf(-5).lnFloor, 0.0);
  EXPECT_EQ(ThresholdFloorOf(32).floor, 2.56e7);
  EXPECT_EQ(ThresholdFloorOf(40).floor, 2.56e7);
  EXPECT_NEAR(ThresholdFloorOf(16).floor, std::sqrt(2.56e7), 1e-6);
  // 2.315 dB per step relative to full scale: -90.31 dB at 0, -16.23 dB at 32.
  auto db = [](double f) { return 10 * std::log10(f / 1073741824.0); };
  EXPECT_NEAR(db(ThresholdFloorOf(0).floor), -90.31, 0.01);
  EXPECT_NEAR(db(ThresholdFloorOf(32).floor), -16.23, 0.01);
  EXPECT_NEAR(db(ThresholdFloorOf(11).floor) - db(ThresholdFloorOf(10).floor), 2.315, 0.001);
}

TEST(LevelScale, LevelCurveAndContrast) {
  const LevelScale plain(0, 0);
  EXPECT_EQ(plain.Level(1.0), kNoLevel);  // at the floor
  EXPECT_EQ(plain.Level(0.0), kNoLevel);
  EXPECT_EQ(plain.Level(1073741824.0), 63);  // v = 1: 64 limited to 63
  EXPECT_EQ(plain.Level(1e12), 63);
  // v = 0.5 at the geometric middle: level 32.
  EXPECT_EQ(plain.Level(32768.0 * 1.0000001), 32);
  EXPECT_EQ(plain.Level(32768.0 * 0.9999), 31);
  const LevelScale squared(0, 2);  // gamma 2: v = 0.5 -> 0.25 -> 16
  EXPECT_DOUBLE_EQ(squared.gamma(), 2.0);
  EXPECT_EQ(squared.Level(32768.0 * 1.0000001), 16);
  const LevelScale root(0, -2);  // gamma 1/2: v = 0.25 -> 0.5 -> 32
  EXPECT_DOUBLE_EQ(root.gamma(), 0.5);
  EXPECT_EQ(root.Level(std::pow(2.0, 7.5) * 1.0000001), 32);
}

// The bucket lookup must give the formula's level for every power.
TEST(LevelScale, FastLevelEqualsFormulaForAllThresholdsAndContrasts) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> lnP(-2.0, 23.0);
  for (int t = -1; t <= 33; t += 3) {
    for (int c = -10; c <= 10; ++c) {
      const LevelScale s(t, c);
      for (int i = 0; i < 3000; ++i) {
        const double p = std::exp(lnP(rng));
        ASSERT_EQ(s.Level(p), s.ExactLevel(p)) << "t " << t << " c " << c << " P " << p;
      }
      // Powers right at the level boundaries and at the floor.
      for (int l = 1; l < 64; ++l) {
        double v = l / 64.0;
        if (c != 0) v = std::pow(v, 1.0 / s.gamma());
        const double p = std::exp(s.lnFloor() + v * (s.lnTop() - s.lnFloor()));
        for (double q : {std::nextafter(p, 0.0), p, std::nextafter(p, 1e300)})
          ASSERT_EQ(s.Level(q), s.ExactLevel(q)) << "t " << t << " c " << c << " l " << l;
      }
      const double f = s.floor();
      EXPECT_EQ(s.Level(f), kNoLevel);
      EXPECT_EQ(s.Level(std::nextafter(f, 1e300)), s.ExactLevel(std::nextafter(f, 1e300)));
    }
  }
}

UserColorMap MapWith(std::initializer_list<ColorRange> ranges) {
  UserColorMap m;
  m.rangeCount = static_cast<int32_t>(ranges.size());
  int i = 0;
  for (const ColorRange& r : ranges) m.ranges[i++] = r;
  return m;
}

TEST(UserPens, PenColoursAndLookup) {
  ColorRange a;  // 0 dB down to -30 dB in 3 colours of 10 dB
  a.from = 0;
  a.to = -30000;
  a.step = -10000;
  a.count = 3;
  a.firstColor = Rgb(0, 200, 30);
  a.lastColor = Rgb(90, 20, 30);
  ColorRange b;  // -30 dB to -60 dB in one colour
  b.from = -30000;
  b.to = -60000;
  b.step = -30000;
  b.count = 1;
  b.firstColor = Rgb(1, 2, 3);
  b.lastColor = Rgb(9, 9, 9);
  const UserPenTable t = MakeUserPens(MapWith({a, b}));
  ASSERT_EQ(t.colors.size(), 4u);
  EXPECT_EQ(t.colors[0], Rgb(0, 200, 30));
  EXPECT_EQ(t.colors[1], Rgb(30, 140, 30));  // A + 1 * (B - A) / 3 per channel
  EXPECT_EQ(t.colors[2], Rgb(90, 20, 30));   // the last colour
  EXPECT_EQ(t.colors[3], Rgb(1, 2, 3));      // a single pen of the first colour
  EXPECT_EQ(t.ranges[0].firstPen, 0);
  EXPECT_EQ(t.ranges[1].firstPen, 3);

  EXPECT_EQ(t.FindPen(0), 0);         // from >= key
  EXPECT_EQ(t.FindPen(1), kNoPen);    // above every range
  EXPECT_EQ(t.FindPen(-9999), 0);
  EXPECT_EQ(t.FindPen(-10000), 1);
  EXPECT_EQ(t.FindPen(-29999), 2);
  EXPECT_EQ(t.FindPen(-30000), 3);    // not above a's lower end: range b
  EXPECT_EQ(t.FindPen(-59999), 3);
  EXPECT_EQ(t.FindPen(-60000), kNoPen);  // key > to fails
  EXPECT_EQ(t.FindPen(INT32_MIN), kNoPen);

  EXPECT_EQ(UserLevelKey(1073741824.0), 0);
  EXPECT_NEAR(UserLevelKey(1073741824.0 / 10.0), -10000, 1);
  EXPECT_EQ(UserLevelKey(0.0), INT32_MIN);
  EXPECT_EQ(UserLevelKey(-1.0), INT32_MIN);
  EXPECT_EQ(UserLevelKey(1e-300), -3090308);  // -3090.3 dB: still in range
  EXPECT_EQ(MakeUserPens(UserColorMap()).colors.size(), 0u);
}

}  // namespace
}  // namespace nv
