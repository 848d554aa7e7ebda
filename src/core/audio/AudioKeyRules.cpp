#include "audio/AudioKeyRules.h"

#include "audio/AudioStream.h"

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

}  // namespace nv
