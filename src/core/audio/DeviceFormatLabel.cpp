#include "audio/DeviceFormatLabel.h"

namespace nv {

std::string BestFormatLabel(const std::function<bool(int, int, int)>& supports) {
  struct Entry {
    int rateHz, channels, bits;
    const char* label;
  };
  // In the order of preference; 22.05 kHz mono 8-bit has a label of its own.
  static const Entry kEntries[] = {
      {44100, 2, 16, " 44.1 kHz,stereo,16-bit"},  {44100, 2, 8, " 44.1 kHz,stereo,8-bit"},
      {44100, 1, 16, " 44.1 kHz,mono,16-bit"},    {44100, 1, 8, " 44.1 kHz,mono,8-bit"},
      {22050, 2, 16, " 22.05 kHz,stereo,16-bit"}, {22050, 2, 8, " 22.05 kHz,stereo,8-bit"},
      {22050, 1, 16, " 22.05 kHz,mono,16-bit"},   {22050, 1, 8, " 22.05 kHz,mono,8-bit"},
      {11025, 2, 16, " 11.025 kHz,stereo,16-bit"}, {11025, 2, 8, " 11.025 kHz,stereo,8-bit"},
      {11025, 1, 16, " 11.025 kHz,mono,16-bit"},  {11025, 1, 8, " 11.025 kHz,mono,8-bit"},
  };
  for (const Entry& e : kEntries)
    if (supports(e.channels, e.bits, e.rateHz)) return e.label;
  return "";
}

}  // namespace nv
