#include "audio/DetectorSettings.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

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

}  // namespace nv
