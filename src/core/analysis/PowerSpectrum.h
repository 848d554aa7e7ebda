#pragma once
// The averaged power spectrum of a stretch of one channel: windowed frames of
// N samples spread over the stretch, transformed by RealFft and their
// single-sided powers averaged, in dB or in V² (full scale = 1 V² = 0 dB).
//
// Frame placement over a stretch of a samples (a >= N): frames = ceil(a / N);
// frame k starts at floor(k * (a - N) / frames) from the start of the
// stretch, or at a - N when it would end beyond a. The frames are read one at
// a time through the SampleSource (never the whole stretch into one buffer),
// so samples beyond the end of the sound read as zero and nothing outside
// the source is touched.
//
// Pure functions; any thread may call them while nothing writes the samples.
#include <cstdint>

#include "base/SampleSource.h"
#include "dsp/WindowTable.h"

namespace nv {

// ceil(a / n) for a > 0, else 0.
int64_t PowerFrameCount(int64_t a, int n);
// The first sample of frame k (relative to the start of the stretch).
int64_t PowerFrameStart(int64_t k, int64_t a, int n, int64_t frames);

// The factor that brings the powers of frames windowed by `window` to the
// full-scale reference: (N / sum of the table)², so that a full-scale sine at
// a bin centre gives exactly 1 (0 dB) whatever the window shape and gain.
double PowerLevelScale(const WindowTable& window);

// Averages the frames of samples [start, end) of `channel` (0 left, 1 right)
// with N = 2^log2n (window.size() must be N, 4 <= N) and writes N/2 levels:
// levels[0] the DC term (X(0)² / 2^28), levels[m] = BinPower(m) / 2^30 for
// m >= 1, each multiplied by levelScale and divided by the frame count; in dB
// (10 log10) when logScale. A stretch shorter than N is taken as N samples
// from start. Returns the number of frames averaged.
int64_t ComputePowerLevels(const SampleSource& samples, int channel, int64_t start, int64_t end,
                           int log2n, const WindowTable& window, double levelScale,
                           bool logScale, double* levels);

}  // namespace nv
