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

  // The low-pass edge (real Hz) of the detector's filter when the user has
  // not designed one yet: the audible band of a heterodyne detector.
  static constexpr int32_t kDefaultLowPassHz = 5000;

  int speedFactor = kDefaultSpeedFactor;
  // Whether the user has accepted the dialog with this speed factor; until
  // then the dialog offers the recording's own time-expansion factor.
  bool speedFactorChosen = false;
  // The tuning frequency typed in the dialog (real Hz); 0 lets the line's
  // placement choose it.
  int32_t frequencyHz = 0;
};

// The speed factor the dialog offers before the user has chosen one: the
// recording's time-expansion factor (thousandths, rounded to a whole
// number, 1 ... 200), so that a time-expanded recording is heard at its real
// speed and a real-time recording (factor 1) at its own speed.
int StartingSpeedFactor(int32_t timeExpansionThousandths);

// The detector's filter description before the user has chosen one: the
// filter command's initial description with the low-pass edge at
// kDefaultLowPassHz (not designed yet).
FilterDescription InitialDetectorFilter();

// Designs an initial, not yet designed low-pass detector filter for a sound
// with this real Nyquist frequency, so that the detector can be switched on
// with "OK" at once. Descriptions the user designed or loaded are left as
// they are. Returns whether `desc` now holds a filter (DetectorFilterChosen).
bool DesignInitialDetectorFilter(FilterDescription& desc, int64_t nyquistHz);

// Reads the tuning frequency field: a decimal number of kHz (blanks around
// it allowed, "." or "," as decimal sign) from 0.001 kHz up to the real
// Nyquist frequency. On failure returns false and sets `message`; `hz` is
// then unchanged.
bool ParseDetectorFrequency(const std::string& text, int64_t nyquistHz, int32_t& hz, std::string& message);

// The field's text for a frequency: kHz with up to three decimals, trailing
// zeros dropped ("40", "42.5").
std::string DetectorFrequencyText(int32_t hz);

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
