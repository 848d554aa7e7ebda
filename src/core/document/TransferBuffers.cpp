#include "document/TransferBuffers.h"

#include <new>

namespace nv {

bool TransferBuffers::Allocate(uint32_t bytes) {
  try {
    for (int i = 0; i < kCount; ++i) {
      auto& b = blocks_[static_cast<size_t>(i)];
      std::vector<uint8_t>().swap(b);
      b.resize(bytes);
      WaveHeader& h = headers_[static_cast<size_t>(i)];
      h = WaveHeader{};
      h.data = b.data();
      h.bufferLength = bytes;
      h.user = static_cast<uintptr_t>(i);
    }
  } catch (const std::bad_alloc&) {
    for (int i = 0; i < kCount; ++i) {
      std::vector<uint8_t>().swap(blocks_[static_cast<size_t>(i)]);
      headers_[static_cast<size_t>(i)] = WaveHeader{};
    }
    blockSize_ = 0;
    return false;
  }
  blockSize_ = bytes;
  return true;
}

}  // namespace nv
