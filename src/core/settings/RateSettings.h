#pragma once
// The settings of a pulse interval / pulse length histogram window; the
// application keeps one copy as the defaults, every window its own copy.
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
  int32_t delayMs = 10;      // "Delay": silence that ends a pulse
  int32_t threshold = -1;    // "Threshold": 16-bit amplitude units, <= 0 = automatic

  bool operator==(const RateSettings&) const = default;
};

}  // namespace nv
