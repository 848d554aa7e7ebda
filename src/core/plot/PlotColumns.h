#pragma once
// The per-column data of the oscillogram and the zero-crossing diagram of
// one channel of a stretch, ready to be drawn (the spectrogram columns are
// in SpectrogramColumns.h). Columns are walked as for the spectrogram: one
// device pixel wide, the column at x covering the samples from
// a + (x - x0) (b - a) / (x1 - x0) up to the next column's first sample.
//
// Logical units with y upwards, of the upper (or only) channel's picture;
// the caller moves the right channel of a two-channel plot down. The
// samples are only read.
#include <cstdint>
#include <vector>

#include "plot/PlotSetup.h"
#include "plot/SpectrogramColumns.h"

namespace nv {

struct OscillogramColumn {
  int32_t x = 0;
  int32_t yMin = 0;  // y of the smallest sample
  int32_t yMax = 0;  // y of the largest sample
};

// The minimum and maximum of the samples of every column (at most the
// samples per pixel column of them, at least one), converted to amplitude
// and to y. A column past the end of the sound is left out.
void ComputeOscillogramColumns(const PlotSetup& setup, const SoundSource& sound,
                               const ColumnStretch& stretch, std::vector<OscillogramColumn>& out);

struct ZeroCrossingPoint {
  int32_t x = 0;
  int64_t hz = -1;  // -1: the column has no value
  int32_t y = 0;    // frequency -> y, clamped to the diagram
};

// The estimate of every column (see ZeroCrossing.h).
void ComputeZeroCrossingColumns(const PlotSetup& setup, const SoundSource& sound,
                                const ColumnStretch& stretch, std::vector<ZeroCrossingPoint>& out);

// The stretch of the samples under the logical x range clipLeft ... clipRight
// for channel `channel`: limited to the visible samples and to the sound.
// Empty (lastSample < firstSample) when nothing is to be drawn.
ColumnStretch StretchForClip(const PlotSetup& setup, int32_t clipLeft, int32_t clipRight,
                             int32_t channel);

}  // namespace nv
