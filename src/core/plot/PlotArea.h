#pragma once
// The diagrams of a sound plot, as a hit test names them and as the settings
// dialogs of one diagram are chosen.

namespace nv {

enum class PlotArea {
  None = 0,
  Spectrogram = 1,
  ZeroCrossing = 2,
  Oscillogram = 3,
};

}  // namespace nv
