#pragma once
// The application-wide cursor mode of the sound views and the small rules
// that go with it. Mode None is the start-up mode: clicks do nothing.
#include <cstdint>
#include <string>

#include "base/CursorKind.h"

namespace nv {

enum class CursorMode : int32_t {
  None = 0,
  Marking = 1,
  Measurement = 2,
  LargeMeasurement = 3,
  Level = 4,
  MarkingStereo = 6,
};

// The cursor a click sets in a mode (every mode but None has one of the
// same number).
inline CursorKind CursorKindOf(CursorMode mode) { return static_cast<CursorKind>(mode); }

// The mode after a view of a document with `channels` channels is activated:
// the stereo marking cursor falls back on the plain one in a mono document.
inline CursorMode ModeOnActivation(CursorMode mode, int channels) {
  return mode == CursorMode::MarkingStereo && channels < 2 ? CursorMode::Marking : mode;
}

inline bool IsMeasuringMode(CursorMode mode) {
  return mode == CursorMode::Measurement || mode == CursorMode::LargeMeasurement;
}

// A drag released less than three pixels (horizontally) from where it began
// is a click: the selection it drew is cleared.
inline bool DragIsClick(int pressX, int releaseX) {
  const int d = releaseX - pressX;
  return d > -3 && d < 3;
}

// The format text of the status strip: "Mono, 16 bits, 44100 Hz." or, with a
// time-expansion factor (thousandths) other than 1.00, "..., Time exp 10.00.".
std::string FormatStatusText(int channels, int bits, int64_t rateHz, int64_t expansion);

}  // namespace nv
