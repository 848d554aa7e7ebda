#pragma once
// What the last edit of a document needs to be undone (one level of undo).
#include <cstdint>

namespace nv {

enum UndoKind : int {
  kUndoNone = 0,
  kUndoSilence = 1,
  kUndoPaste = 3,
  kUndoDelete = 4,
  kUndoReverse = 5,
  kUndoVolume = 6,
  kUndoFilter = 7,
};

struct UndoRecord {
  int kind = kUndoNone;
  int32_t start = -1;        // first frame of the edited range
  int32_t end = -1;          // end frame (exclusive)
  int channel = 3;           // channel selection code of the edit
  int32_t pastedStart = -1;  // frames a paste inserted
  int32_t pastedEnd = -1;
  int dataChannel = 0;       // channel selection of the data in the undo file
  int32_t framesBefore = 0;  // frame count before the edit
};

}  // namespace nv
