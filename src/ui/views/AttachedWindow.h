#pragma once
// What a sound view tells the analysis windows opened from it (power
// spectra, pulse interval and pulse length histograms, the pulse
// characteristics window): the stretch they analyse after every cursor or
// selection change, and a new level from the level cursor. The windows
// implement it and attach themselves to their view; the view does not own
// them and they detach before they go. Interface thread only.
#include <cstdint>

class AttachedWindow {
 public:
  virtual ~AttachedWindow() = default;
  // The selection [start, end), smaller bound first, with its channels (1
  // left, 2 right, 3 both; in a view of one channel of a stereo sound always
  // that channel), or the cursor position with end -1; start -1 when there
  // is neither. `fullUpdate`: recompute even without a selection or cursor.
  virtual void SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) = 0;
  // The level cursor was set to `level` (1/100 % of full scale); only the
  // analysis the level cursor belongs to takes it.
  virtual void LevelChanged(int32_t level) { (void)level; }
};
