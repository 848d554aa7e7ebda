#include "audio/PlaySpeed.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace nv {

const std::vector<PlaySpeed>& PlaySpeeds() {
  static const std::vector<PlaySpeed> speeds = {
      {"1/32", 1.0 / 32}, {"1/20", 1.0 / 20}, {"1/16", 1.0 / 16}, {"1/10", 1.0 / 10},
      {"1/8", 1.0 / 8},   {"1/4", 0.25},      {"1/2", 0.5},       {"1", 1.0},
      {"2", 2.0},         {"4", 4.0},
  };
  return speeds;
}

std::optional<double> ParsePlaySpeed(const std::string& text) {
  if (text.empty()) return std::nullopt;
  double value = 0;
  const size_t slash = text.find('/');
  auto number = [](const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == '\0' && std::isfinite(out);
  };
  if (slash != std::string::npos) {
    double num = 0, den = 0;
    if (!number(text.substr(0, slash), num) || !number(text.substr(slash + 1), den) || den == 0)
      return std::nullopt;
    value = num / den;
  } else if (!number(text, value)) {
    return std::nullopt;
  }
  for (const PlaySpeed& s : PlaySpeeds())
    if (std::fabs(value - s.factor) <= 1e-9 * s.factor) return s.factor;
  return std::nullopt;
}

uint32_t PlaybackRateHz(uint32_t documentRateHz, double speed) {
  const double r = std::floor(static_cast<double>(documentRateHz) * speed);
  if (!(r >= 0)) return 0;
  return r > 4294967295.0 ? 4294967295u : static_cast<uint32_t>(r);
}

}  // namespace nv
