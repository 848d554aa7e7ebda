#include <gtest/gtest.h>

#include "settings/ColorMapList.h"
#include "settings/UserColorMap.h"

namespace nv {
namespace {

ColorRange Range(int32_t from, int32_t to, int32_t step, int32_t count) {
  ColorRange r;
  r.from = from;
  r.to = to;
  r.step = step;
  r.count = count;
  return r;
}

TEST(RangeRule, EqualLevelsOnlyRaiseTheCount) {
  ColorRange r = Range(-5000, -5000, 0, 0);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, 0);
  r = Range(-5000, -5000, 300, 4);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 4);
  EXPECT_EQ(r.step, 300);
}

TEST(RangeRule, PositiveCountIsReplacedFromTheStep) {
  ColorRange r = Range(0, -90000, -1000, 5);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 90);
  EXPECT_EQ(r.step, -1000);
}

TEST(RangeRule, CountRoundsHalfUp) {
  // (-10000 / -3000) + 0.5 = 3.83 -> 3; step then -10000 / 3.
  ColorRange r = Range(0, -10000, -3000, 1);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(r.step, -3333);
  // (-10000 / -4000) + 0.5 = 3.0 -> 3.
  r = Range(0, -10000, -4000, 1);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 3);
}

TEST(RangeRule, ZeroCountWithWrongSignTakesMagnitude) {
  // c = integer part of (-90 + 0.5) = -89 (towards zero): the count becomes
  // 89, and the step is then recomputed from the span as -90000 / 89.
  ColorRange r = Range(0, -90000, 1000, 0);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 89);
  EXPECT_EQ(r.step, -1011);
  r = Range(0, -90000, 2000, -1);  // c = trunc(-44.5) = -44
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 44);
  EXPECT_EQ(r.step, -2045);
}

TEST(RangeRule, ZeroCountWithTinySpanBecomesOne) {
  // c = trunc(-100 / -1000 + 0.5) = 0 -> count 1.
  ColorRange r = Range(0, -100, -1000, 0);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, -100);
}

TEST(RangeRule, PositiveCountWithWrongSignStepFollowsTheRule) {
  // c = trunc(-90 + 0.5) = -89 replaces the positive count, which is then
  // raised to 1; the step becomes the whole span.
  ColorRange r = Range(0, -90000, 1000, 5);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, -90000);
}

TEST(RangeRule, ZeroStepComesFromTheCount) {
  ColorRange r = Range(-10000, -40000, 0, 3);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(r.step, -10000);
  r = Range(0, -30000, 0, 0);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, -30000);
}

TEST(RangeRule, NonNegativeFinalStepBecomesMinusOne) {
  // "from" below "to": the step recomputed is positive and is set to -1.
  ColorRange r = Range(-90000, 0, 1000, 90);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 90);
  EXPECT_EQ(r.step, -1);
  // a span smaller than the count gives step 0, also set to -1.
  r = Range(0, -5, 0, 10);
  MakeRangeConsistent(r);
  EXPECT_EQ(r.count, 10);
  EXPECT_EQ(r.step, -1);
}

TEST(RangeEdit, CountChangeSetsTheStep) {
  ColorRange r = Range(0, -60000, -1000, 4);
  ApplyRangeEdit(r, true);
  EXPECT_EQ(r.count, 4);
  EXPECT_EQ(r.step, -15000);
}

TEST(RangeEdit, CountBelowOneIsRecomputedFromStep) {
  ColorRange r = Range(0, -60000, -2000, 0);
  ApplyRangeEdit(r, true);
  EXPECT_EQ(r.count, 30);
  EXPECT_EQ(r.step, -2000);
  r = Range(0, -60000, 0, -3);
  ApplyRangeEdit(r, true);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, -60000);
}

TEST(RangeEdit, OtherFieldChangeSetsTheCount) {
  ColorRange r = Range(0, -60000, -2000, 10);
  ApplyRangeEdit(r, false);
  EXPECT_EQ(r.count, 30);
  EXPECT_EQ(r.step, -2000);
  r = Range(0, -60000, 0, 6);
  ApplyRangeEdit(r, false);
  EXPECT_EQ(r.count, 6);
  EXPECT_EQ(r.step, -10000);
}

TEST(RangeEdit, NothingChangesWhenToIsZeroOrLevelsEqual) {
  ColorRange r = Range(-30000, 0, -1000, 7);
  ApplyRangeEdit(r, false);
  EXPECT_EQ(r.count, 7);
  EXPECT_EQ(r.step, -1000);
  r = Range(-30000, -30000, 5, 0);
  ApplyRangeEdit(r, true);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.step, 5);
}

