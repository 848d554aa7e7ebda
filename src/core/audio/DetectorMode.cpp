#include "audio/DetectorMode.h"

namespace nv {

void DetectorMode::SwitchOn(const DetectorSettings& settings, const DetectorPlacement& placement) {
  settings_ = settings;
  on_ = true;
  line_ = PlaceDetectorLine(placement);
  // A frequency typed in the dialog tunes the line.
  const int64_t nyquist = placement.effectiveRateHz / 2;
  if (settings.frequencyHz >= 1 && (nyquist <= 0 || settings.frequencyHz <= nyquist)) line_.value = settings.frequencyHz;
}

void DetectorMode::SwitchOff() {
  // The dialog offers the frequency the line was tuned to last.
  if (on_ && line_.value > 0) settings_.frequencyHz = line_.value;
  on_ = false;
  line_ = CursorRecord{};
}

std::string DetectorMode::StatusText(const PlotSetup& s) const {
  return on_ ? DetectorStatusText(s, line_) : std::string();
}

}  // namespace nv
