#pragma once
// The coalescing of a plot's redraws: the first request after a quiet spell
// may draw at once; the requests that follow wait for a one-shot timer
// (500 ms with a spectrogram, 62 ms without) and are then drawn together.
// Interface thread only.
#include <QTimer>
#include <functional>

namespace nv {

class PlotRepaintTimer {
 public:
  // `fire` runs when the timer ends: the owner then asks for the repaint of
  // what was gathered.
  explicit PlotRepaintTimer(std::function<void()> fire);
  PlotRepaintTimer(const PlotRepaintTimer&) = delete;
  PlotRepaintTimer& operator=(const PlotRepaintTimer&) = delete;

  // True when a request may draw now (the ones that follow then wait);
  // false when it must wait, the timer (re)started with the interval of a
  // plot with or without a spectrogram.
  bool MayDrawNow(bool spectrogramShown);
  // Nothing draws until `ms` have passed (a new or a resized plot).
  void Hold(int ms);

  bool Pending() const { return pending_; }
  int IntervalMs() const { return timer_.interval(); }
  bool Active() const { return timer_.isActive(); }

 private:
  QTimer timer_;
  bool pending_ = false;
  std::function<void()> fire_;
};

}  // namespace nv
