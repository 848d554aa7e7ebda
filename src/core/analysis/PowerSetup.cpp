#include "analysis/PowerSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/PowerSpectrum.h"
#include "dsp/BinPower.h"

namespace nv {

int AutoPowerFftSize(int w) {
  if (w < 64) return 64;
  if (w < 96) return 128;
  if (w < 192) return 256;
  if (w < 384) return 512;
  if (w <= 761) return 1024;
  return 2048;
}

PowerFrequencySteps MakePowerFrequencySteps(int64_t span) {
  PowerFrequencySteps s;
  if (span <= 0) return s;
  const int e = static_cast<int>(std::floor(std::log10(static_cast<double>(span)) + 0.0001));
  int64_t p = static_cast<int64_t>(std::pow(10.0, e) + 0.25);
  if (p < 1) p = 1;
  int64_t q = span / p;
  if (q > 1 && q % 2 == 1) --q;
  const int64_t mult = q < 2 ? 1 : (q < 5 ? 5 : 10);
  s.minor = std::max<int64_t>(1, (p / 10) * mult);
  s.major = std::max<int64_t>(1, p * q / 2);
  return s;
}

std::string PowerSetup::Title() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Power spectrum, FFT size %d", n);
  std::string t = buf + windowSuffix;
  if (leftFlag) t += " - Left channel.";
  if (rightFlag) t += " - Right channel.";
  return t;
}

int PowerSetup::LevelY(double level) const {
  const int bottom = layout.plotBottom;
  const int top = layout.PlotTop();
  const double scaled = level * LevelFactor();
  if (!(scaled > levelMin) || !(levelMax > levelMin)) return bottom;
  const double y = bottom + (scaled - levelMin) / (levelMax - levelMin) * layout.plotHeight;
  if (y >= top) return top;
  return static_cast<int>(y);
}

PowerSetup MakePowerSetup(PowerSettings& s, const PowerSoundFormat& f, const PowerLayout& layout) {
  PowerSetup p;
  p.layout = layout;
  // 1. Level range and format.
  p.logScale = s.logScale != 0;
  if (p.logScale) {
    p.levelMin = s.zeroDb * 1000.0;
    p.levelMax = s.maxDb * 1000.0;
    const double r = p.levelMax - p.levelMin;
    p.levelFormat = r >= 100000 ? "%2.1f" : r >= 10000 ? "%2.2f" : "%2.3f";
  } else {
    p.levelMin = s.zeroV * 10000.0;
    p.levelMax = s.maxV * 10000.0;
    const double r = p.levelMax - p.levelMin;
    p.levelFormat = r >= 5000 ? "%2.2f" : r >= 500 ? "%2.3f" : "%2.4f";
  }
  // 2. Channel.
  if (f.channels >= 2) {
    if (s.leftChannel == s.rightChannel) {
      p.leftFlag = true;
      p.rightFlag = false;
      p.channel = 0;
    } else {
      p.leftFlag = s.leftChannel != 0;
      p.rightFlag = s.rightChannel != 0;
      p.channel = p.rightFlag ? 1 : 0;
    }
  } else {
    s.leftChannel = s.rightChannel = 0;
  }
  p.bytesPerFrame = f.bits * std::max(1, f.channels) / 8;
  // 4. FFT size: the stored size when it is a power of two in 16 ... 16384.
  int n = s.fftSize;
  if (n == 0) n = AutoPowerFftSize(layout.PlotWidthPixels());
  if (n < 16 || n > 16384 || (n & (n - 1)) != 0) n = 1024;
  p.n = n;
  p.log2n = 0;
  while ((1 << p.log2n) < n) ++p.log2n;
  // 6. Bin frequencies in real frequency.
  p.effectiveRateHz = f.Time().RealRateHz();
  const int half = n / 2;
  p.binHz.resize(static_cast<size_t>(half));
  for (int m = 0; m < half; ++m) p.binHz[m] = BinFrequency(n, p.effectiveRateHz, m);
  // 7. Frequency range and format.
  p.nyquistHz = static_cast<int32_t>(std::min<int64_t>(p.effectiveRateHz / 2, INT32_MAX));
  if (s.maxFrequencyHz >= 1 && s.minFrequencyHz >= 0 && s.maxFrequencyHz <= p.nyquistHz &&
      s.minFrequencyHz <= s.maxFrequencyHz) {
    p.freqMin = s.minFrequencyHz;
    p.freqMax = s.maxFrequencyHz;
  } else {
    p.freqMin = 0;
    p.freqMax = p.nyquistHz;
  }
  if (p.freqMax < p.freqMin) {
    p.freqMin = 0;
    p.freqMax = p.nyquistHz;
  }
  const int64_t span = static_cast<int64_t>(p.freqMax) - p.freqMin;
  p.freqFormat = span >= 100000 ? "%2.1f" : span >= 10000 ? "%2.2f" : "%2.3f";
  // 8. Bin positions.
  p.binX.resize(static_cast<size_t>(half));
  const int left = layout.plotLeft;
  const int width = layout.plotWidth;
  const int shift = (2 * width / n + 1) / 2 + 1;
  for (int m = 0; m < half; ++m) {
    int x = left;
    if (span > 0) {
      x = static_cast<int>(std::floor((width - 2) * (p.binHz[m] - p.freqMin) / span + 0.5)) + left;
    }
    x += shift;
    p.binX[m] = std::clamp(x, left, left + width);
  }
  // 9. Axis steps.
  p.steps = MakePowerFrequencySteps(span);
  // 10. Window table.
  p.windowSuffix = BuildWindowTable(StoredWindow(s.window), n, p.window);
  p.levelScale = PowerLevelScale(p.window);
  return p;
}

}  // namespace nv
