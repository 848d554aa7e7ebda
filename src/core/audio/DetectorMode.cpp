#include "audio/DetectorMode.h"

namespace nv {

void DetectorMode::SwitchOn(const DetectorSettings& settings, const DetectorPlacement& placement) {
  settings_ = settings;
  on_ = true;
  line_ = PlaceDetectorLine(placement);
}

void DetectorMode::SwitchOff() {
  on_ = false;
  line_ = CursorRecord{};
}

std::string DetectorMode::StatusText(const PlotSetup& s) const {
  return on_ ? DetectorStatusText(s, line_) : std::string();
}

}  // namespace nv