TEST(UserColorMapForm, NewMapTemplate) {
  UserColorMap m;
  EXPECT_EQ(m.rangeCount, 0);
  EXPECT_EQ(m.unitMarker, -2);
  EXPECT_EQ(m.ranges[0].to, -90);
  EXPECT_EQ(m.ranges[0].count, 90);
  EXPECT_EQ(m.ranges[0].step, -1);
  EXPECT_EQ(m.ranges[5].count, 1);
  EXPECT_EQ(m.ranges[5].step, 0);
  EXPECT_EQ(m.ranges[63].firstColor, Rgb(0x40, 0x40, 0x40));
  EXPECT_EQ(m.ranges[63].lastColor, Rgb(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(m.ranges[63].firstPen, INT32_MIN);
}

TEST(UserColorMapForm, BytesRoundTripAndOffsets) {
  UserColorMap m;
  m.SetName("Bats");
  m.rangeCount = 2;
  m.updateLow = 0x11223344;
  m.updateHigh = 0x01D00000;
  m.ranges[1] = Range(-1000, -5000, -1000, 4);
  m.ranges[1].firstColor = Rgb(1, 2, 3);
  auto b = m.ToBytes();
  EXPECT_EQ(b.size(), 1848u);
  EXPECT_EQ(b[8], 'B');
  EXPECT_EQ(b[40], 2);
  EXPECT_EQ(b[44], 0xFE);
  EXPECT_EQ(b[48], 0x44);
  EXPECT_EQ(b[56 + 28 + 16], 1);
  EXPECT_EQ(b[56 + 28 + 17], 2);
  EXPECT_EQ(UserColorMap::FromBytes(b.data()), m);
}

TEST(UserColorMapForm, BringToCurrentFormResetsUnusedSlots) {
  UserColorMap m;
  m.ranges[3] = Range(-7000, -7000, 0, 0);
  m.ranges[3].firstColor = Rgb(9, 9, 9);
  m.ranges[4] = Range(0, -20000, -5000, 1);
  m.BringToCurrentForm();
  EXPECT_EQ(m.ranges[3], UserColorMap::TemplateSlot(3));
  EXPECT_EQ(m.ranges[4].count, 4);
  EXPECT_EQ(m.ranges[4].step, -5000);
}

// A map brought to the current form stays as it is when it is saved and
// loaded again, also for ranges that one pass of the rule leaves with a count
// that does not follow from the step (more colours than level units, a
// reversed range, a rounded count).
TEST(UserColorMapForm, BringingToCurrentFormTwiceChangesNothing) {
  UserColorMap m;
  m.ranges[0] = Range(8388608, 0, 0, 16777216);
  m.ranges[1] = Range(0, -5, 0, 10);
  m.ranges[2] = Range(-90000, 0, 1000, 90);
  m.ranges[3] = Range(0, -7, -2, 1);
  // One pass gives step -274 for 256 colours, from which 257 colours follow.
  m.ranges[4] = Range(0, -70390, 0, 256);
  // Levels far outside any spectrogram, settling only after many passes.
  m.ranges[5] = Range(1077936128, 64, 0, 65536);
  m.BringToCurrentForm();
  EXPECT_EQ(m.ranges[0].step, -1);
  EXPECT_EQ(m.ranges[0].count, 8388608);
  EXPECT_EQ(m.ranges[1].count, 5);
  EXPECT_EQ(m.ranges[2].count, 1);
  EXPECT_EQ(m.ranges[3].count, 7);
  EXPECT_EQ(m.ranges[4].count * -m.ranges[4].step <= 70390, true);
  EXPECT_EQ(m.ranges[4].count, static_cast<int32_t>(70390.0 / -m.ranges[4].step + 0.5));
  UserColorMap again = m;
  again.BringToCurrentForm();
  EXPECT_EQ(again, m);
  // The same over a grid of levels, steps and counts.
  const int32_t levels[] = {INT32_MIN, -90000, -7, -1, 0, 1, 5, 40000, INT32_MAX};
  const int32_t steps[] = {INT32_MIN, -3000, -2, -1, 0, 1, 7, INT32_MAX};
  const int32_t counts[] = {INT32_MIN, -1, 0, 1, 3, 90, 16777216, INT32_MAX};
  for (int32_t from : levels)
    for (int32_t to : levels)
      for (int32_t step : steps) {
        UserColorMap g;
        int slot = 0;
        for (int32_t count : counts) g.ranges[slot++] = Range(from, to, step, count);
        g.BringToCurrentForm();
        UserColorMap g2 = g;
        g2.BringToCurrentForm();
        ASSERT_EQ(g2, g) << from << " " << to << " " << step;
      }
}

TEST(UserColorMapForm, OnlyTheOlderReleaseIsScaled) {
  UserColorMap m;
  m.release = 3;
  m.version = 1;
  m.unitMarker = -1;
  m.ranges[2] = Range(0, -40, -1, 40);
  m.BringToCurrentForm();
  EXPECT_EQ(m.ranges[2].to, -40);
  EXPECT_EQ(m.unitMarker, -1);
}

TEST(ColorMapOffer, AppendsOnlyUsableNewMaps) {
  ColorMapList list;
  UserColorMap a;
  a.SetName("Alpha");
  a.rangeCount = 1;
  EXPECT_TRUE(list.Offer(a));
  EXPECT_EQ(list.maps.size(), 1u);
  EXPECT_FALSE(list.Offer(a));  // same name and update time
  a.updateHigh = 1;
  EXPECT_TRUE(list.Offer(a));
  EXPECT_EQ(list.maps.size(), 2u);
  UserColorMap blank;
  blank.SetName(" x");  // first character below 33
  blank.rangeCount = 3;
  EXPECT_TRUE(list.Offer(blank));
  UserColorMap empty;
  empty.SetName("Empty");
  EXPECT_TRUE(list.Offer(empty));
  EXPECT_EQ(list.maps.size(), 2u);
}

}  // namespace
}  // namespace nv
