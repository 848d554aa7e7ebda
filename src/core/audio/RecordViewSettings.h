#pragma once
// The settings of the recording view's running display, filled from the
// sound view that starts a recording, edited in "Record view settings", and
// the texts of that dialog's "Seconds per plot" and "FFT size" lists.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/AnalysisSettings.h"

namespace nv {

struct RecordViewSettings {
  bool amplitudePlot = true;    // the running oscillogram
  bool spectrogramPlot = true;  // the running spectrogram
  bool leftChannel = true;      // channels shown for stereo sound
  bool rightChannel = true;
  int64_t secondsPerPlot = 15;  // time width of the sweep, 2 ... 30 when taken from a view
  int32_t fftSize = 0;          // 0 = "Automatic"
  // The starting view's spectrogram display values, copied unchanged:
  // lowest and highest frequency (Hz, negative = not set), contrast, low
  // level de-emphasis, overlap, font size and the four grid values.
  std::array<int32_t, 10> display{};
  int32_t threshold = 16;    // amplitude threshold 0 ... 32
  int32_t window = 2;        // window code: 0, 1, 2, 4 or 8
  int32_t colorScheme = 7;   // 0 ... 7

  bool operator==(const RecordViewSettings&) const = default;
};

// The record of a view with these analysis settings whose visible span is
// `visibleSpanUs` microseconds: seconds per plot = span / 1 000 000, raised
// to 2 or lowered to 30 when outside.
RecordViewSettings RecordViewSettingsFrom(const AnalysisSettings& a, int64_t visibleSpanUs);

// "Seconds per plot": the list's texts, the text of a stored value ("%d
// hours" from 7200 s, "%d hour" from 3600 s, "%d minutes" from 120 s, "%d
// minute" from 60 s, "%d seconds" from 2 s, else "%d second"), and the
// seconds a text stands for (its number, times 60 with "minute", times 3600
// with "hour"; 0 when it holds no number).
const std::vector<std::string>& SecondsPerPlotChoices();
std::string SecondsPerPlotText(int64_t seconds);
int64_t SecondsOfPlotText(const std::string& text);

// "FFT size": "Automatic", then "1024 samples" down to "16 samples".
const std::vector<std::string>& RecordFftSizeChoices();
std::string RecordFftSizeText(int32_t size);
int32_t RecordFftSizeOfText(const std::string& text);

}  // namespace nv
