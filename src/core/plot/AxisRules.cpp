#include "plot/AxisRules.h"

#include <cmath>
#include <cstdio>

namespace nv {

namespace {

struct StepParts {
  int64_t decade = 1;
  int64_t d = 0;
  int64_t multiplier = 1;
};

StepParts StepPartsOf(int64_t r, int64_t minDecade) {
  StepParts p;
  const int e = static_cast<int>(std::log10(static_cast<double>(r)) + 0.0005);
  p.decade = static_cast<int64_t>(std::pow(10.0, e) + 0.25);
  if (p.decade < minDecade) p.decade = minDecade;
  if (p.decade < 1) p.decade = 1;
  p.d = r / p.decade;
  if (p.d > 1 && p.d % 2 == 1) --p.d;
  p.multiplier = p.d < 2 ? 1 : (p.d <= 4 ? 5 : 10);
  return p;
}

}  // namespace

std::string FormatDouble(const char* format, double v) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, format, v);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
  std::string text(static_cast<size_t>(n), '\0');
  std::snprintf(text.data(), text.size() + 1, format, v);
  return text;
}

int64_t NiceStep(int64_t r) {
  if (r <= 0) return 1;
  const StepParts p = StepPartsOf(r, 1);
  const int64_t step = p.decade / 10 * p.multiplier;
  return step < 1 ? 1 : step;
}

AmplitudeAxis MakeAmplitudeAxis(AnalysisSettings& s, bool oscillogramShown) {
  AmplitudeAxis a;
  if (!oscillogramShown) {
    a.readoutFormat = "%2.4f";
  } else {
    if (s.minAmplitude < -10000) s.minAmplitude = -10000;
    if (s.maxAmplitude < -10000) s.maxAmplitude = 10000;
    if (s.minAmplitude > 10000) s.minAmplitude = 10000;
    if (s.maxAmplitude > 10000) s.maxAmplitude = 10000;
    if (s.minAmplitude >= s.maxAmplitude) {
      s.minAmplitude = s.maxAmplitude - 1;
      if (s.minAmplitude < -10000) {
        s.minAmplitude = -10000;
        s.maxAmplitude = -9999;
      }
    }
    a.min = static_cast<int32_t>(s.minAmplitude);
    a.max = static_cast<int32_t>(s.maxAmplitude);
  }
  const int64_t span = static_cast<int64_t>(a.max) - a.min;
  a.tickStep = static_cast<int32_t>(NiceStep(span));
  a.labelStep = static_cast<int32_t>(NiceStep(2 * span));
  a.labelFormat = a.labelStep < 10 ? "%3.2f%%" : (a.labelStep < 100 ? "%3.1f%%" : "%3.0f%%");
  if (oscillogramShown) a.readoutFormat = span > 1000 ? "%1.1f %%" : "%1.2f %%";
  return a;
}

std::string AmplitudeLabel(const AmplitudeAxis& axis, int32_t amplitude) {
  return FormatDouble(axis.labelFormat, amplitude * 0.01);
}

FrequencyAxis MakeFrequencyAxis(int32_t minHz, int32_t maxHz) {
  FrequencyAxis f;
  f.min = minHz;
  f.max = maxHz;
  const int64_t span = static_cast<int64_t>(maxHz) - minHz;
  f.khzFormat = KhzFormat(span);
  if (span <= 0) return f;
  const StepParts p = StepPartsOf(span, 10);
  f.labelStep = p.d * p.decade / 2;
  f.minorStep = p.decade / 10 * p.multiplier;
  if (f.labelStep < 1) f.labelStep = 1;
  if (f.minorStep < 1) f.minorStep = 1;
  return f;
}

const char* KhzFormat(int64_t spanHz) {
  if (spanHz < 2001) return "%1.3f kHz";
  if (spanHz < 20001) return "%1.2f kHz";
  if (spanHz < 200001) return "%1.1f kHz";
  return "%1.0f kHz";
}

std::string FrequencyLabel(int64_t hz) {
  char buf[48];
  if (hz % 1000 == 0)
    std::snprintf(buf, sizeof buf, "%lld kHz", static_cast<long long>(hz / 1000));
  else
    std::snprintf(buf, sizeof buf, "%lld Hz", static_cast<long long>(hz));
  return buf;
}

}  // namespace nv
