#pragma once
// What the last edit of a document did (its kind names the Undo and Redo
// menu items), and the edits' kinds.
#include <cstdint>

#include "base/ChannelSelection.h"
#include "base/TimeBase.h"

namespace nv {

enum class UndoKind : int {
  None = 0,
  Silence = 1,
  Paste = 3,
  Delete = 4,
  Reverse = 5,
  Volume = 6,
  Filter = 7,
};

struct UndoRecord {
  UndoKind kind = UndoKind::None;
  FrameIndex start = -1;      // first frame of the edited range
  FrameIndex end = -1;        // end frame (exclusive)
  ChannelSelection channel = ChannelSelection::Both;  // channels of the edit
  FrameIndex pastedStart = -1;  // frames a paste inserted
  FrameIndex pastedEnd = -1;
  FrameIndex framesBefore = 0;  // frame count before the edit
};

}  // namespace nv
