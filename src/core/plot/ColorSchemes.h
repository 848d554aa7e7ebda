#pragma once
// The 64 level colours of the built-in spectrogram colour schemes
// ("ColorSchema" 0 ... 7, each in a normal and an "InvColors" variant, and
// the fallback used for every other value). Level 0 is the weakest drawn
// power, level 63 the strongest.
//
// Colours are packed as the stored colour values of the settings (red in the
// low byte, see Rgb in settings/UserColorMap.h); RedOf, GreenOf and BlueOf
// unpack them.
#include <array>
#include <cstdint>

namespace nv {

inline constexpr int kLevelCount = 64;
inline constexpr int32_t kUserColorScheme = 100;

using LevelPalette = std::array<uint32_t, kLevelCount>;

// The palette of a colour scheme value; 100 (user defined) has no palette of
// its own and, like any other value outside 0 ... 7, gives the fallback.
LevelPalette LevelColors(int32_t scheme, bool invColors);

constexpr uint8_t RedOf(uint32_t c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GreenOf(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(uint32_t c) { return static_cast<uint8_t>(c >> 16); }

}  // namespace nv
