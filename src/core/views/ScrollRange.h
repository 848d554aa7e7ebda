#pragma once
// Where a sound view may scroll: the first visible sample runs from 0 to the
// start of the last full page, so that the plot never shows a stretch past
// the end of the sound while there is sound before it to show. A sound
// shorter than one page is shown from its start. The view's scroll bar uses
// the same numbers (range 0 ... MaxFirst, page step Page), so its thumb and
// the plot always agree.
//
// Positions and lengths are sample frames; the page is the number of
// samples the plot covers.
#include <cstdint>

namespace nv {

class ScrollRange {
 public:
  // A sound of `length` frames shown `samplesPerPlot` frames at a time
  // (values below 1 count as 1, negative lengths as 0).
  ScrollRange(int64_t length, int64_t samplesPerPlot);

  int64_t Length() const { return length_; }
  int64_t Page() const { return page_; }
  // The largest first visible sample: length - page, or 0 for a sound
  // shorter than a page.
  int64_t MaxFirst() const;
  // `first` limited to 0 ... MaxFirst.
  int64_t Clamp(int64_t first) const;
  // One scroll step of `step` samples (at least 1) in `direction` (-1 left,
  // +1 right) from `first`, clamped.
  int64_t Step(int64_t first, int direction, int64_t step) const;
  // Page Up / Page Down: one whole page in `direction`, clamped.
  int64_t PageStep(int64_t first, int direction) const { return Step(first, direction, page_); }
  // Home and End: the sound's start, and the last full page.
  int64_t Home() const { return 0; }
  int64_t End() const { return MaxFirst(); }
  // The mouse wheel: `angleDelta` in eighths of a degree as the wheel
  // reports it (120 for one notch of an ordinary wheel, less for a fine
  // one); one notch moves a tenth of a page, towards the end for a turn
  // towards the user (negative delta). Any turn moves at least one sample.
  static constexpr int kWheelNotch = 120;
  static constexpr int kWheelNotchesPerPage = 10;
  int64_t WheelStep(int64_t first, int angleDelta) const;

 private:
  int64_t length_;
  int64_t page_;
};

}  // namespace nv
