#pragma once
// The label a device list shows after a device's name: the best of the
// standard formats the device takes, tested from 44.1 kHz stereo 16-bit down
// to 11.025 kHz mono 8-bit (" 44.1 kHz,stereo,16-bit", ...), or empty when it
// takes none of them.
#include <functional>
#include <string>

namespace nv {

// `supports(channels, bits, rateHz)` answers for one format.
std::string BestFormatLabel(const std::function<bool(int channels, int bits, int rateHz)>& supports);

}  // namespace nv
