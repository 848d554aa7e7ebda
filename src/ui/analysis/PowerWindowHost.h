#pragma once
// What a power-spectrum window asks of the sound view that owns it: to mark
// and unmark the interval it analyses while it follows the cursor, to print
// or preview it, and to close it. Each request carries the window's slot
// number (0 ... 15) in the view's table. Implemented by the view; the window
// keeps a pointer that the view outlives. Interface thread only.
#include <cstdint>

class PowerWindowHost {
 public:
  virtual ~PowerWindowHost() = default;
  // Marks [start, end) in the view for the window in `slot`; channel 1
  // left, 2 right, 0 the view's.
  virtual void MarkAnalysedInterval(int slot, int32_t start, int32_t end, int channel) = 0;
  // The window in `slot` no longer marks an interval.
  virtual void ClearAnalysedInterval(int slot) = 0;
  // The window was closed by the user; the view destroys it and frees the
  // slot, unless it is being printed.
  virtual void PowerWindowClosed(int slot) = 0;
  virtual void PrintPowerWindow(int slot) = 0;
  virtual void PreviewPowerWindow(int slot) = 0;
};
