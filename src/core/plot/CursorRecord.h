#pragma once
// A cursor of a sound view as the plot draws it: the marking, measurement,
// large measurement and level cursors, the two ends of a selection and the
// detector line. The same fields describe a mark when it is drawn.
#include <cstdint>

#include "base/CursorKind.h"

namespace nv {

// The pen of the playback cursor: a solid line that stands out on every
// background (a bright core in a black edge), drawn over the picture.
constexpr int32_t kCursorPenPlayback = 2;

struct CursorRecord {
  int32_t position = -1;     // sample frame; -1 = no cursor
  int32_t value = 0;         // amplitude (1/100 %) or frequency (Hz); <= 0 for a marking cursor
  int32_t channel = 1;       // 1 left, 2 right, 3 both
  bool inSpectrogram = false;  // the value is a frequency
  CursorKind kind = CursorKind::Marking;
  int32_t rangeStart = -1;   // level cursor: stretch of the level lines; -1 = selection start
  int32_t rangeEnd = -1;     // -1 = selection end
  int32_t pen = 0;           // 0: the first dotted cursor pen, 1: the second, 2: playback

  bool operator==(const CursorRecord&) const = default;
};

}  // namespace nv
