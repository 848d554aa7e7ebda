#include "plot/PlotRepaintTimer.h"

namespace nv {

PlotRepaintTimer::PlotRepaintTimer(std::function<void()> fire) : fire_(std::move(fire)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
    timer_.stop();
    pending_ = false;
    if (fire_) fire_();
  });
}

bool PlotRepaintTimer::MayDrawNow(bool spectrogramShown) {
  if (!pending_) {
    // Drawn at once; requests until the timer fires are gathered.
    pending_ = true;
    return true;
  }
  timer_.start(spectrogramShown ? 500 : 62);
  return false;
}

void PlotRepaintTimer::Hold(int ms) {
  pending_ = true;
  timer_.start(ms);
}

}  // namespace nv
