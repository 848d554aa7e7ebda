#pragma once
// A set of 16 transfer buffers with their wave headers: the blocks one
// playback or one recording streams through the sound device. Each playback
// and each recording owns its set for its whole life, so that a document
// opened or created meanwhile (which computes a BufferSize of its own) never
// touches blocks a device holds. Allocate only while no device holds them.
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

  TransferBuffers() = default;
  // The headers point into the blocks: a set is neither copied nor moved.
  TransferBuffers(const TransferBuffers&) = delete;
  TransferBuffers& operator=(const TransferBuffers&) = delete;

  // Frees the blocks and allocates 16 new ones of `bytes` each; header i gets
  // block i, length `bytes`, user value i. False when memory runs out (the
  // set is then empty).
  bool Allocate(uint32_t bytes);
  uint32_t BlockSize() const { return blockSize_; }
  WaveHeader& Header(int i) { return headers_[static_cast<size_t>(i)]; }
  const WaveHeader& Header(int i) const { return headers_[static_cast<size_t>(i)]; }
  // Block i's bytes (BlockSize() of them), whatever its header says now.
  const uint8_t* Block(int i) const { return blocks_[static_cast<size_t>(i)].data(); }

 private:
  std::array<std::vector<uint8_t>, kCount> blocks_;
  std::array<WaveHeader, kCount> headers_{};
  uint32_t blockSize_ = 0;
};

}  // namespace nv
