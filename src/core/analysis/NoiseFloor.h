#pragma once
// The noise floor of a recording, estimated from the recording itself: a
// low percentile of the mean-square levels of short blocks over a sliding
// window of the most recent blocks. Calls occupy a minority of the blocks of
// any stretch, so a low percentile reads the background between them; as
// the window slides, a rising or falling background is followed within
// about one window.
//
// Threads: one estimator per run. The constructor allocates; Add and Floor
// allocate nothing.
#include <cstdint>
#include <vector>

namespace nv {

class NoiseFloor {
 public:
  // `windowBlocks` blocks are kept; the floor is their `percentile`
  // (0 ... 1) and is recomputed every `refreshBlocks` additions.
  NoiseFloor(int windowBlocks, double percentile, int refreshBlocks);

  // Adds the mean square of the newest block; the oldest leaves a full window.
  void Add(double meanSquare);
  // The floor as a mean square; 0 before the first block.
  double Floor() const { return floor_; }
  int Count() const { return count_; }

 private:
  void Recompute();

  std::vector<double> ring_, scratch_;
  double percentile_;
  int refresh_;
  int next_ = 0, count_ = 0, sinceRefresh_ = 0;
  double floor_ = 0;
};

}  // namespace nv
