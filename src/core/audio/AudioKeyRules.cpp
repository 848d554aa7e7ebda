#include "audio/AudioKeyRules.h"

#include "audio/AudioStream.h"

#include <cmath>
#include <cstdio>

namespace nv {

uint16_t DoubledVolume(uint16_t v) {
  if (v == 0) return 2;
  if (v >= 0x8000) return 0xFFFF;
  return static_cast<uint16_t>(v * 2);
}

uint16_t HalvedVolume(uint16_t v) { return v >= 2 ? static_cast<uint16_t>(v / 2) : v; }

bool StepVolume(AudioStream& stream, bool up) {
  uint32_t v = 0;
  if (!stream.GetVolume(v)) return false;
  const uint16_t left = static_cast<uint16_t>(v & 0xFFFF);
  return stream.SetVolume(BothChannels(up ? DoubledVolume(left) : HalvedVolume(left)));
}

bool HalvedRate(uint32_t f, uint32_t& out) {
  if (f <= 1) return false;
  out = f / 2;
  return true;
}

bool DoubledRate(uint32_t f, uint32_t& out) {
  if (f > 0x40000000u) return false;
  out = f * 2;
  return true;
}

PlayKeyLimit VolumeLimit(uint16_t v) {
  if (v == 0xFFFF) return PlayKeyLimit::kVolumeHighest;
  if (v <= 1) return PlayKeyLimit::kVolumeLowest;
  return PlayKeyLimit::kNone;
}

PlayKeyLimit RateLimit(uint32_t f) {
  uint32_t next = 0;
  if (!DoubledRate(f, next)) return PlayKeyLimit::kSpeedHighest;
  if (!HalvedRate(f, next)) return PlayKeyLimit::kSpeedLowest;
  return PlayKeyLimit::kNone;
}

std::string PlaySpeedText(double speed) {
  char buf[48];
  if (!(speed > 0)) return "0";
  const double whole = std::round(speed), inverse = std::round(1 / speed);
  if (speed >= 1 && std::abs(speed - whole) < 1e-9 * speed)
    std::snprintf(buf, sizeof buf, "%.0f", whole);
  else if (speed < 1 && std::abs(1 / speed - inverse) < 1e-9 / speed)
    std::snprintf(buf, sizeof buf, "1/%.0f", inverse);
  else
    std::snprintf(buf, sizeof buf, "%.3g", speed);
  return buf;
}

std::string PlayKeyStatusText(uint16_t volume, double speed, PlayKeyLimit limit) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Volume %.3g %%, speed ", volume * 100.0 / 0xFFFF);
  std::string s = buf + PlaySpeedText(speed);
  switch (limit) {
    case PlayKeyLimit::kVolumeHighest: s += " - volume at its highest"; break;
    case PlayKeyLimit::kVolumeLowest: s += " - volume at its lowest"; break;
    case PlayKeyLimit::kSpeedHighest: s += " - speed at its highest"; break;
    case PlayKeyLimit::kSpeedLowest: s += " - speed at its lowest"; break;
    case PlayKeyLimit::kRefused: s += " - the device refused the change"; break;
    case PlayKeyLimit::kNone: break;
  }
  return s;
}

}  // namespace nv
