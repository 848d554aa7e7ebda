#pragma once
// The display set-up of a spectrogram: every quantity a sound plot derives
// from the document, the view's AnalysisSettings and the plot geometry
// before it draws spectrogram columns (see SpectrogramColumns.h).
//
// Units: logical units are 1/1440 inch with y upwards; frequencies in Hz of
// real frequency; sample positions are frame indices of the document.
// Plain data; made on the user-interface thread, read by any thread.
#include <cstdint>
#include <string>

#include "dsp/WindowTable.h"
#include "plot/ColorSchemes.h"
#include "plot/LevelScale.h"
#include "plot/SoundSource.h"
#include "plot/UserPens.h"
#include "settings/AnalysisSettings.h"

#include <vector>

namespace nv {

// Logical units per device pixel of a drawing surface.
struct PixelScale {
  int32_t unitsPerPixel = 15;
  int32_t unitsPer1000Pixels = 15000;
};

// The scale from the logical y extent of 1000 device pixels (negative, y
// upwards). On a screen 10 or fewer units per pixel are taken as 20 (20000
// per 1000 pixels).
PixelScale PixelScaleFromDevice(int32_t logicalYOf1000Pixels, bool screen);

// The parts of the plot layout the spectrogram needs, in logical units.
struct PlotGeometry {
  PixelScale scale;
  int32_t plotWidthUnits = 0;   // width of the data area
  int32_t spectBottom = 0;      // lower edge D of the spectrogram area
  int32_t spectHeight = 0;      // height H of the spectrogram area
};

struct SpectrogramSetup {
  // Time and visible stretch.
  int64_t effectiveRateHz = 0;   // rate x time expansion / 1000
  int32_t timeExpansion = 1000;  // as used (1000 when the sound has none)
  bool timeExpansionCorrected = false;  // the sound's factor was 0 or below
  int64_t plotDurationNs = 0;
  int32_t samplesPerPlot = 0;
  int32_t firstVisibleSample = 0;
  int32_t lastVisibleSample = 0;
  int32_t samplesPerColumn = 0;  // sample frames per device pixel column

  // Channels: for stereo with one channel selected, cursorChannel is 1
  // (left) or 2 (right); 0 otherwise.
  int32_t channels = 1;
  int32_t bytesPerFrame = 2;
  bool leftShown = true;
  bool rightShown = false;
  int32_t cursorChannel = 0;

  // Diagrams.
  bool spectrogramShown = false;  // off while the zero-crossing diagram is shown
  bool colorBarShown = false;
  bool zeroCrossingShown = false;

  // Frequency range of the drawing, and the same range as settled for the
  // settings (a range not set becomes 0 ... the Nyquist frequency); whether
  // the settings keep it is the caller's choice.
  int32_t minFrequencyHz = 0;
  int32_t maxFrequencyHz = 0;
  int64_t settledMinFrequencyHz = 0;
  int64_t settledMaxFrequencyHz = 0;

  // Transform.
  int32_t fftSize = 64;
  int32_t log2Fft = 6;
  int32_t overlapPercent = -1;  // as set; negative = automatic
  int32_t overlapSamples = 0;   // negative: gaps between frames
  int32_t frameAdvance = 64;    // set overlap: samples between frame starts, >= 1
  int32_t windowCode = 0;
  WindowTable windowTable;
  std::string windowSuffix;     // for the title

  // Bins and rows: binFrequency[k] and binRow[k] for k = 0 ... N/2 - 1.
  // binRow[k] is the upper boundary (logical y) of bin k's band.
  std::vector<double> binFrequency;
  std::vector<int32_t> binRow;
  int32_t firstVisibleBin = 0;
  int32_t lastVisibleBin = 0;
  int32_t bandHeight = 0;
  int32_t spectBottom = 0;
  int32_t spectHeight = 0;

  // Levels and pens.
  LevelScale levels;
  int32_t colorScheme = 7;
  bool invColors = false;
  bool userScheme = false;      // colour scheme 100: userPens instead of levelColors
  LevelPalette levelColors{};   // the 64 level pens' colours
  UserPenTable userPens;
  int32_t penWidthUnits = 1;    // units per pixel + 1

  PixelScale scale;

  // False when nothing can be drawn: no samples, a plot without width or
  // height, or an empty frequency range.
  bool drawable = false;
};

// Valid FFT sizes of the settings: powers of two from 16 to 2048. Any other
// value is taken as 0 ("Automatic").
bool IsValidFftSize(int32_t n);

// The "Automatic" FFT size from the samples per column, the spectrogram
// height in device pixels and the document length: 16 ... 1024.
int32_t AutomaticFftSize(int32_t samplesPerColumn, int64_t spectHeightPixels,
                         int64_t frameCount);

// Overlap samples for FFT size n and overlap percent p (negative: automatic,
// n - samples per column); never more than n - 1 when it would exceed n.
int32_t OverlapSamples(int32_t n, int32_t percent, int32_t samplesPerColumn);

// Samples between the starts of consecutive frames with a set overlap
// percent: (100 - p) * n / 100, at least 1.
int32_t FrameAdvance(int32_t n, int32_t percent);

// Runs the display set-up. Corrections are written back to settings: a
// negative minimum or maximum frequency, the first and last visible sample.
SpectrogramSetup MakeSpectrogramSetup(const SoundSource& sound, AnalysisSettings& settings,
                                      const PlotGeometry& geometry);

}  // namespace nv
