#pragma once
// What an AudioStream tells the one who opened it. Called on the interface
// thread through the backend's AudioExecutor, never from inside a call of
// the stream's own methods, and never after the stream was destroyed.
#include <cstdint>

#include "document/TransferBuffers.h"

namespace nv {

class AudioStreamListener {
 public:
  virtual ~AudioStreamListener() = default;
  // The stream is open (posted once, right after a successful Open).
  virtual void OnStreamOpened() {}
  // A block written earlier comes back, in the order written: an output block
  // has been heard (or was dropped by Reset, Close or the loss of the
  // device); an input block is full or was cut short (bytesRecorded).
  virtual void OnBlockDone(WaveHeader* block) = 0;
  // The stream is closed (after Close, once every block came back).
  virtual void OnStreamClosed() = 0;
  // Input: `bytes` bytes of sound were lost before they reached a block (the
  // sound server overran and left a hole, filled with silence; or more sound
  // waited for blocks than the stream keeps). The recording has a gap there.
  virtual void OnOverrun(int64_t bytes) { (void)bytes; }
};

}  // namespace nv
