#include "analysis/NoiseFloor.h"

#include <algorithm>

namespace nv {

NoiseFloor::NoiseFloor(int windowBlocks, double percentile, int refreshBlocks)
    : ring_(static_cast<size_t>(std::max(1, windowBlocks)), 0.0),
      scratch_(ring_.size(), 0.0),
      percentile_(std::clamp(percentile, 0.0, 1.0)),
      refresh_(std::max(1, refreshBlocks)) {}

void NoiseFloor::Add(double meanSquare) {
  ring_[static_cast<size_t>(next_)] = meanSquare;
  next_ = (next_ + 1) % static_cast<int>(ring_.size());
  if (count_ < static_cast<int>(ring_.size())) ++count_;
  // Until the window is full every block counts at once; then every
  // refresh_-th block, which is plenty for a background that changes over
  // many blocks.
  if (count_ < static_cast<int>(ring_.size()) || ++sinceRefresh_ >= refresh_) {
    sinceRefresh_ = 0;
    Recompute();
  }
}

void NoiseFloor::Recompute() {
  if (count_ == 0) return;
  // The ring holds its blocks in [0, count_) until it is full.
  std::copy(ring_.begin(), ring_.begin() + count_, scratch_.begin());
  const auto k = static_cast<std::ptrdiff_t>(percentile_ * (count_ - 1) + 0.5);
  std::nth_element(scratch_.begin(), scratch_.begin() + k, scratch_.begin() + count_);
  floor_ = scratch_[static_cast<size_t>(k)];
}

}  // namespace nv
