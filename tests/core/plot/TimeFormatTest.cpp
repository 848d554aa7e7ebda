#include "plot/TimeFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nv {
namespace {

constexpr int64_t kMs = 1000000;
constexpr int64_t kSec = 1000000000;

TEST(TimeFormat, TickLadder) {
  EXPECT_EQ(TimeTickIntervalNs(7 * kSec), kSec);
  EXPECT_EQ(TimeTickIntervalNs(1500 * kMs), 200 * kMs);
  EXPECT_EQ(TimeTickIntervalNs(45 * kMs), 5 * kMs);
  EXPECT_EQ(TimeTickIntervalNs(1500), 200);  // 1.5 us: 0.2 us
  EXPECT_EQ(TimeTickIntervalNs(1000), 200);
  EXPECT_EQ(TimeTickIntervalNs(5000), 1000);
  EXPECT_EQ(TimeTickIntervalNs(3 * kSec), 500 * kMs);
  EXPECT_EQ(TimeTickIntervalNs(9999 * kMs), kSec);
  EXPECT_EQ(TimeTickIntervalNs(10 * kSec), 5 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(15 * kSec), 5 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(30 * kSec), 10 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(60 * kSec), 30 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(300 * kSec), 60 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(600 * kSec), 120 * kSec);
  EXPECT_EQ(TimeTickIntervalNs(1200 * kSec), 120 * kSec);
  EXPECT_GE(TimeTickIntervalNs(0), 1);
}

TEST(TimeFormat, Codes) {
  EXPECT_EQ(TimeFormatCode(kSec), 1);
  EXPECT_EQ(TimeFormatCode(120 * kSec), 1);
  EXPECT_EQ(TimeFormatCode(200 * kMs), 7);
  EXPECT_EQ(TimeFormatCode(5 * kMs), 7);
  EXPECT_EQ(TimeFormatCode(500 * 1000), 13);  // 0.5 ms
  EXPECT_EQ(TimeFormatCode(1000), 13);        // 1 us
  EXPECT_EQ(TimeFormatCode(200), 14);         // 0.2 us: one decimal in us
  EXPECT_EQ(TimeFormatCode(20), 15);
  EXPECT_EQ(TimeFormatCode(2), 16);
}

TEST(TimeFormat, FinerCodes) {
  EXPECT_EQ(FinerTimeFormatCode(1, kSec), 3);          // 10 ms = 0.01 s
  EXPECT_EQ(FinerTimeFormatCode(1, 5 * kSec), 3);      // 0.05 s
  EXPECT_EQ(FinerTimeFormatCode(1, 120 * kSec), 2);    // 1.2 s
  EXPECT_EQ(FinerTimeFormatCode(1, 100 * kSec), 1);    // 1 s
  EXPECT_EQ(FinerTimeFormatCode(7, 200 * kMs), 7);     // 2 ms
  EXPECT_EQ(FinerTimeFormatCode(7, 5 * kMs), 9);       // 0.05 ms
  EXPECT_EQ(FinerTimeFormatCode(13, 1000), 15);        // 10 ns = 0.01 us
  EXPECT_EQ(FinerTimeFormatCode(14, 200), 16);         // 2 ns = 0.002 us
}

TEST(TimeFormat, Formatting) {
  EXPECT_EQ(FormatTimeValue(1, 3 * kSec), "3");
  EXPECT_EQ(FormatTimeValue(1, 2600 * kMs), "3");  // rounded
  EXPECT_EQ(FormatTimeValue(3, 1500 * kMs), "1.50");
  EXPECT_EQ(FormatTimeValue(7, 400 * kMs), "400");
  EXPECT_EQ(FormatTimeValue(9, 1234567), "1.23");
  EXPECT_EQ(FormatTimeValue(13, 5000), "5");
  EXPECT_EQ(FormatTimeValue(14, 200), "0.2");
  EXPECT_EQ(FormatTimeValue(0, 1500), "0.000002");
  EXPECT_EQ(TimeUnitName(1), "sec");
  EXPECT_EQ(TimeUnitName(6), "sec");
  EXPECT_EQ(TimeUnitName(7), "ms");
  EXPECT_EQ(TimeUnitName(12), "ms");
  EXPECT_EQ(TimeUnitName(13), "\u00b5s");
  EXPECT_EQ(TimeUnitName(18), "\u00b5s");
  EXPECT_EQ(TimeUnitName(0), "sec?");
  EXPECT_EQ(TimeUnitName(19), "sec?");
  EXPECT_EQ(FormatTimeWithUnit(7, 200 * kMs), "200 ms");
  EXPECT_EQ(FormatTimeWithUnit(14, 200), "0.2 \u00b5s");
}

// The edge cases of the plot durations: tick interval, label code, labels.
TEST(TimeFormat, PlotDurations) {
  int64_t t = TimeTickIntervalNs(7 * kSec);
  int code = TimeFormatCode(t);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(FormatTimeWithUnit(code, 7 * kSec), "7 sec");
  t = TimeTickIntervalNs(1500 * kMs);
  code = TimeFormatCode(t);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(FormatTimeValue(code, 2 * t), "400");
  EXPECT_EQ(FormatTimeWithUnit(code, 7 * t), "1400 ms");
  t = TimeTickIntervalNs(45 * kMs);
  code = TimeFormatCode(t);
  EXPECT_EQ(t, 5 * kMs);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(FormatTimeValue(code, 3 * t), "15");
}

TEST(TimeFormat, CombinedTexts) {
  // 15 s plot with 5 s ticks, readouts to 1/100 s: trailing zeros go.
  CombinedTimeTexts c = MakeCombinedTimeTexts(3, 15 * kSec, 5 * kSec);
  EXPECT_EQ(c.end, "15");
  EXPECT_EQ(c.interval, "5");
  EXPECT_EQ(c.unit, "sec");
  // Only zeros both have are removed.
  c = MakeCombinedTimeTexts(3, 15500 * kMs, 5 * kSec);
  EXPECT_EQ(c.end, "15.5");
  EXPECT_EQ(c.interval, "5.0");
  c = MakeCombinedTimeTexts(3, 15010 * kMs, 5 * kSec);
  EXPECT_EQ(c.end, "15.01");
  EXPECT_EQ(c.interval, "5.00");
  // Whole numbers keep their zeros.
  c = MakeCombinedTimeTexts(7, 3000 * kMs, 500 * kMs);
  EXPECT_EQ(c.end, "3000");
  EXPECT_EQ(c.interval, "500");
  EXPECT_EQ(c.unit, "ms");
}

std::vector<std::string> Labels(const std::vector<TimeTick>& ticks) {
  std::vector<std::string> v;
  for (const TimeTick& t : ticks) v.push_back(t.label);
  return v;
}

// Known axes from 1 ms to 1 hour: the ticks at the nice steps of the span,
// each labelled, the last one with its unit.
TEST(TimeFormat, AxisTicksKnownSpans) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Labels(TimeAxisTicks(0, kMs)), (V{"0", "200", "400", "600", "800", "1000 \u00b5s"}));
  EXPECT_EQ(Labels(TimeAxisTicks(0, 45 * kMs)),
            (V{"0", "5", "10", "15", "20", "25", "30", "35", "40", "45 ms"}));
  EXPECT_EQ(Labels(TimeAxisTicks(0, 1500 * kMs)),
            (V{"0", "200", "400", "600", "800", "1000", "1200", "1400 ms"}));
  EXPECT_EQ(Labels(TimeAxisTicks(0, 7 * kSec)), (V{"0", "1", "2", "3", "4", "5", "6", "7 sec"}));
  // An hour: every two minutes, 31 ticks.
  const std::vector<TimeTick> hour = TimeAxisTicks(0, 3600 * kSec);
  ASSERT_EQ(hour.size(), 31u);
  EXPECT_EQ(hour[1].label, "120");
  EXPECT_EQ(hour.back().label, "3600 sec");
  // A view that starts between ticks: the first tick is the next multiple.
  const std::vector<TimeTick> later = TimeAxisTicks(1230 * kMs + 1, 45 * kMs);
  ASSERT_FALSE(later.empty());
  EXPECT_EQ(later.front().ns, 1235 * kMs);
  EXPECT_EQ(later.front().label, "1235");
  EXPECT_EQ(later.back().ns, 1275 * kMs);
  EXPECT_EQ(later.back().label, "1275 ms");
  // Microseconds with a decimal.
  EXPECT_EQ(Labels(TimeAxisTicks(0, 1500)), (V{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0", "1.2", "1.4 \u00b5s"}));
}

// For spans from 1 us to an hour and many start times: the ticks are
// consecutive multiples of the tick interval inside the view, four to eleven
// of them, and every label read back in its unit is the tick's time.
TEST(TimeFormat, AxisTicksPropertiesOverSpans) {
  for (int64_t span = 1000; span <= 3600 * kSec; span = span * 13 / 10 + 7) {
    for (int64_t start : {int64_t{0}, span / 3, 7 * span + 11, 3599 * kSec + 123456789}) {
      const std::vector<TimeTick> ticks = TimeAxisTicks(start, span);
      const int64_t step = TimeTickIntervalNs(span);
      ASSERT_GE(ticks.size(), 2u) << span << " " << start;
      EXPECT_LE(ticks.size(), 31u) << span;
      if (span < 10 * kSec) {
        EXPECT_GE(ticks.size(), 4u) << span << " " << start;
        EXPECT_LE(ticks.size(), 11u) << span << " " << start;
      }
      const int code = TimeFormatCode(step);
      const std::string unit = " " + TimeUnitName(code);
      const double unitNs = code <= 6 ? 1e9 : code <= 12 ? 1e6 : 1e3;
      for (size_t i = 0; i < ticks.size(); ++i) {
        const TimeTick& t = ticks[i];
        EXPECT_EQ(t.ns % step, 0);
        EXPECT_GE(t.ns, start);
        EXPECT_LE(t.ns, start + span);
        if (i > 0) {
          EXPECT_EQ(t.ns - ticks[i - 1].ns, step);
        }
        const bool last = i + 1 == ticks.size();
        EXPECT_EQ(t.label.size() > unit.size() && t.label.compare(t.label.size() - unit.size(), unit.size(), unit) == 0,
                  last)
            << t.label;
        EXPECT_NEAR(std::stod(t.label) * unitNs, static_cast<double>(t.ns), 1e-6 * unitNs) << t.label;
      }
      EXPECT_GT(ticks.back().ns + step, start + span);
      EXPECT_LT(ticks.front().ns - step, start);
    }
  }
}

}  // namespace
}  // namespace nv
