#pragma once
// The sound a plot draws, as the document hands it over: interleaved sample
// frames (left then right), 8-bit unsigned with 128 as zero or 16-bit signed
// little-endian, with the rate and time expansion the plot's axes need. The
// samples are only read, through Samples(), and only while the caller keeps
// them mapped. Plain data; read by any thread.
#include <cstdint>

#include "base/SampleSource.h"

namespace nv {

class CNorvaneDoc;

struct SoundSource {
  const uint8_t* samples = nullptr;
  int32_t frameCount = 0;
  int32_t channels = 1;        // 1 or 2
  int32_t bitsPerSample = 16;  // 8 or 16
  int64_t rateHz = 44100;      // sampling rate of the file
  int32_t timeExpansion = 1000;  // thousandths; 1000 = no time expansion

  // The decoder over the samples; empty when there are none.
  SampleSource Samples() const {
    return SampleSource(samples, samples ? frameCount : 0, channels, bitsPerSample);
  }

  // The sound of a document: format, length and time expansion, and with
  // `map` its samples through the document's read-only mapping (a failed
  // mapping, after the document's message, gives no frames).
  static SoundSource Of(CNorvaneDoc& doc, bool map = true);
};

}  // namespace nv
