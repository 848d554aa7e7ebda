#include "analysis/PulseTransform.h"

#include "plot/SpectrogramSetup.h"

namespace nv {

PulseTransform PulseTransform::Of(const AnalysisSettings& view) {
  PulseTransform t;
  t.fftSize = IsValidFftSize(view.fftSize) ? view.fftSize : kAutomaticFftSize;
  t.overlapSamples = OverlapSamples(t.fftSize, view.fftOverlap);
  t.window = view.window;
  return t;
}

int32_t PulseTransform::OverlapSamples(int32_t fftSize, int32_t overlapPercent) {
  if (overlapPercent >= 0 && overlapPercent < 100)
    return static_cast<int32_t>(static_cast<int64_t>(fftSize) * overlapPercent / 100);
  return static_cast<int32_t>(static_cast<int64_t>(fftSize) * 3 / 4);
}

void PulseTransform::ApplyTo(PulseSettings& s) const {
  s.fftSize = fftSize;
  s.fftOverlap = overlapSamples;
  s.fftWindow = window;
}

}  // namespace nv
