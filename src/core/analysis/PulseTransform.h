#pragma once
// The transform of the pulse characteristics analysis: FFT size, overlap in
// samples and window, resolved from a view's spectrogram settings. The
// desktop's analysis dialog and norvane-cli both take it from here, so that
// the same recording and settings give the same table.
//
// A set size and overlap are used as they are. "Automatic" values are not
// the ones the view's spectrogram derives for drawing: those follow the zoom
// and the window height, and the automatic overlap leaves gaps between frames
// whenever a pixel column holds more samples than one frame, so the analysis
// would measure a call between frames that miss its ends. The analysis takes
// a fixed size of 256 samples instead, and frames overlapping by three
// quarters of the size.
// Plain value type; any thread.
#include <cstdint>

#include "settings/AnalysisSettings.h"
#include "settings/PulseSettings.h"

namespace nv {

struct PulseTransform {
  static constexpr int32_t kAutomaticFftSize = 256;

  int32_t fftSize = kAutomaticFftSize;
  int32_t overlapSamples = kAutomaticFftSize * 3 / 4;
  int32_t window = 2;

  // From a view's settings: a size of 16 ... 2048 (a power of two) is used
  // as set, any other ("Automatic") is kAutomaticFftSize; an overlap of
  // 0 ... 99 percent gives size x percent / 100 samples, any other
  // ("Automatic") three quarters of the size.
  static PulseTransform Of(const AnalysisSettings& view);
  // The overlap in samples of a size and a view's overlap percent, by the
  // rule above.
  static int32_t OverlapSamples(int32_t fftSize, int32_t overlapPercent);

  // Writes size, overlap and window into the analysis settings.
  void ApplyTo(PulseSettings& s) const;
};

}  // namespace nv
