#pragma once
// The spectrogram geometry of a screen plot (15 logical units per pixel) of
// widthPx x heightPx device pixels, for tests of the spectrogram columns.
#include <cstdint>

#include "plot/SpectrogramSetup.h"

namespace nv {

inline PlotGeometry ScreenGeometry(int widthPx, int heightPx, int32_t spectBottom) {
  PlotGeometry g;
  g.scale = PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = widthPx * 15;
  g.spectBottom = spectBottom;
  g.spectHeight = heightPx * 15;
  return g;
}

}  // namespace nv
