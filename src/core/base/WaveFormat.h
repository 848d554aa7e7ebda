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

// BufferSize of a format: about 1/16 s of sound, a multiple of 64 bytes and
// of the block alignment; never 0 (64 bytes are used when the rule gives 0).
uint32_t ComputeBufferSize(const WaveFormatEx& f);
// Piece size for copying sound between files through a buffer: the multiple
// of BufferSize nearest below 64 KiB (at least one BufferSize), a size that
// stays in the processor's cache between the read and the write.
size_t CopyPieceBytes(uint32_t bufferSize);

}  // namespace nv
