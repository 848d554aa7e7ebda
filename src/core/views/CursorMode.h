#pragma once
// The application-wide cursor mode of the sound views and the small rules
// that go with it. Mode 0 (none) is the start-up mode: clicks do nothing.
#include <cstdint>
#include <string>

namespace nv {

enum CursorMode : int {
  kModeNone = 0,
  kModeMarking = 1,
  kModeMeasurement = 2,
  kModeLargeMeasurement = 3,
  kModeLevel = 4,
  kModeMarkingStereo = 6,
};

// The mode after a view of a document with `channels` channels is activated:
// the stereo marking cursor falls back on the plain one in a mono document.
inline int ModeOnActivation(int mode, int channels) {
  return mode == kModeMarkingStereo && channels < 2 ? kModeMarking : mode;
}

inline bool IsMeasuringMode(int mode) {
  return mode == kModeMeasurement || mode == kModeLargeMeasurement;
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
