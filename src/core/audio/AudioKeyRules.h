#pragma once
// The arrow-key rules for a running playback: Up/Down double/halve the output
// volume word, Left/Right halve/double the 16.16 playback rate factor.
#include <cstdint>
#include <string>

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

// What the status strip adds after a volume or speed key: the new volume
// (the output volume word as a percentage of 0xFFFF) and the speed (the
// play speed times the rate factor), and which limit the sound has reached.
enum class PlayKeyLimit { kNone, kVolumeHighest, kVolumeLowest, kSpeedHighest, kSpeedLowest, kRefused };
// The limit after a volume key: the highest at 0xFFFF, the lowest at 1 or 0
// (where doubling or halving no longer changes the word).
PlayKeyLimit VolumeLimit(uint16_t v);
// The limit after a rate key: the highest when no further doubling is
// allowed, the lowest when no further halving is.
PlayKeyLimit RateLimit(uint32_t factor16_16);
// "1/4", "1", "2", "1/65536", or the speed with three digits ("0.3").
std::string PlaySpeedText(double speed);
// "Volume 50 %, speed 1/4", then e.g. " - volume at its highest".
std::string PlayKeyStatusText(uint16_t volume, double speed, PlayKeyLimit limit);

}  // namespace nv
