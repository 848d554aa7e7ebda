#pragma once
// The document's sound format: the 18-byte form of a WAVE "fmt " chunk.
// PCM only, 1 or 2 channels, 8 or 16 bits per sample.
#include <cstddef>
#include <array>
#include <cstdint>

namespace nv {

struct WaveFormatEx {
  static constexpr size_t kSize = 18;

  uint16_t wFormatTag = 1;
  uint16_t nChannels = 1;
  uint32_t nSamplesPerSec = 11025;  // Hz as recorded, before time expansion
  uint32_t nAvgBytesPerSec = 11025;
  uint16_t nBlockAlign = 1;
  uint16_t wBitsPerSample = 8;
  uint16_t cbSize = 0;

  // Takes each argument only when it is positive (channels 0 is taken as 1),
  // sets the PCM tag and cbSize 0, and recomputes the derived fields.
  void SetFormat(int channels, int bits, int64_t rateHz);
  void Recompute();

  std::array<uint8_t, kSize> ToBytes() const;
  // Reads from `n` bytes (missing trailing bytes read as 0).
  static WaveFormatEx FromBytes(const uint8_t* p, size_t n);
};

using WAVEFORMATEX = WaveFormatEx;

}  // namespace nv
