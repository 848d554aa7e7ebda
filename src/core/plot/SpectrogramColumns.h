#pragma once
// The spectrogram columns of one channel of a stretch: which FFT frames each
// pixel column averages, and the colour runs that result, ready to be drawn
// as vertical lines.
//
// Result of ComputeSpectrogramColumns, per column c (0 ... columnCount - 1):
//   x[c]        logical x of the column (one device pixel wide)
//   row(c)      the value of each visible bin, firstBin ... firstBin +
//               binCount - 1 (setup.firstVisibleBin ... lastVisibleBin),
//               from the bottom up
// A value is a level 0 ... 63 of setup.levelColors or kNoLevel (levels,
// one byte per bin), or with a user colour scheme (setup.userScheme) an
// index into setup.userPens.colors or kNoPen (pens). Columns that repeat an
// earlier column's result share its row (rowOf).
//
// Drawing: runs of consecutive bins of equal value are one vertical line at
// the column's x (ForEachRun): from the lower boundary of the run's first
// bin (the row of the bin before it, or setup.spectBottom for the first
// visible bin) to the row of its last bin, logical y upwards (toY > fromY
// unless the rows collapse). Runs whose value is "none" are not drawn (the
// background shows through). ColumnRuns gives the runs in logical y. Lines
// are setup.penWidthUnits wide for user pens.
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

// A run in logical y: one vertical line from fromY to toY in pen `value`.
struct LevelRun {
  int32_t fromY = 0;
  int32_t toY = 0;
  int32_t value = 0;  // level 0 ... 63, or user pen index
};

struct SpectrogramColumns {
  std::vector<int32_t> x;
  int32_t firstBin = 0;
  int32_t binCount = 0;
  bool userScheme = false;
  std::vector<uint32_t> rowOf;  // per column: its row among the computed ones
  std::vector<int8_t> levels;   // built-in scheme: binCount values per row
  std::vector<int32_t> pens;    // user scheme: binCount values per row

  size_t columnCount() const { return x.size(); }
  size_t rowStart(size_t c) const { return static_cast<size_t>(rowOf[c]) * binCount; }
  const int8_t* levelRow(size_t c) const { return levels.data() + rowStart(c); }
  const int32_t* penRow(size_t c) const { return pens.data() + rowStart(c); }
  // The value of visible bin firstBin + i of column c.
  int32_t value(size_t c, int i) const {
    return userScheme ? penRow(c)[i] : static_cast<int32_t>(levelRow(c)[i]);
  }
};

// Calls f(first, last, value) for every run of equal value of the row
// v[0 ... count - 1] whose value is not negative, from the bottom up; first
// and last are indices into the row.
template <class T, class F>
void ForEachRun(const T* v, int count, F&& f) {
  int start = 0;
  for (int i = 1; i <= count; ++i) {
    if (i < count && v[i] == v[start]) continue;
    if (v[start] >= 0) f(start, i - 1, static_cast<int32_t>(v[start]));
    start = i;
  }
}

// The runs of column c in logical y, from the bottom up.
std::vector<LevelRun> ColumnRuns(const SpectrogramSetup& setup, const SpectrogramColumns& cols,
                                 size_t c);

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

// The first sample of every column at xs, a + (x - x0) * (b - a) / (x1 - x0),
// followed by the first sample of the column after the last one (xs.size()
// + 1 values; xs as ColumnPositions gives them).
std::vector<int64_t> ColumnSampleBounds(const SpectrogramSetup& setup, const ColumnStretch& stretch,
                                        const std::vector<int32_t>& xs);

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
