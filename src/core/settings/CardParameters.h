#pragma once
// The sampling parameters of a high-speed acquisition card; the application
// keeps one record per card kind ("Settings\CB" and "Settings\NI"). They are
// read at start-up and written when a card's sampling-parameter dialog is
// confirmed.
#include <cstdint>

namespace nv {

struct CardParameters {
  int32_t numSamples = 1000000;   // "NumSamples"
  int32_t sampFreqHz = 200000;    // "SampFreq": recording sampling frequency
  int32_t cutFreqHz = 200000;     // "CutFreq": external filter cut-off
  int32_t timeExp = 10000;        // "TimeExp": time-expansion factor, thousandths
  int32_t storeTime = 1;          // "StoreTime"
  int32_t gain = 1;               // "Gain" (National Instruments card only)
  uint8_t circularBuffer = 1;     // "CircularBuffer": circular (else sequential) storage
  uint8_t playAfter = 1;          // "PlayAfter": play after recording
  uint8_t spectro = 0;            // "Spectro": spectrogram shown
  uint8_t fixReplay = 0;          // "FixReplay": fixed playback frequency (else fixed factor)
  int32_t replayFreqHz = 22050;   // "ReplayFreq"

  bool operator==(const CardParameters&) const = default;
};

}  // namespace nv
