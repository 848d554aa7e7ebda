#pragma once
// The pulse characteristics analysis: finds the pulses of one channel in a
// stretch of sound by an amplitude threshold (over the whole band, or on the
// signal band-passed to a detection band and, optionally, against a level
// above the noise floor estimated from the sound itself) and measures each from the
// oscillogram (start, end, duration) and from a spectrogram around it (the
// strongest cell, and the highest and lowest frequency of the connected
// region around it).
//
// Threads: Run may be called on any thread; it only reads the samples and
// its own copy of the settings, which must stay unchanged during the run.
// It reports through the callbacks on the calling thread, results strictly in
// pulse order, and returns early when *stop becomes true (checked between
// blocks of samples and before every result). It allocates its buffers once
// per run and nothing per sample.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/PulseResult.h"
#include "base/SampleSource.h"
#include "base/TimeBase.h"
#include "settings/PulseSettings.h"

namespace nv {

// What one run reads.
struct PulseRunInput {
  SampleSource samples;          // the whole sound (frames indexed from 0)
  int64_t rateHz = 44100;        // sampling rate of the file
  int32_t timeExpansion = 1000;  // thousandths; 1000 = none
  TimeBase Time() const { return TimeBase(rateHz, timeExpansion); }
  int64_t startFrame = 0;        // < 0 = 0
  int64_t endFrame = -1;         // < 0 = the end of the sound
  PulseSettings settings;        // copied: the caller may change its own copy meanwhile
};

struct PulseCallbacks {
  std::function<void(const std::string&)> status;  // "Calculation started." ...
  std::function<void(PulseResult&&)> result;       // one accepted pulse
};

class PulseAnalysis {
 public:
  // The amplitude threshold of the detection, as a raw magnitude: samples
  // whose magnitude exceeds it are above. ampThreshold in 0.01 dB, sign
  // ignored: floor(10^(-|t| / 1000) x F + 0.5) with F = 128 (8-bit) or 32768.
  static int32_t AmplitudeThreshold(int32_t ampThreshold, int bits);

  // The smallest power (relative to full-scale power) whose level in dB
  // reaches thetaDb: a spectrogram cell belongs to a pulse when its power is
  // at least this, which is the same as its level being at least thetaDb.
  static double ThresholdPower(double thetaDb);

  // Whether the detection runs in a band or above the noise floor rather
  // than with the oscillogram threshold over the whole band.
  static bool ConditionedDetection(const PulseSettings& s);
  // Why the detection options of `s` cannot be used on a recording of
  // `rateHz` and `timeExpansion` (thousandths); empty when they can. A run
  // with such options reports the text as its status and finds nothing.
  static std::string CheckDetection(const PulseSettings& s, int64_t rateHz, int32_t timeExpansion);

  // Whether a run measures the spectrogram of each pulse.
  static bool NeedsSpectrogram(const PulseSettings& s);

  // Runs one analysis; returns the number of pulses reported.
  static int Run(const PulseRunInput& in, const PulseCallbacks& cb,
                 const std::atomic<bool>* stop = nullptr);
};

}  // namespace nv
