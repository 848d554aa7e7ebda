#pragma once
// The source of a plain or slowed playback: the bytes of the document's work
// file as they are stored, one BufferSize block after the other, played at
// the document's rate x its play speed (a slowed sound differs from a plain
// one only in that rate). A block that reads short is zero-filled behind
// what was read. Interface thread; see PlaybackSource for the contract.
#include <cstdint>
#include <functional>

#include "audio/PlaybackSource.h"
#include "document/CNorvaneDoc.h"

namespace nv {

class WorkFileSource : public PlaybackSource {
 public:
  // Reads up to `bytes` bytes of the work file at `offset` into `out`;
  // returns the bytes read (0 at the end, -1 on error).
  using BlockReader = std::function<int64_t(int64_t offset, uint8_t* out, int64_t bytes)>;

  explicit WorkFileSource(CNorvaneDoc& doc) : doc_(doc) {}

  // Replaces the work-file reader (tests: short reads, failures).
  void SetBlockReader(BlockReader reader) { reader_ = std::move(reader); }

  SourceStart Begin(int64_t startFrame, int64_t endFrame, uint32_t blockBytes) override;
  double Speed() const override { return doc_.PlaySpeed(); }
  int64_t SoundBytesPerBlock() const override { return blockBytes_; }
  int64_t Fill(int64_t soundOffset, uint8_t* out) override;

 private:
  int64_t Read(int64_t offset, uint8_t* out, int64_t bytes);

  CNorvaneDoc& doc_;
  BlockReader reader_;
  uint32_t blockBytes_ = 0;
};

}  // namespace nv
