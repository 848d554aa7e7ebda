#pragma once
// The complete display set-up of a sound plot: the spectrogram quantities
// (SpectrogramSetup), the layout, the time, amplitude and frequency axes,
// the zero-crossing set-up, the titles and every conversion between sample
// positions, times, amplitudes, frequencies and logical coordinates.
//
// Units: logical units of 1/1440 inch with y upwards (see PlotLayout.h);
// times in nanoseconds; amplitudes in hundredths of a percent of full
// scale; frequencies in whole Hz of real frequency. Made on the interface
// thread by MakePlotSetup, then only read (SetFirstSample aside).
#include <cstdint>
#include <string>

#include "plot/AxisRules.h"
#include "plot/PlotArea.h"
#include "plot/PlotLayout.h"
#include "plot/SpectrogramSetup.h"
#include "plot/TimeFormat.h"
#include "plot/ZeroCrossing.h"
#include "settings/AnalysisSettings.h"

namespace nv {

struct PlotSetup {
  bool hasDocument = false;  // false: conversions give -1 or the rectangle's edge
  int32_t frameCount = 0;
  int32_t channels = 1;
  int32_t bitsPerSample = 16;

  SpectrogramSetup spect;  // time, frequency range, FFT, levels and pens
  PlotLayout layout;
  AmplitudeAxis amp;
  FrequencyAxis freq;
  ZeroCrossingSetup zc;

  bool oscShown = false;
  bool lineBetweenSamples = false;
  bool spectShown = false;   // the spectrogram itself
  bool zcShown = false;      // the zero-crossing diagram
  bool colorBarShown = false;
  bool bothChannels = false;  // stereo with both channels, one above the other
  int32_t singleChannel = 0;  // the channel of a one-pass plot: 0 mono/left, 1 right
  int32_t fontSize = 9;

  // Time axis.
  int64_t startTimeNs = 0;
  int64_t durationNs = 5000;
  int64_t tickNs = 1000;
  int timeCode = 1;     // label format of the ticks
  int readoutCode = 1;  // finer format for readouts

  // Grid settings per diagram (Part of AnalysisSettings, copied).
  int32_t oscGridX = 0, oscGridY = 0;
  int32_t spectGridX = 0, spectGridY = -1;
  int32_t freqGridX = 0, freqGridY = -1;

  // Titles without their channel suffix.
  std::string oscTitle = "Amplitude";
  std::string spectTitle;
  std::string zcTitle = "Zero Crossing Analysis";

  int32_t firstVisible() const { return spect.firstVisibleSample; }
  int32_t lastVisible() const { return spect.lastVisibleSample; }
  int32_t samplesPerPlot() const { return spect.samplesPerPlot; }
  int64_t effectiveRateHz() const { return spect.effectiveRateHz; }
  const PixelScale& scale() const { return spect.scale; }
  bool spectAreaShown() const { return spectShown || zcShown; }

  // The first visible sample (below 0 taken as 0), with the start time and
  // the last visible sample.
  void SetFirstSample(int64_t s);

  // Conversions. x and y are logical units of the upper (or only) channel.
  int32_t SampleToX(int64_t s) const;
  int32_t XToSample(int64_t x) const;
  int32_t TimeToX(int64_t ns) const;
  int64_t SampleToNs(int64_t s) const;
  int32_t AmplitudeToY(int64_t a) const;
  int32_t YToAmplitude(int64_t y) const;
  int32_t FrequencyToY(int64_t hz) const;
  int32_t SampleValueToAmplitude(int32_t raw) const;  // raw 16-bit value or 8-bit byte

  // The area at a point (logical units of the whole client): a point in the
  // lower channel's half is first moved up by one channel height.
  PlotArea HitTest(int64_t x, int64_t y) const;
  // Whether a diagram (Oscillogram, Spectrogram or ZeroCrossing) is shown
  // at all.
  bool IsShown(PlotArea area) const;
};

// Sample values to amplitude (hundredths of a percent of full scale):
// 16-bit v gives v x 20000 / 65536, 8-bit u gives (u x 20000 - 2560000) / 256.
int32_t Sample16ToAmplitude(int32_t v);
int32_t Sample8ToAmplitude(int32_t u);

// The display set-up of a plot of widthPixels x heightPixels device pixels
// at `scale`. Reads the sound's format and length (not its samples) and the
// settings; writes the corrections back into the settings (frequency and
// amplitude ranges, visible samples, zero-crossing size and threshold).
// A time-expansion factor of 0 or below is used as 1000 (reported in
// spect.timeExpansionCorrected); the document's own factor is left as it is.
PlotSetup MakePlotSetup(const SoundSource& sound, AnalysisSettings& settings, PixelScale scale,
                        int32_t widthPixels, int32_t heightPixels);

}  // namespace nv
