#pragma once
// The settings of the virtual bat detector that the user chooses before it
// plays: the speed factor (every k-th processed frame is played, so the sound
// runs k times faster than recorded), and the rule that says whether the
// detector's filter description holds a filter to listen through. Pure
// functions on the interface thread; the dialog and the command-line tool
// share them.
#include <cstdint>
#include <string>

#include "filter/FilterDescription.h"

namespace nv {

struct DetectorSettings {
  static constexpr int kMinSpeedFactor = 1;
  static constexpr int kMaxSpeedFactor = 200;
  static constexpr int kDefaultSpeedFactor = 10;

  int speedFactor = kDefaultSpeedFactor;
};

// The message that refuses a speed factor outside 1 ... 200.
std::string SpeedFactorRangeMessage();

// Reads the "Speed factor" field: a whole decimal number (blanks around it
// allowed) from 1 to 200. On failure returns false and sets `message` to the
// text the dialog shows; `speedFactor` is then unchanged.
bool ParseSpeedFactor(const std::string& text, int& speedFactor, std::string& message);

// Whether the detector may be switched on with "OK" (without choosing a
// filter first): the description must hold a filter, that is designed
// coefficients (a[0] not 0) of a filter whose band type is set, or that has
// a high-pass, low-pass, band-pass or band-stop edge, or that is a loaded
// user-defined filter. The low-pass edge and the user-defined filter count
// as well, so that the usual detector filter, a low-pass, enables "OK".
bool DetectorFilterChosen(const FilterDescription& desc);

}  // namespace nv
