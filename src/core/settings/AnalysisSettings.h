#pragma once
// The display settings of one sound view (and the application's defaults for
// new views): what SoundPlot shows and how. Times in microseconds, amplitudes
// in hundredths of a percent of full scale, frequencies in whole Hz of real
// frequency.
#include <cstdint>

#include "settings/UserColorMap.h"

namespace nv {

struct AnalysisSettings {
  int32_t release = 3;
  int32_t version = 1;
  uint8_t oscillogramShown = 1;   // "Amp"
  uint8_t lineBetweenSamples = 0; // "Amp" (second)
  uint8_t spectrogramShown = 1;   // "Spect"
  uint8_t leftChannel = 1;        // "LeftChan"
  uint8_t rightChannel = 1;       // "RightChan"
  uint8_t colorBar = 1;           // "Scale"
  int64_t timePerPlotUs = 15000000;  // "PlotSizemySec"
  int64_t minFrequencyHz = 0;        // "SpectMin"; negative = not set
  int64_t maxFrequencyHz = -1;       // "SpectMax"; negative = not set
  int64_t minAmplitude = -10000;     // "AmpMin", 1/100 %
  int64_t maxAmplitude = 10000;      // "AmpMax", 1/100 %
  int64_t firstVisibleSample = 0;    // "PlotStartmySec"; -1 = not set
  int64_t lastVisibleSample = -1;    // "PlotEndmySec"; -1 or 0 = not set
  int32_t fftSize = 0;               // 0 = "Automatic", else 16 ... 2048
  int32_t fftOverlap = -1;           // percent; -1 = "Automatic"
  int32_t threshold = 16;            // "FftThresHold", 0 ... 32
  int32_t window = 2;                // "FftWindow", a WindowCode
  int32_t colorScheme = 7;           // "ColorSchema": 0 ... 7 built in, 100 user map
  int32_t contrast = 0;              // "Contrast", -10 ... 10
  int32_t invColors = 0;             // "InvColors": low level de-emphasis
  int32_t fontSize = 9;              // "FontSize", points
  int32_t freqSize = 50;             // "FreqSize": zero-crossing samples (1 = automatic)
  int32_t freqPlot = 0;              // "FreqPlot": zero-crossing diagram shown
  int32_t freqThreshold = 5;         // "FreqThreshold", percent
  int32_t freqPlotType = 0;          // "FreqPlotType": line between values
  int32_t freqGridX = 0;             // "FreqGridX"
  int32_t freqGridY = -1;            // "FreqGridY"
  int32_t spectGridX = 0;            // "SpectGridX"
  int32_t spectGridY = -1;           // "SpectGridY"
  int32_t oscGridX = 0;              // "OscGridX"
  int32_t oscGridY = 0;              // "OscGridY"
  UserColorMap userColorMap;         // "UserColor", used with colour scheme 100

  bool operator==(const AnalysisSettings&) const = default;
};

}  // namespace nv
