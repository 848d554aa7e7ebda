#pragma once
// The spectrogram columns when the columns lie farther apart than the
// frames: a column then shows, per bin, the strongest level of all the
// frames of its stretch of samples, so that a short call between two
// column starts is not skipped (the column walk of SpectrogramColumns.h
// computes one frame per column there).
//
// This applies when a column holds more samples than the FFT size with
// automatic overlap (one frame per column would leave gaps), or more than
// the frame advance with a set overlap (the column walk would average
// several frames and dilute a short call).
//
// Frames lie on one grid for the whole sound: frame j is centred on sample
// j * A (it starts at j * A - N/2), with A the frame advance: half the FFT
// size with automatic overlap (so that every sample lies in the middle
// half of a frame, where the window does not weaken it much), else the
// advance of the set overlap. Column c, covering the samples from its first sample
// up to the next column's first sample, takes every frame whose centre lies
// in that stretch (at least one); the columns of a stretch thus share out
// the frames between them, and every sample lies in some frame.
//
// A bin's value is the level (or user pen) of the largest power of the
// bin over the column's frames; a level grows with the power, so this is
// the strongest level among the frames. Frames of silence (all samples 0)
// give power 0 and are not transformed.
//
// Caches, so that zooming and repainting do not transform the same frames
// again: the levels (built-in colour schemes) of aligned blocks of 2^g
// frames for g from a base size up (a block of one size is the maximum of
// its two halves), and the values of the columns last computed. Both belong
// to one sound, channel, FFT size, advance, window and level scale and are
// dropped when any of these change; Clear() drops them when the samples
// themselves changed.
//
// A frame budget bounds the work of one call: columns are started while
// the budget lasts (a started column is finished); the others are left
// without values (nothing drawn) and reported, so that the caller can ask
// again later and draw the picture progressively.
//
// Threads: Compute may spread the columns over several threads; the result
// does not depend on the number of threads. One object is used by one
// thread at a time.
#include <cstdint>
#include <memory>
#include <vector>

#include "plot/SpectrogramColumns.h"

namespace nv {

class SpectrogramPeaks {
 public:
  // Not copied: its caches belong to one plot.
  SpectrogramPeaks();
  ~SpectrogramPeaks();

  // Samples between the centres of consecutive frames of the grid.
  static int32_t FrameAdvance(const SpectrogramSetup& setup);
  // True when the columns lie farther apart than the frames (see above).
  static bool Applies(const SpectrogramSetup& setup);

  // Forgets every cached value (the samples changed).
  void Clear();

  // Computes the columns of the stretch into out (cleared first), every
  // column with a row of its own. frameBudget 0: no limit. maxThreads 0
  // uses every core. Returns true when every column got its values;
  // otherwise MissingColumns() tells which did not.
  bool Compute(const SpectrogramSetup& setup, const SoundSource& sound, const ColumnStretch& stretch,
               SpectrogramColumns& out, unsigned maxThreads = 0, int64_t frameBudget = 0);
  // The same for columns at the logical x positions xs whose samples are
  // given: column c covers [bounds[c], bounds[c + 1]). A plot passes the
  // samples of each device pixel, so that a repaint of part of it computes
  // the same columns as a paint of the whole.
  bool Compute(const SpectrogramSetup& setup, const SoundSource& sound, int channel,
               std::vector<int32_t> xs, const std::vector<int64_t>& bounds, SpectrogramColumns& out,
               unsigned maxThreads = 0, int64_t frameBudget = 0);

  // The logical x of the first and the last column the last Compute left
  // without values (first > last when there were none).
  struct XRange {
    int32_t first = 1;
    int32_t last = 0;
  };
  XRange MissingColumns() const { return missing_; }

  // The cached values of one channel (defined in the source).
  class Store;

 private:
  std::unique_ptr<Store> stores_[2];  // per channel
  XRange missing_;
};

}  // namespace nv
