#pragma once
// The samples of one document: the work file that holds its frames, the clip
// file of its last cut or copy and the undo file of its last edit (temporary
// files, unlinked at once), their mappings, the frame count and the block
// size of the format. It knows the format's block size but not its meaning;
// the document tells it the format. Interface thread only; a worker may read
// through an existing read-only mapping while nothing changes the files.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/SampleSource.h"
#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "base/WaveFormat.h"

namespace nv {

// The three files of a store.
enum class StoreFile { Work, Clip, Undo };
// How a file is mapped.
enum class MapAccess { Read, Write };

// The largest frame count a document holds.
constexpr FrameIndex kMaxFrames = 2147483647;

// A frame position or count as the views' cursors and plots hold it (32-bit).
// Every position and count of a document fits, as it holds at most kMaxFrames
// frames; a value beyond is held at the limit, never wrapped.
constexpr int32_t ViewFrame(FrameIndex frame) {
  return static_cast<int32_t>(std::clamp<FrameIndex>(frame, INT32_MIN, kMaxFrames));
}

class SampleStore {
 public:
  // Creates the three files; false when one could not be created (a message
  // was shown).
  bool Create();
  void Close();

  // The block size of `format` (BufferSize); the frame count keeps its value.
  void SetFormat(const WaveFormatEx& format);
  uint32_t BufferSize() const { return bufferSize_; }
  size_t CopyPieceBytes() const { return nv::CopyPieceBytes(bufferSize_); }
  int64_t LastBufferIndex() const { return lastBufferIndex_; }
  void SetLastBufferIndex(int64_t i) { lastBufferIndex_ = i; }

  FrameIndex FrameCount() const { return frameCount_; }
  // Stores the frame count (limited to kMaxFrames) and recomputes
  // LastBufferIndex; returns the count stored.
  FrameIndex SetFrameCount(FrameIndex frames);

  // The frames through the lasting read-only mapping of the work file, which
  // the views read from until an edit releases it; empty when there are none
  // or the file could not be mapped (after a message).
  SampleSource Samples();

  // Base of the whole mapped `file`, or null after a message. A caller maps
  // through a SampleMapping, which releases the mapping when it goes.
  uint8_t* Map(StoreFile file, MapAccess access);
  void Unmap(StoreFile file) { File(file).Unmap(); }
  // Releases the mappings of all three files.
  void UnmapAll();
  TempFile& File(StoreFile file);
  const TempFile& File(StoreFile file) const;
  TempFile& WorkFile() { return work_; }

 private:
  WaveFormatEx format_;
  uint32_t bufferSize_ = 64;
  int64_t lastBufferIndex_ = -1;
  FrameIndex frameCount_ = 0;
  TempFile work_, clip_, undo_;
};

}  // namespace nv
