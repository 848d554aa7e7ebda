#pragma once
// How a stream's recorded bytes go into the blocks queued for input, the same
// for the sound server's stream and the simulated device: in the order the
// blocks were queued, each filled up from where it stands (bytesRecorded)
// before the next; a full block leaves the queue and goes back to the owner.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/TransferBuffers.h"

namespace nv {

// Fills the blocks of `queue` (`blockOf` gives an entry's block) with `count`
// bytes from `bytes`, or with the byte `silence` when `bytes` is null. Each
// part copied is added to `counted`; a block filled up is taken off the queue
// and handed to `done`. Returns how many bytes found a block.
template <class Queue, class BlockOf, class Done>
size_t FillInputBlocks(Queue& queue, BlockOf blockOf, const uint8_t* bytes, size_t count,
                       uint8_t silence, int64_t& counted, Done done) {
  size_t at = 0;
  while (at < count && !queue.empty()) {
    WaveHeader* b = blockOf(queue.front());
    const size_t n = std::min<size_t>(b->bufferLength - b->bytesRecorded, count - at);
    if (bytes)
      std::memcpy(b->data + b->bytesRecorded, bytes + at, n);
    else
      std::memset(b->data + b->bytesRecorded, silence, n);
    b->bytesRecorded += static_cast<uint32_t>(n);
    at += n;
    counted += static_cast<int64_t>(n);
    if (b->bytesRecorded == b->bufferLength) {
      queue.pop_front();
      done(b);
    }
  }
  return at;
}

}  // namespace nv
