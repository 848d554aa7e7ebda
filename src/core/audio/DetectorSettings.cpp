#include "audio/DetectorSettings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "filter/FilterDesign.h"

namespace nv {

std::string SpeedFactorRangeMessage() {
  return "Please enter an integer between " + std::to_string(DetectorSettings::kMinSpeedFactor) + " and " +
         std::to_string(DetectorSettings::kMaxSpeedFactor) + ".";
}

bool ParseSpeedFactor(const std::string& text, int& speedFactor, std::string& message) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  const std::string t = text.substr(b, e - b);
  bool digits = !t.empty();
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (!(std::isdigit(static_cast<unsigned char>(c)) || (i == 0 && (c == '-' || c == '+')) )) digits = false;
  }
  if (!digits || t == "-" || t == "+") {
    message = "Please enter an integer.";
    return false;
  }
  errno = 0;
  const long long v = std::strtoll(t.c_str(), nullptr, 10);
  if (errno != 0 || v < DetectorSettings::kMinSpeedFactor || v > DetectorSettings::kMaxSpeedFactor) {
    message = SpeedFactorRangeMessage();
    return false;
  }
  speedFactor = static_cast<int>(v);
  message.clear();
  return true;
}

bool DetectorFilterChosen(const FilterDescription& d) {
  if (d.order < 1 || d.order > FilterDescription::kMaxOrder || d.a[0] == 0.0) return false;
  return d.bandPassLowHz != 0 || d.bandPassHighHz != 0 || d.bandStopLowHz != 0 || d.bandStopHighHz != 0 ||
         d.bandType != BandType::LowPass || d.highPassHz != 0 || d.lowPassHz != 0 ||
         d.filterType == FilterType::UserDefined;
}

int StartingSpeedFactor(int32_t timeExpansionThousandths) {
  const int64_t k = (int64_t{timeExpansionThousandths} + 500) / 1000;
  return static_cast<int>(
      std::clamp<int64_t>(k, DetectorSettings::kMinSpeedFactor, DetectorSettings::kMaxSpeedFactor));
}

FilterDescription InitialDetectorFilter() {
  FilterDescription d;
  d.lowPassHz = DetectorSettings::kDefaultLowPassHz;
  return d;
}

bool DesignInitialDetectorFilter(FilterDescription& desc, int64_t nyquistHz) {
  if (DetectorFilterChosen(desc)) return true;
  if (desc.a[0] != 0.0 || desc.filterType == FilterType::UserDefined || desc.bandType != BandType::LowPass ||
      desc.lowPassHz <= 0)
    return false;
  FilterDescription designed = desc;
  if (!DesignFilterQuietly(designed, nyquistHz).empty()) return false;
  desc = designed;
  return DetectorFilterChosen(desc);
}

bool ParseDetectorFrequency(const std::string& text, int64_t nyquistHz, int32_t& hz, std::string& message) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  std::string t = text.substr(b, e - b);
  std::replace(t.begin(), t.end(), ',', '.');
  bool ok = !t.empty() && t != ".";
  int dots = 0;
  for (char c : t) {
    if (c == '.') ++dots;
    else if (!std::isdigit(static_cast<unsigned char>(c))) ok = false;
  }
  const int64_t top = std::max<int64_t>(nyquistHz, 1);
  char range[96];
  std::snprintf(range, sizeof range, "Please enter a frequency from 0.001 to %s kHz.",
                DetectorFrequencyText(static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX))).c_str());
  if (!ok || dots > 1) {
    message = range;
    return false;
  }
  const double v = std::round(std::strtod(t.c_str(), nullptr) * 1000.0);
  if (!(v >= 1.0) || v > static_cast<double>(top)) {
    message = range;
    return false;
  }
  hz = static_cast<int32_t>(v);
  message.clear();
  return true;
}

std::string DetectorFrequencyText(int32_t hz) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%03d", hz / 1000, std::abs(hz % 1000));
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace nv
