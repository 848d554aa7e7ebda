#pragma once
// The arrow-key rules for a running playback: Up/Down double/halve the output
// volume word, Left/Right halve/double the 16.16 playback rate factor.
#include <cstdint>

namespace nv {

class AudioStream;

// 0 becomes 2, 0x8000 or more becomes 0xFFFF, otherwise doubled.
uint16_t DoubledVolume(uint16_t v);
// Values of 2 or more are halved; 0 and 1 stay.
uint16_t HalvedVolume(uint16_t v);
// One volume word for both channels (left low, right high).
constexpr uint32_t BothChannels(uint16_t v) { return static_cast<uint32_t>(v) | (static_cast<uint32_t>(v) << 16); }
// The volume key of a playing output stream: its left volume word read,
// doubled (`up`) or halved, and written to both channels. False when the
// stream cannot be asked (nothing changes).
bool StepVolume(AudioStream& stream, bool up);
// Halving only when the factor is above 1; false (unchanged) otherwise.
bool HalvedRate(uint32_t factor16_16, uint32_t& out);
// Doubling only when the factor is at most 0x40000000; false otherwise.
bool DoubledRate(uint32_t factor16_16, uint32_t& out);

}  // namespace nv
