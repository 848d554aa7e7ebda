#include "audio/RecordViewSettings.h"

#include <algorithm>
#include <cstdlib>

#include "base/IntegerClamp.h"

namespace nv {

RecordViewSettings RecordViewSettingsFrom(const AnalysisSettings& a, int64_t visibleSpanUs) {
  RecordViewSettings r;
  r.amplitudePlot = a.oscillogramShown != 0;
  r.spectrogramPlot = a.spectrogramShown != 0;
  r.leftChannel = a.leftChannel != 0;
  r.rightChannel = a.rightChannel != 0;
  r.secondsPerPlot = std::clamp<int64_t>(visibleSpanUs / 1000000, 2, 30);
  r.fftSize = a.fftSize;
  r.display = {ClampToInt32(a.minFrequencyHz), ClampToInt32(a.maxFrequencyHz), a.contrast,   a.invColors,
               a.fftOverlap,              a.fontSize,                 a.spectGridX, a.spectGridY,
               a.oscGridX,                a.oscGridY};
  r.threshold = std::clamp<int32_t>(a.threshold, 0, 32);
  r.window = a.window;
  r.colorScheme = a.colorScheme;
  return r;
}

const std::vector<std::string>& SecondsPerPlotChoices() {
  static const std::vector<std::string> k = {"10 minutes", "5 minutes",  "2 minutes",  "1 minute",
                                             "60 seconds", "30 seconds", "20 seconds", "15 seconds",
                                             "10 seconds", "5 seconds",  "2 seconds",  "1 second"};
  return k;
}

std::string SecondsPerPlotText(int64_t s) {
  const std::string n = std::to_string(s);
  if (s >= 7200) return std::to_string(s / 3600) + " hours";
  if (s >= 3600) return std::to_string(s / 3600) + " hour";
  if (s >= 120) return std::to_string(s / 60) + " minutes";
  if (s >= 60) return std::to_string(s / 60) + " minute";
  if (s >= 2) return n + " seconds";
  return n + " second";
}

int64_t SecondsOfPlotText(const std::string& text) {
  const long long v = std::atoll(text.c_str());
  if (text.find("hour") != std::string::npos) return v * 3600;
  if (text.find("minute") != std::string::npos) return v * 60;
  return v;
}

const std::vector<std::string>& RecordFftSizeChoices() {
  static const std::vector<std::string> k = {"Automatic",   "1024 samples", "512 samples", "256 samples",
                                             "128 samples", "64 samples",   "32 samples",  "16 samples"};
  return k;
}

std::string RecordFftSizeText(int32_t size) {
  return size <= 0 ? "Automatic" : std::to_string(size) + " samples";
}

int32_t RecordFftSizeOfText(const std::string& text) { return static_cast<int32_t>(std::atol(text.c_str())); }

}  // namespace nv
