#pragma once
// The settings of a pulse interval / pulse length histogram window; the
// application keeps one copy as the defaults, every window its own copy.
//
// The initial values are the first-start defaults (no stored settings). The
// delay both ends a pulse and is the shortest pulse counted, so it must lie
// below the length of a bat call: 1 ms of silence, the pulse analysis's
// separation; the threshold is 1 % of full scale, the pulse analysis's
// -20 dB (an automatic threshold, a quarter of the loudest call, misses the
// faint calls of a bat flying away). With them a recording of bat calls
// counts each call once. Stored settings replace them key by key.
#include <cstdint>

namespace nv {

struct RateSettings {
  uint8_t leftChannel = 1;   // "LeftChan"
  uint8_t rightChannel = 1;  // "RightChan"
  uint8_t contUpdate = 0;    // "ContUpd": follow the view's selection and cursor
  uint8_t autoCalc = 1;      // "AutoCalc": bar width and range from the data
  uint8_t intervalMode = 1;  // not stored: intervals (true) or pulse lengths (false)
  int32_t reserved1 = 0;     // kept with the record, not used by the analysis
  int32_t reserved2 = 0;
  int32_t histStartMs = 0;   // "HistStart"
  int32_t histEndMs = 1000;  // "HistEnd"
  int32_t bars = 25;         // "BarAnt": number of histogram bars
  int32_t delayMs = 1;       // "Delay": silence that ends a pulse, also the shortest pulse
  int32_t threshold = 328;   // "Threshold": 16-bit amplitude units, <= 0 = automatic

  bool operator==(const RateSettings&) const = default;
};

}  // namespace nv
