#pragma once
// The zero-crossing estimator: for each pixel column one dominant frequency
// from the rate at which the waveform changes sign, with a hysteresis
// threshold T against noise.
//
// Samples are read on their raw scale: 16-bit signed values, 8-bit values
// as u - 128 (no x256 scaling). Frequencies are whole Hz of real frequency.
// Pure functions; the samples are only read.
#include <cstdint>

#include "plot/SpectrogramSetup.h"
#include "settings/AnalysisSettings.h"

namespace nv {

struct ZeroCrossingSetup {
  int32_t windowSamples = 50;  // "FreqSize"; 1 = the column's own samples
  int32_t thresholdPercent = 5;
  int32_t threshold = 1638;    // T on the raw sample scale
  bool lineBetweenValues = false;
};

// Corrects the settings as the display set-up does (a "FreqSize" below 1
// becomes 50, a "FreqThreshold" outside 0 ... 99 becomes 5; both written
// back) and derives T = threshold x (128 or 32768) / 100.
ZeroCrossingSetup MakeZeroCrossingSetup(AnalysisSettings& settings, int32_t bitsPerSample);

// The estimate of one column whose first sample is s0 and whose next
// column starts at s1: the window is s0 ... s1 (window size 1) or m samples
// centred on s0, never before 0 nor beyond the end of the sound. Returns
// the frequency in Hz, or -1 when the column has no value. `channel` 0 is
// mono or left, 1 the right channel of a stereo sound.
int64_t ZeroCrossingEstimate(const ZeroCrossingSetup& zc, const SoundSource& sound,
                             int64_t effectiveRateHz, int32_t channel, int64_t s0, int64_t s1);

}  // namespace nv
