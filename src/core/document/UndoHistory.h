#pragma once
// The undo and redo history of a document (kept by its SoundEditor), as
// deep as the work back to the opened file, bounded by a disk budget. Each step says which frames an edit
// replaced: frames [start, start + oldFrames) of the sound before the edit
// became frames [start, start + newFrames) after it, everything before and
// after them unchanged. The step keeps the replaced frames (whole frames,
// both channels) in a temporary file of its own; undoing it first keeps the
// frames it takes away in a second file, so that Redo can put them back.
// A new edit clears the redo steps. When the kept files would exceed the
// budget, or the temporary directory's free space (statvfs) would fall
// below a reserve, the oldest steps are dropped. Interface thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "document/UndoRecord.h"

namespace nv {

struct UndoStep {
  UndoKind kind = UndoKind::None;  // the edit (its menu text)
  FrameIndex start = 0;       // first frame that changed
  FrameIndex oldFrames = 0;   // frames before the edit, from start
  FrameIndex newFrames = 0;   // frames after the edit, from start
  FrameIndex framesBefore = 0;  // length of the sound before the edit
  FrameIndex framesAfter = 0;   // and after it
  int64_t blockAlign = 0;    // bytes per frame of the kept files
  TempFile before;         // the oldFrames frames as they were
  TempFile after;          // the newFrames frames, once the step was undone
  int64_t Bytes() const { return (before.IsOpen() ? before.Size() : 0) + (after.IsOpen() ? after.Size() : 0); }
};

class UndoHistory {
 public:
  static constexpr uint64_t kDefaultBudgetBytes = uint64_t{4} << 30;  // 4 GiB
  // Free space the history leaves on the temporary directory's disk.
  static constexpr uint64_t kFreeSpaceReserveBytes = uint64_t{256} << 20;

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The edits the next Undo and Redo would take back or do again.
  UndoKind NextUndo() const { return undo_.empty() ? UndoKind::None : undo_.back()->kind; }
  UndoKind NextRedo() const { return redo_.empty() ? UndoKind::None : redo_.back()->kind; }
  size_t UndoDepth() const { return undo_.size(); }
  size_t RedoDepth() const { return redo_.size(); }
  uint64_t BudgetBytes() const { return budget_; }
  void SetBudgetBytes(uint64_t bytes) { budget_ = bytes; }
  // The bytes the kept files take.
  uint64_t KeptBytes() const;

  // Whether `bytes` more may be kept: within the budget once older steps
  // are dropped, and leaving the reserve free on the disk.
  bool Room(uint64_t bytes) const;
  // A new edit's step (its `before` file filled): the redo steps go, the
  // oldest steps go while the budget is exceeded.
  void Push(std::unique_ptr<UndoStep> step);
  // The top undo step, handed to the caller to undo; nullptr when none.
  std::unique_ptr<UndoStep> PopUndo();
  std::unique_ptr<UndoStep> PopRedo();
  // Steps back after undoing or redoing them.
  void PushRedo(std::unique_ptr<UndoStep> step) { redo_.push_back(std::move(step)); }
  void PushUndoKeepingRedo(std::unique_ptr<UndoStep> step);
  void ClearRedo() { redo_.clear(); }
  // Forgets every step (an edit that could not be kept breaks the chain).
  void Clear();

  // Free bytes on the disk of `dir` (statvfs), UINT64_MAX when unknown.
  static uint64_t FreeBytes(const std::string& dir);

 private:
  void DropOldest();
  std::vector<std::unique_ptr<UndoStep>> undo_;
  std::vector<std::unique_ptr<UndoStep>> redo_;
  uint64_t budget_ = kDefaultBudgetBytes;
};

}  // namespace nv
