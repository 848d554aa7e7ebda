#pragma once
// The settings of the pulse characteristics analysis; the application keeps
// one copy as the defaults, every view a working copy. Levels in hundredths
// of a dB, frequencies in Hz, times in microseconds.
//
// The initial values are the first-start defaults (no stored settings): a
// threshold of 1 % of full scale, pulses ended by 1 ms of silence, pulses of
// 0.5 ms or less ignored, the spectrogram followed down to -60 dB across gaps
// below 5 kHz, and the columns of number, times, duration and the four
// frequency measures shown. With them a recording of bat calls lists each
// call as one pulse with its measures. Stored settings replace them key by
// key.
#include <cstdint>

namespace nv {

struct PulseSettings {
  uint8_t leftChannel = 0;   // "LeftChan"
  uint8_t rightChannel = 0;  // "RightChan"
  uint8_t contUpdate = 1;    // "ContUpd"
  uint8_t autoCalc = 0;      // "AutoCalc"
  int32_t plotSize = 0;      // "PlotSize"
  int32_t fontSize = 0;      // "FontSize"
  int32_t minFrequencyHz = 0;      // "MinFrequency", <= 0 = no limit
  int32_t maxFrequencyHz = 0;      // "MaxFrequency", <= 0 = no limit
  int32_t freqThreshold = -6000;   // "FreqThreshold", 1/100 dB
  int32_t freqSeparationHz = 5000; // "FreqSeparation"
  int32_t ampSeparationUs = 1000;  // "AmpSeparationMySec" (older "AmpSeparation", ms)
  int32_t durTimeUs = 500;         // "DurTimeMySec" (older "DurTime", ms)
  int32_t ampThreshold = -2000;    // "AmpThres", 1/100 dB
  int32_t fftSize = 0;             // not stored: taken from the view's spectrogram
  int32_t fftWindow = 2;           // not stored
  int32_t fftOverlap = 0;          // not stored, samples
  uint8_t ampMaxAmp = 1;           // "AmpMaxAmp"
  uint8_t energy = 0;              // "Energy"
  uint8_t freqStrong = 1;          // "FreqStrong"
  uint8_t freqStrongMark = 0;      // "FreqStrongMark"
  uint8_t freqMax = 1;             // "FreqMax"
  uint8_t freqMin = 1;             // "FreqMin"
  uint8_t freqMaxMark = 0;         // "FreqMaxMark"
  uint8_t freqMinMark = 0;         // "FreqMinMark"
  uint8_t pulseNumber = 1;         // "PulsNum"
  uint8_t relPulseCalc = 0;        // "RelPulsCalc"
  uint8_t startTime = 1;           // "StartTime"
  uint8_t startTimeMark = 0;       // "StartTimeMark"
  uint8_t stopTime = 1;            // "StopTime"
  uint8_t stopTimeMark = 0;        // "StopTimeMark"
  uint8_t duration = 1;            // "Duration"
  uint8_t startFreq = 0;           // "StartFreq"
  uint8_t stopFreq = 0;            // "StopFreq"
  uint8_t durationFreq = 0;        // "DurationFreq"
  int32_t method = 1;              // "Method"
  int32_t detectLowHz = 0;         // lower edge of the detection band, real Hz; <= 0 = open
  int32_t detectHighHz = 0;        // upper edge, real Hz; <= 0 = up to the Nyquist frequency
  uint8_t aboveNoise = 0;          // threshold: 0 the oscillogram threshold, 1 above the noise floor
  int32_t noiseMargin = 800;       // 1/100 dB above the noise floor (with aboveNoise)

  bool operator==(const PulseSettings&) const = default;
};

}  // namespace nv
