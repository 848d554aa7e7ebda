#include "plot/ZeroCrossing.h"

#include <algorithm>

namespace nv {

ZeroCrossingSetup MakeZeroCrossingSetup(AnalysisSettings& s, int32_t bitsPerSample) {
  ZeroCrossingSetup z;
  if (s.freqSize < 1) s.freqSize = 50;
  if (s.freqThreshold < 0 || s.freqThreshold > 99) s.freqThreshold = 5;
  z.windowSamples = s.freqSize;
  z.thresholdPercent = s.freqThreshold;
  z.threshold = s.freqThreshold * (bitsPerSample == 8 ? 128 : 32768) / 100;
  z.lineBetweenValues = s.freqPlotType != 0;
  return z;
}

int64_t ZeroCrossingEstimate(const ZeroCrossingSetup& zc, const SoundSource& sound,
                             int64_t effectiveRateHz, int32_t channel, int64_t s0, int64_t s1) {
  const SampleSource samples = sound.Samples();
  if (samples.Empty()) return -1;
  const int64_t n = samples.Frames();
  int64_t from, to;
  if (zc.windowSamples <= 1) {
    from = std::max<int64_t>(s0, 0);
    to = s1;
  } else {
    from = std::max<int64_t>(s0 - zc.windowSamples / 2, 0);
    to = from + zc.windowSamples;
  }
  to = std::min(to, n);
  if (to <= from) return -1;

  const int32_t t = zc.threshold;
  int32_t r = 0;   // reference side, 0 = none yet
  int64_t c = 0;   // crossings
  int64_t f = 0;   // position after the first crossing
  int64_t e = 0;   // end position
  for (int64_t i = from; i < to; ++i) {
    const int32_t v = samples.Raw(i, channel);
    const int64_t pos = i + 1;
    if ((r > 0 && v < -t) || (r < 0 && v > t)) {
      ++c;
      if (f == 0) f = pos;
      e = to;
      r = v;
    } else if (r == 0) {
      r = v;
    }
  }
  if (e - f > 0 && c > 0) return effectiveRateHz * c / (e - f) / 2;
  return -1;
}

}  // namespace nv
