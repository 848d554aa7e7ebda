#pragma once
// One open stream of a sound device: the output side (playback) or the input
// side (recording), opened by an AudioBackend in one format.
//
// Blocks: WaveHeader records and their bytes belong to the caller. From a
// successful Write until the block comes back through
// AudioStreamListener::OnBlockDone, the stream may read (output:
// data[0, bufferLength)) or fill (input: data[0, bufferLength), setting
// bytesRecorded) the bytes, and the caller must not touch or free them.
// Every written block comes back exactly once and in the order written:
// output blocks when their last byte has been heard (the sound server's
// latency is taken into account, so the caller can show what is heard),
// input blocks when full; unplayed or partly filled ones on Reset, on Close
// and when the device is lost. A failed Write keeps the block the caller's
// and nothing comes back for it.
// Input is never dropped for want of a block: sound that arrives while no
// block is queued (the device may deliver seconds at once) waits in the
// stream, in order, and fills the next blocks written; only what outgrows
// that store, and holes the device itself reports, are lost, and they are
// told through AudioStreamListener::OnOverrun.
//
// Threads: interface thread only, for every method and every notification.
// Destroying an open stream resets and closes it without notifications.
//
// Units: volume as one word per channel, 0 to 0xFFFF, left in the low half,
// right in the high half; playback rate as a 16.16 fixed-point factor of the
// opened rate (0x10000 = as opened); byte counts of the stream's format.
#include <cstdint>

#include "base/WaveFormat.h"
#include "document/TransferBuffers.h"

namespace nv {

class AudioStream {
 public:
  virtual ~AudioStream() = default;
  virtual const WaveFormatEx& Format() const = 0;
  // Queues a block: output plays data[0, bufferLength), input fills it.
  virtual bool Write(WaveHeader* block) = 0;
  // Holds the stream; queued blocks stay queued.
  virtual void Pause() = 0;
  // Starts or resumes the stream.
  virtual void Restart() = 0;
  // Stops at once and hands back every queued block. It ends the stream's
  // work: later Writes fail, and Close follows.
  virtual void Reset() = 0;
  // Hands back what is still queued, releases the device and then tells
  // OnStreamClosed. Later calls do nothing.
  virtual void Close() = 0;
  virtual bool GetVolume(uint32_t& leftRight) = 0;
  virtual bool SetVolume(uint32_t leftRight) = 0;
  virtual bool GetPlaybackRate(uint32_t& factor16_16) = 0;
  // False when the device cannot play at that rate factor (nothing changes).
  virtual bool SetPlaybackRate(uint32_t factor16_16) = 0;
  // Bytes of this stream heard (output) or recorded (input) since it opened;
  // between block notifications it tells how far into the oldest block the
  // device is.
  virtual int64_t PlayedBytes() = 0;
  // True once the device vanished (unplugged, server gone): the queued
  // blocks have been handed back and every later Write fails.
  virtual bool Lost() const = 0;
};

}  // namespace nv
