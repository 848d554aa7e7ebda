#include "document/TransferBuffers.h"

#include <new>

namespace nv {

TransferBuffers& TransferBuffers::Instance() {
  static TransferBuffers buffers;
  return buffers;
}

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
    return false;
  }
  blockSize_ = bytes;
  return true;
}

}  // namespace nv
