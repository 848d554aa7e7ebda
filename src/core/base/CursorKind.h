#pragma once
// The kinds of cursor a sound view draws: the marking, measurement, large
// measurement and level cursors and the marking cursor over both channels.
// A mark is drawn as the cursor it was saved from; the numbers are the ones
// a mark record keeps in a file.
#include <cstdint>

namespace nv {

enum class CursorKind : int32_t {
  Marking = 1,
  Measurement = 2,
  LargeMeasurement = 3,
  Level = 4,
  MarkingStereo = 6,
};

// The measurement cursors: their value is a measured amplitude or frequency.
inline bool IsMeasuringKind(CursorKind kind) {
  return kind == CursorKind::Measurement || kind == CursorKind::LargeMeasurement;
}

// A mark record keeps its kind as the number of the cursor it was saved
// from. A number read from a file may name no kind; it is kept as it is (such
// a mark is drawn as no cursor and keeps its number through the "Mark
// properties" dialog), so the two conversions are exact inverses.
inline CursorKind CursorKindOfStored(int32_t stored) { return static_cast<CursorKind>(stored); }
inline int32_t StoredCursorKind(CursorKind kind) { return static_cast<int32_t>(kind); }

}  // namespace nv
