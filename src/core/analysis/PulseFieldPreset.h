#pragma once
// The set of detection options for bat recordings made in the field
// (norvane-cli's --field and the analysis dialog's "Field recordings"
// button): detection in the band from 15 kHz up to the Nyquist frequency, a
// threshold 8 dB above the noise floor, pulses ended by 2 ms below it and
// pulses of 0.5 ms or less ignored; the spectrogram measures start at the
// band's lower edge. Chosen from the synthetic field recordings of
// bench/field_calls.py (see docs/performance.md). Plain values; any thread.
#include <cstdint>

#include "settings/PulseSettings.h"

namespace nv {

struct PulseFieldPreset {
  static constexpr int32_t kDetectLowHz = 15000;
  static constexpr int32_t kDetectHighHz = 0;       // up to the Nyquist frequency
  static constexpr int32_t kNoiseMargin = 800;      // 8 dB
  static constexpr int32_t kSeparationUs = 2000;
  static constexpr int32_t kMinDurationUs = 500;
  static constexpr int32_t kMinFrequencyHz = 15000;

  // Writes the set into `s`; every other setting stays.
  static void ApplyTo(PulseSettings& s) {
    s.detectLowHz = kDetectLowHz;
    s.detectHighHz = kDetectHighHz;
    s.aboveNoise = 1;
    s.noiseMargin = kNoiseMargin;
    s.ampSeparationUs = kSeparationUs;
    s.durTimeUs = kMinDurationUs;
    s.minFrequencyHz = kMinFrequencyHz;
  }
};

}  // namespace nv
