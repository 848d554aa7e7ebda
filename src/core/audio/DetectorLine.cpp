#include "audio/DetectorLine.h"

#include <algorithm>

#include "plot/AxisRules.h"
#include "plot/TimeFormat.h"

namespace nv {

CursorRecord PlaceDetectorLine(const DetectorPlacement& p) {
  CursorRecord line;
  line.kind = CursorKind::LargeMeasurement;
  line.channel = 3;
  line.inSpectrogram = true;
  const int64_t nyquist = std::max<int64_t>(p.effectiveRateHz / 2, 1);
  line.value = static_cast<int32_t>(std::clamp<int64_t>(p.effectiveRateHz / 4, 1, nyquist));
  int64_t position = p.firstVisibleSample;
  if (p.selectionStart >= 0) {
    position = p.selectionStart;
  } else if (p.cursor.position >= 0) {
    position = p.cursor.position;
    if (p.cursor.inSpectrogram && p.cursor.value >= 1 && p.cursor.value <= nyquist) line.value = p.cursor.value;
  }
  line.position = static_cast<int32_t>(std::max<int64_t>(position, 0));
  return line;
}

bool StepDetectorFrequency(const PlotSetup& s, CursorRecord& line, int direction) {
  if (!s.spectAreaShown()) return false;
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t height = std::max(s.layout.spect.height(), 1);
  const int64_t range = int64_t{s.spect.maxFrequencyHz} - s.spect.minFrequencyHz;
  const int64_t pixelStep = range * unitsPerPixel / height;
  const int64_t step = std::max<int64_t>(2 * pixelStep, 2);
  const int64_t f = line.value + (direction >= 0 ? step : -step);
  if (f < 1 || f < s.spect.minFrequencyHz || f > s.spect.maxFrequencyHz) return false;
  line.value = static_cast<int32_t>(f);
  return true;
}

bool StepDetectorPosition(const PlotSetup& s, FrameIndex frameCount, CursorRecord& line, int direction) {
  if (line.position < 0) return false;
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t width = std::max(s.layout.plotWidth, 1);
  const int64_t step = std::max<int64_t>(int64_t{s.samplesPerPlot()} * unitsPerPixel / width, 1);
  const int64_t p = line.position + (direction >= 0 ? step : -step);
  if (p < 0 || p < s.firstVisible() || p > s.lastVisible() || p > frameCount) return false;
  line.position = static_cast<int32_t>(p);
  return true;
}

std::string DetectorStatusText(const PlotSetup& s, const CursorRecord& line) {
  if (line.position < 0) return "";
  return "Detector: " + FormatTimeWithUnit(s.readoutCode, s.SampleToNs(line.position)) + " " +
         FormatDouble(s.freq.khzFormat, line.value / 1000.0);
}

}  // namespace nv
