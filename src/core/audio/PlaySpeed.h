#pragma once
// The play speeds of the "Play speed" submenu, from 1/32 (bat calls recorded
// at 192 to 500 kHz become audible) to 4, and the text forms they are given
// in on the command line.
#include <optional>
#include <string>
#include <vector>

namespace nv {

struct PlaySpeed {
  const char* label;  // the menu text: "1/32" ... "4"
  double factor;      // 1/32 ... 4
};

// In menu order.
const std::vector<PlaySpeed>& PlaySpeeds();
// A menu value given as a fraction ("1/10") or a decimal ("0.1"); nothing
// for text that names no menu speed.
std::optional<double> ParsePlaySpeed(const std::string& text);
// The rate a device is opened at: the integer part of rateHz x speed.
uint32_t PlaybackRateHz(uint32_t documentRateHz, double speed);

}  // namespace nv
