#pragma once
// The settings of a power-spectrum window; the application keeps one copy as
// the defaults and every window works on its own copy. Levels in dB or V²,
// frequencies in whole Hz of real frequency.
#include <cstdint>

namespace nv {

struct PowerSettings {
  uint8_t leftChannel = 1;   // "LeftChan": analyse the left channel of a stereo sound
  uint8_t rightChannel = 1;  // "RightChan"
  uint8_t contUpdate = 0;    // "ContUpd": follow the view's cursor and selection
  uint8_t logScale = 1;      // "LogScale": level axis in dB (else linear in V²)
  int32_t fftSize = 0;       // "FftSize": samples per frame, 0 = automatic
  int32_t window = 2;        // "FftWindow": a WindowCode
  int32_t reserved = 0;      // set from the view when a window opens; not stored
  int32_t zeroDb = -120;     // "ZeroDB": bottom of the dB axis
  int32_t maxDb = 0;         // "MaxDB": top of the dB axis
  double zeroV = 0.0;        // "ZeroV" (stored in thousandths): bottom of the linear axis
  double maxV = 1.0;         // "MaxV" (stored in thousandths): top of the linear axis
  int32_t maxFrequencyHz = -1;  // not stored; an invalid range means 0 ... Nyquist
  int32_t minFrequencyHz = 0;   // not stored

  bool operator==(const PowerSettings&) const = default;
};

}  // namespace nv
