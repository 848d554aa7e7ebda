#pragma once
// The set-up of a power-spectrum plot: everything derived from the window's
// settings, the document's format and the plot layout before the spectrum
// is computed — FFT size, channel, level and frequency ranges with their
// readout formats, bin frequencies and x positions, the axis steps, the
// window table and the texts of the title.
//
// Levels are kept scaled: dB x 1000 in dB mode, V² x 10000 in linear mode.
// Frequencies are whole Hz of real (time-expansion corrected) frequency;
// positions twips of the PowerLayout. Pure data, no shared state.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/PowerLayout.h"
#include "base/TimeBase.h"
#include "dsp/WindowTable.h"
#include "settings/PowerSettings.h"

namespace nv {

// What the set-up needs of a document.
struct PowerSoundFormat {
  int channels = 1;
  int bits = 16;
  int64_t rateHz = 0;
  int32_t expansion = 1000;  // time-expansion factor in thousandths; <= 0 means 1000

  TimeBase Time() const { return TimeBase(rateHz, expansion).Repaired(); }
};

// The automatic FFT size for a plot `widthPx` pixels wide.
int AutoPowerFftSize(int widthPx);

// The frequency axis steps of a span (Hz).
struct PowerFrequencySteps {
  int64_t major = 1;
  int64_t minor = 1;
};
PowerFrequencySteps MakePowerFrequencySteps(int64_t spanHz);

struct PowerSetup {
  int n = 1024;
  int log2n = 10;
  int channel = 0;           // 0 left (or mono), 1 right
  bool leftFlag = false;     // after the channel rule; both clear for mono
  bool rightFlag = false;
  int bytesPerFrame = 2;
  int64_t effectiveRateHz = 0;
  int32_t nyquistHz = 0;
  bool logScale = true;
  double levelMin = -120000.0;  // scaled
  double levelMax = 0.0;
  const char* levelFormat = "%2.1f";
  int32_t freqMin = 0;
  int32_t freqMax = 0;
  const char* freqFormat = "%2.1f";
  PowerFrequencySteps steps;
  WindowTable window;
  std::string windowSuffix;
  double levelScale = 1.0;   // PowerLevelScale of the window table
  std::vector<double> binHz;  // N/2 bin frequencies
  std::vector<int> binX;      // N/2 bin positions
  PowerLayout layout;

  // Scale of the stored levels: 1000 (dB) or 10000 (V²).
  double LevelFactor() const { return logScale ? 1000.0 : 10000.0; }
  // "Power spectrum, FFT size %d%s" with the window and channel suffixes.
  std::string Title() const;
  // y of a level (dB or V², unscaled), clamped to the plot; -inf and NaN
  // lie on the bottom edge.
  int LevelY(double level) const;
};

// Runs the set-up steps. `settings` is the window's copy; its channel flags
// are cleared for a mono sound. `fftSize` 0 takes the automatic size from
// the layout's plot width.
PowerSetup MakePowerSetup(PowerSettings& settings, const PowerSoundFormat& format,
                          const PowerLayout& layout);

}  // namespace nv
