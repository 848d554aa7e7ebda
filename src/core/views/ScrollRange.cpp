#include "views/ScrollRange.h"

#include <algorithm>

namespace nv {

ScrollRange::ScrollRange(int64_t length, int64_t samplesPerPlot)
    : length_(std::max<int64_t>(length, 0)), page_(std::max<int64_t>(samplesPerPlot, 1)) {}

int64_t ScrollRange::MaxFirst() const { return std::max<int64_t>(length_ - page_, 0); }

int64_t ScrollRange::Clamp(int64_t first) const { return std::clamp<int64_t>(first, 0, MaxFirst()); }

int64_t ScrollRange::Step(int64_t first, int direction, int64_t step) const {
  step = std::max<int64_t>(step, 1);
  return Clamp(Clamp(first) + (direction < 0 ? -step : direction > 0 ? step : 0));
}

int64_t ScrollRange::WheelStep(int64_t first, int angleDelta) const {
  if (angleDelta == 0) return Clamp(first);
  int64_t move = -static_cast<int64_t>(static_cast<__int128>(page_) * angleDelta /
                                       (kWheelNotch * kWheelNotchesPerPage));
  if (move == 0) move = angleDelta < 0 ? 1 : -1;
  return Clamp(Clamp(first) + move);
}

}  // namespace nv
