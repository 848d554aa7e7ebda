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
  // The selection [start, end) with its channels (1 left, 2 right, 3 both),
  // or the cursor position with end -1; start -1 when there is neither.
  // `fullUpdate`: recompute even without a selection or cursor.
  virtual void SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) = 0;
  // The level cursor was set to `level` (1/100 % of full scale).
  virtual void LevelChanged(int32_t level) { (void)level; }
};
