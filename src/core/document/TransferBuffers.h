#pragma once
// The 16 process-wide transfer buffers with their wave headers, shared by all
// documents for playback and recording. Reallocated whenever a document
// computes its BufferSize; must not change while a device holds them.
#include <cstddef>
#include <array>
#include <cstdint>
#include <vector>

namespace nv {

// A wave buffer header (the 32-byte record of the wave device interface).
struct WaveHeader {
  uint8_t* data = nullptr;
  uint32_t bufferLength = 0;
  uint32_t bytesRecorded = 0;
  uintptr_t user = 0;
  uint32_t flags = 0;
  uint32_t loops = 0;
};

class TransferBuffers {
 public:
  static constexpr int kCount = 16;
  static TransferBuffers& Instance();

  // Frees the blocks and allocates 16 new ones of `bytes` each; header i gets
  // block i, length `bytes`, user value i. False when memory runs out.
  bool Allocate(uint32_t bytes);
  uint32_t BlockSize() const { return blockSize_; }
  WaveHeader& Header(int i) { return headers_[static_cast<size_t>(i)]; }

 private:
  std::array<std::vector<uint8_t>, kCount> blocks_;
  std::array<WaveHeader, kCount> headers_{};
  uint32_t blockSize_ = 0;
};

}  // namespace nv
