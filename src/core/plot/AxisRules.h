#pragma once
// The amplitude and frequency axes of a plot: the nice-step rule for tick
// spacing, the corrected ranges, the tick and label steps and the label and
// readout formats (printf formats, as the view's readouts use them too).
//
// Amplitudes are hundredths of a percent of full scale (-10000 ... 10000),
// frequencies whole Hz of real frequency. Pure functions.
#include <cstdint>
#include <string>

#include "settings/AnalysisSettings.h"

namespace nv {

// The tick step for a positive span r: with the decade c = 10^e (e the
// integer part of log10 r + 0.0005) and d = r / c (odd d > 1 lowered by 1),
// (c / 10) times 1 (d < 2), 5 (2 <= d <= 4) or 10 (d >= 5); at least 1.
int64_t NiceStep(int64_t r);

struct AmplitudeAxis {
  int32_t min = -10000;
  int32_t max = 10000;
  int32_t tickStep = 5000;
  int32_t labelStep = 5000;
  const char* labelFormat = "%3.0f%%";  // of the value x 0.01
  const char* readoutFormat = "%1.1f %%";
};

// The amplitude range of the settings corrected as the display set-up does
// it: limits below -10000 replaced (the minimum by -10000, the maximum by
// 10000), limits above 10000 taken as 10000, min >= max giving max - 1 (or
// -10000 ... -9999). The corrections are written back. Without an
// oscillogram the range is -10000 ... 10000 and the readout "%2.4f".
AmplitudeAxis MakeAmplitudeAxis(AnalysisSettings& settings, bool oscillogramShown);

// The label of an amplitude tick, e.g. "-50%".
std::string AmplitudeLabel(const AmplitudeAxis& axis, int32_t amplitude);

struct FrequencyAxis {
  int32_t min = 0;
  int32_t max = 0;
  int64_t labelStep = 1;  // Hz between labelled ticks
  int64_t minorStep = 1;  // Hz between minor ticks
  const char* khzFormat = "%1.1f kHz";  // readout of a frequency / 1000
};

// The steps of the frequency range min ... max (max > min): the nice-step
// rule with the decade raised to 10 when smaller; label step d x c / 2,
// minor step (c / 10) x multiplier (both at least 1).
FrequencyAxis MakeFrequencyAxis(int32_t minHz, int32_t maxHz);

// The kHz readout format for a frequency span: below 2001 Hz "%1.3f kHz",
// below 20001 "%1.2f kHz", below 200001 "%1.1f kHz", else "%1.0f kHz".
const char* KhzFormat(int64_t spanHz);

// The label of a labelled frequency tick: "%d kHz" of f / 1000 when f is a
// multiple of 1000, otherwise "%d Hz".
std::string FrequencyLabel(int64_t hz);

// printf with one double argument into a string, as long as the text is.
std::string FormatDouble(const char* format, double v);

}  // namespace nv
