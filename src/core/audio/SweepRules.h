#pragma once
// The arithmetic of the recording view's running sweep display: where a
// block is drawn, which samples a column shows, the spectrogram strip's FFT
// size, threshold power and colour level, and the texts and positions of
// the frequency axis. Pixels are device pixels; no state, any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// Blocks of 1/16 s make one second of the sweep.
inline constexpr int kSweepBlocksPerSecond = 16;
// Blocks the display keeps between paints.
inline constexpr int kSweepRingSlots = 256;
// Left margin of the plot area.
inline constexpr int kSweepLeftPx = 5;

// The sweep spreads its blocks evenly over the whole plot width: block n
// (from the left edge, n modulo blocksPerPlot) covers the fraction
// [n, n + 1) / blocksPerPlot of the width, so a block may take several
// columns, a fraction of one, or parts of two. Column c (from the plot's
// left edge) shows the samples of the sweep from ColumnStart(c) to
// ColumnStart(c + 1), counted per channel from the sweep's start; it is
// drawn by the block that holds its last sample.
struct SweepGeometry {
  int plotWidthPx = 0;
  int64_t blocksPerPlot = 0;
  double pixelsPerSecond = 0;  // plot width / seconds per plot
  double pixelsPerBlock = 0;   // a sixteenth of that

  static SweepGeometry For(int plotWidthPx, int64_t secondsPerPlot);
  // x of the column in which block n begins.
  int BlockX(int64_t n) const;
  // x of the time axis' tick of second s.
  int SecondX(int64_t s) const;
  // First sample of column c, for blocks of `samplesPerBlock` samples per
  // channel: ceil(c x blocksPerPlot x samplesPerBlock / plot width).
  int64_t ColumnStart(int c, int samplesPerBlock) const;
  // The columns [first, end) whose last sample lies in block n (none when
  // the block ends inside the column it began in).
  void BlockColumns(int64_t n, int& first, int& end) const;
  // Samples of one channel a column holds on average (at least 1).
  int SamplesPerColumn(int samplesPerBlock) const;
};

// Threshold power of amplitude threshold t (0 ... 32): 5 for 0, 25 600 000
// for 32, 25 600 000^(t/32) between.
double SweepThresholdPower(int32_t t);
// The colour level (0 ... 63) of bin power p above threshold power T:
// trunc((ln p - ln T) / ((ln 2^30 - ln T) / 64)), clamped.
int SweepLevel(double p, double thresholdPower);

// "Automatic" FFT size: 64 for columns of fewer than 64 samples, 128 below
// 96, 256 below 192, else 512; then halved while above twice the strip
// height, doubled (up to 512) while below the height, and halved while above
// the samples of one channel in a block. A chosen size (> 0) is used as is.
int SweepFftSize(int chosen, int samplesPerColumn, int stripHeightPx, int samplesPerChannel);

// y of bin k of an n-point transform in a strip of `heightPx` whose bottom
// is `bottomPx`: bottom - floor((height - 2) x f(k) / f(n/2) + 0.5).
int SweepBinY(int k, int n, int bottomPx, int heightPx);

struct AxisLabel {
  double realHz;  // the label's real frequency (times the time expansion)
  std::string text;
};
// The labels of a frequency axis whose top real frequency is `topRealHz`:
// S, 2S and (when the top is at least 3S) 3S, S being half of the top
// rounded down to a multiple of the largest 1, 2 or 5 x 10^k not above it.
std::vector<AxisLabel> SweepFrequencyLabels(double topRealHz);
// "%d Hz" below 1000, "%d kHz" for whole kilohertz, else "%2.1f kHz".
std::string SweepFrequencyText(double hz);
// "%d s   ", the time axis' label.
std::string SweepSecondsText(int64_t seconds);
// y of a sample in the oscillogram strip: centre + value x half / 32768 for
// 16-bit samples, (value - 128) x half / 128 for 8-bit ones.
int SweepSampleY(int value, int bits, int centrePx, int halfHeightPx);

}  // namespace nv
