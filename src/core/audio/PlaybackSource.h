#pragma once
// Where a PlaybackEngine gets its blocks: the engine asks its source for the
// next block whenever the device has room for one. A plain sound, a slowed
// sound and the virtual detector differ only in their source; opening the
// device, queueing, refilling, the rate and volume keys, stopping and the
// status texts are the engine's.
//
// Contract:
// - Units: a playback covers frames [start, end) of the document's sound.
//   Block n (from 1) stands for the SoundBytesPerBlock() bytes of the sound
//   (in the sound's own format) from start x frame size + (n - 1) x
//   SoundBytesPerBlock(), and is at most BufferSize bytes in the document's
//   format (channels, bits) played at the document's rate x Speed().
// - Order: Begin once per playback, then Fill for blocks 1, 2, ... in order,
//   each once, then End when the playback is over (the device has closed,
//   or it never opened, or the engine is going away). Fill is never called
//   for a block that would start at or after the range's end.
// - Ownership: the source fills the bytes it is given and keeps no pointer
//   to them; whatever it holds for a playback (a mapping of the sound) it
//   releases at End. The engine does not own its source: the source must
//   outlive the engine.
// - Threads: the engine's thread (the interface thread) only, unless a
//   source says otherwise for a method of its own.
#include <cstdint>

namespace nv {

enum class SourceStart {
  Started,     // blocks can be filled
  EmptyRange,  // the range holds nothing to play: the view beeps
  Refused,     // a message has been shown; nothing plays
};

class PlaybackSource {
 public:
  virtual ~PlaybackSource() = default;

  // Prepares a playback of frames [startFrame, endFrame), as the engine
  // clamped and ordered them (the end at the sound's end or before), with
  // blocks of `blockBytes` (the document's BufferSize).
  virtual SourceStart Begin(int64_t startFrame, int64_t endFrame, uint32_t blockBytes) = 0;
  // The rate of the blocks as a factor of the document's rate: the device is
  // asked for the integer part of rate x Speed().
  virtual double Speed() const = 0;
  // Bytes of the sound behind one block (after Begin).
  virtual int64_t SoundBytesPerBlock() const = 0;
  // Fills the block that stands for the sound from byte `soundOffset` into
  // `out` (room for the `blockBytes` given to Begin); returns the bytes to
  // queue: all of them for a whole block, fewer at the end of the sound, 0
  // or less when there is nothing more (the range then ends there).
  virtual int64_t Fill(int64_t soundOffset, uint8_t* out) = 0;
  // The playback is over: releases what Begin took.
  virtual void End() {}
};

}  // namespace nv
