#pragma once
// The time axis of a plot: the tick interval for a plot duration, the
// time-format codes that say how a time is written, and the texts.
//
// Times are 64-bit nanoseconds of real (time-expansion corrected) time.
// Format codes: 1 whole seconds, 2 ... 6 seconds with 1 ... 5 decimals,
// 7 whole milliseconds, 8 ... 12 milliseconds with 1 ... 5 decimals,
// 13 whole microseconds, 14 ... 18 microseconds with 1 ... 5 decimals,
// 0 (any other value) seconds with 6 decimals. Pure functions.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// The tick interval (ns) for a plot duration (ns): 120 s from 600 s on,
// 60 s from 300 s, 30 s from 60 s, 10 s from 30 s, 5 s from 10 s; below,
// 10^k s for a duration in [5, 10) x 10^k s, 0.5 x 10^k s in [2, 5) and
// 0.2 x 10^k s in [1, 2). Never below 1 ns.
int64_t TimeTickIntervalNs(int64_t durationNs);

// The code that writes v (ns) without loss in the coarsest unit: 1 for whole
// seconds, 7 for whole milliseconds (tenths and hundredths of seconds too),
// 13 for whole microseconds, 14 for tenths of a microsecond, 15 for
// hundredths, 16 otherwise.
int TimeFormatCode(int64_t v);

// The finer code for readouts of a scale whose labels use `code`: the value
// one hundredth of the tick interval (intervalNs / 100) written in the same
// unit, with as many decimals as it needs (seconds 0 ... 5 decimals, codes
// 1 ... 6; milliseconds 0 ... 5, codes 7 ... 12; microseconds 0 ... 4,
// codes 13 ... 17).
int FinerTimeFormatCode(int code, int64_t intervalNs);

// The number of a time in the unit of `code`, e.g. "200" (code 7 for 0.2 s).
std::string FormatTimeValue(int code, int64_t ns);
// "sec", "ms" or "\u00b5s" (the micro sign), "sec?" for an unknown code.
std::string TimeUnitName(int code);
// The value, a blank and the unit: "200 ms".
std::string FormatTimeWithUnit(int code, int64_t ns);

// The two texts of a combined view's time axis: the end time and the tick
// interval, both written with `code`, with the trailing zeros both have in
// common removed pairwise after the decimal point (and then a bare decimal
// point). endText gets " " and the unit; intervalText gets " ", the unit
// and "/div" appended by the caller (see unit).
struct CombinedTimeTexts {
  std::string end;       // number only
  std::string interval;  // number only
  std::string unit;
};
CombinedTimeTexts MakeCombinedTimeTexts(int code, int64_t endNs, int64_t intervalNs);

// The labelled ticks of a time axis showing startNs ... startNs + durationNs
// (real time): every multiple of TimeTickIntervalNs(durationNs) from the
// first at or after the start up to the end, each labelled with the tick
// interval's format code; the last label (whose next tick would lie beyond
// the end) gets " " and the unit appended.
struct TimeTick {
  int64_t ns = 0;
  std::string label;
};
std::vector<TimeTick> TimeAxisTicks(int64_t startNs, int64_t durationNs);

}  // namespace nv
