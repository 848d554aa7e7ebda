#pragma once
// The spectrogram columns of one channel of a stretch: which FFT frames each
// pixel column averages, and the colour runs that result, ready to be drawn
// as vertical lines.
//
// Result of ComputeSpectrogramColumns, per column c (0 ... columnCount - 1):
//   x[c]                       logical x of the column (one device pixel wide)
//   runs[runBegin[c] ... runBegin[c + 1])
//                              the column's runs from bottom to top
// A run {fromY, toY, value} is one vertical line from logical y fromY to toY
// (y upwards, toY > fromY unless the rows collapse) drawn with pen `value`:
// a level 0 ... 63 of setup.levelColors, or with a user colour scheme
// (setup.userScheme) an index into setup.userPens.colors. Bins whose level
// is "none" leave gaps between runs (the background shows through).
// Consecutive bins of equal value are joined, so a drawing loop changes pens
// only between runs. Lines are setup.penWidthUnits wide for user pens.
//
// For stereo with both channels shown, call once per channel; the caller
// moves the drawing origin of the second (right) channel down by one channel
// plot height.
//
// Threads: ComputeSpectrogramColumns may spread the columns over several
// threads; the result is identical to a sequential walk. The setup and the
// samples are only read.
#include <cstdint>
#include <vector>

#include "plot/SpectrogramSetup.h"

namespace nv {

struct LevelRun {
  int32_t fromY = 0;
  int32_t toY = 0;
  int32_t value = 0;  // level 0 ... 63, or user pen index
};

struct SpectrogramColumns {
  std::vector<int32_t> x;
  std::vector<uint32_t> runBegin;  // columnCount + 1 entries
  std::vector<LevelRun> runs;

  size_t columnCount() const { return x.size(); }
  const LevelRun* begin(size_t c) const { return runs.data() + runBegin[c]; }
  const LevelRun* end(size_t c) const { return runs.data() + runBegin[c + 1]; }
};

// The stretch to draw: first and last sample a, b and the first and last
// logical x x0, x1 of the columns that show them; channel 0 is mono or left,
// 1 the right channel of a stereo sound.
struct ColumnStretch {
  int32_t firstSample = 0;
  int32_t lastSample = 0;
  int32_t firstX = 0;
  int32_t lastX = 0;
  int32_t channel = 0;
};

// The frames of one column: frameCount frames starting at firstFrameStart,
// firstFrameStart + advance, ...; or, when repeatOf >= 0, no frames and the
// result of column repeatOf (the last column that computed frames).
struct ColumnFrames {
  int64_t firstFrameStart = 0;
  int32_t frameCount = 0;
  int32_t repeatOf = -1;
};

// The logical x of every column of the stretch: x0 + k * units per pixel on
// devices with 10 or more units per pixel, x0 + k * (units per 1000 pixels)
// / 1000 otherwise, up to x1.
std::vector<int32_t> ColumnPositions(const SpectrogramSetup& setup, const ColumnStretch& stretch);

// The frame plan of the columns at xs (the sequential walk).
std::vector<ColumnFrames> PlanColumnFrames(const SpectrogramSetup& setup, int32_t frameCount,
                                           const ColumnStretch& stretch,
                                           const std::vector<int32_t>& xs);

// Computes the columns of the stretch into out (cleared first; its storage
// is reused). maxThreads 0 uses every core, 1 runs on the calling thread.
// Gives no columns when the setup is not drawable.
void ComputeSpectrogramColumns(const SpectrogramSetup& setup, const SoundSource& sound,
                               const ColumnStretch& stretch, SpectrogramColumns& out,
                               unsigned maxThreads = 0);

}  // namespace nv
