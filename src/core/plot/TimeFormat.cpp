#include "plot/TimeFormat.h"

#include <cstdio>
#include <utility>

#include "plot/AxisRules.h"

namespace nv {

namespace {

constexpr int64_t kSecond = 1000000000;

const char* const kDecimalFormats[] = {"%01.0f", "%01.1f", "%01.2f", "%01.3f", "%01.4f", "%01.5f"};

// Decimals needed to write v (ns) in units of `unitNs`, at most maxDecimals.
int DecimalsNeeded(int64_t v, int64_t unitNs, int maxDecimals) {
  int d = 0;
  int64_t u = unitNs;
  while (d < maxDecimals && u > 1 && v % u != 0) {
    u /= 10;
    ++d;
  }
  return d;
}

}  // namespace

int64_t TimeTickIntervalNs(int64_t d) {
  if (d >= 600 * kSecond) return 120 * kSecond;
  if (d >= 300 * kSecond) return 60 * kSecond;
  if (d >= 60 * kSecond) return 30 * kSecond;
  if (d >= 30 * kSecond) return 10 * kSecond;
  if (d >= 10 * kSecond) return 5 * kSecond;
  if (d < 1) return 1;
  int64_t p = 1;  // the power of ten with p <= d < 10 p
  while (p <= d / 10) p *= 10;
  int64_t step;
  if (d >= 5 * p)
    step = p;
  else if (d >= 2 * p)
    step = p / 2;
  else
    step = p / 5;
  return step < 1 ? 1 : step;
}

int TimeFormatCode(int64_t v) {
  if (v % kSecond == 0) return 1;
  if (v % 100000000 == 0 || v % 10000000 == 0 || v % 1000000 == 0) return 7;
  if (v % 100000 == 0 || v % 10000 == 0 || v % 1000 == 0) return 13;
  if (v % 100 == 0) return 14;
  if (v % 10 == 0) return 15;
  return 16;  // every whole nanosecond is a whole number of 1e-9 s
}

int FinerTimeFormatCode(int code, int64_t intervalNs) {
  const int64_t w = intervalNs / 100;
  if (code >= 1 && code <= 6) return 1 + DecimalsNeeded(w, kSecond, 5);
  if (code >= 7 && code <= 12) return 7 + DecimalsNeeded(w, 1000000, 5);
  if (code >= 13 && code <= 18) return 13 + DecimalsNeeded(w, 1000, 4);
  return code;
}

std::string FormatTimeValue(int code, int64_t ns) {
  const double v = static_cast<double>(ns);
  if (code == 1) {
    // Whole seconds, rounded.
    const int64_t s = (ns >= 0 ? ns + kSecond / 2 : ns - kSecond / 2) / kSecond;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(s));
    return buf;
  }
  if (code >= 2 && code <= 6) return FormatDouble(kDecimalFormats[code - 1], v / 1e9);
  if (code >= 7 && code <= 12) return FormatDouble(kDecimalFormats[code - 7], v * 1000 / 1e9);
  if (code >= 13 && code <= 18) return FormatDouble(kDecimalFormats[code - 13], v * 1e6 / 1e9);
  return FormatDouble("%01.6f", v / 1e9);
}

std::string TimeUnitName(int code) {
  if (code >= 1 && code <= 6) return "sec";
  if (code >= 7 && code <= 12) return "ms";
  if (code >= 13 && code <= 18) return "\u00b5s";
  return "sec?";
}

std::string FormatTimeWithUnit(int code, int64_t ns) {
  return FormatTimeValue(code, ns) + " " + TimeUnitName(code);
}

CombinedTimeTexts MakeCombinedTimeTexts(int code, int64_t endNs, int64_t intervalNs) {
  CombinedTimeTexts t;
  t.end = FormatTimeValue(code, endNs);
  t.interval = FormatTimeValue(code, intervalNs);
  t.unit = TimeUnitName(code);
  const bool decimals =
      t.end.find('.') != std::string::npos && t.interval.find('.') != std::string::npos;
  if (decimals) {
    while (!t.end.empty() && !t.interval.empty() && t.end.back() == '0' &&
           t.interval.back() == '0') {
      t.end.pop_back();
      t.interval.pop_back();
    }
    if (!t.end.empty() && t.end.back() == '.') t.end.pop_back();
    if (!t.interval.empty() && t.interval.back() == '.') t.interval.pop_back();
  }
  return t;
}

std::vector<TimeTick> TimeAxisTicks(int64_t startNs, int64_t durationNs) {
  std::vector<TimeTick> ticks;
  const int64_t step = TimeTickIntervalNs(durationNs);
  const int code = TimeFormatCode(step);
  const int64_t end = startNs + durationNs;
  // The first multiple of the step at or after the start (also for a
  // negative start).
  int64_t t = startNs / step * step;
  if (t < startNs) t += step;
  for (; t <= end; t += step) {
    TimeTick tick;
    tick.ns = t;
    tick.label = FormatTimeValue(code, t);
    if (t + step > end) tick.label.append(" ").append(TimeUnitName(code));
    ticks.push_back(std::move(tick));
  }
  return ticks;
}

}  // namespace nv
