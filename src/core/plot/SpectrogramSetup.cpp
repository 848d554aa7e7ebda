#include "plot/SpectrogramSetup.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/IntegerClamp.h"
#include "base/TimeBase.h"
#include "dsp/BinPower.h"

namespace nv {

namespace {

// a * b / c for non-negative a, b and positive c without overflowing the
// intermediate product (saturates at INT64_MAX).
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
  const int64_t q = a / c, r = a % c;
  if (q != 0 && b > std::numeric_limits<int64_t>::max() / q)
    return std::numeric_limits<int64_t>::max();
  const int64_t hi = q * b;
  // r < c, so r * b only overflows for rates beyond any device.
  const int64_t lo = (r != 0 && b > std::numeric_limits<int64_t>::max() / r)
                         ? std::numeric_limits<int64_t>::max()
                         : r * b / c;
  if (hi > std::numeric_limits<int64_t>::max() - lo) return std::numeric_limits<int64_t>::max();
  return hi + lo;
}

int Log2Of(int32_t n) {
  int m = 0;
  while ((int64_t{1} << m) < n) ++m;
  return m;
}

}  // namespace

PixelScale PixelScaleFromDevice(int32_t logicalYOf1000Pixels, bool screen) {
  PixelScale s;
  s.unitsPer1000Pixels = logicalYOf1000Pixels < 0 ? -logicalYOf1000Pixels : logicalYOf1000Pixels;
  s.unitsPerPixel = s.unitsPer1000Pixels / 1000;
  if (screen && s.unitsPerPixel <= 10) {
    s.unitsPerPixel = 20;
    s.unitsPer1000Pixels = 20000;
  }
  return s;
}

bool IsValidFftSize(int32_t n) {
  return n >= 16 && n <= 2048 && (n & (n - 1)) == 0;
}

int32_t AutomaticFftSize(int32_t s, int64_t j, int64_t frameCount) {
  int32_t n;
  if (s < 49)
    n = 64;
  else if (s < 65)
    n = 128;
  else if (s < 129)
    n = 256;
  else if (s < 257)
    n = 512;
  else
    n = 1024;
  while (2 * j < n && n > 16) n /= 2;
  while (j > n && n < 1024) n *= 2;
  while (n > frameCount && n > 16) n /= 2;
  return n;
}

int32_t OverlapSamples(int32_t n, int32_t percent, int32_t samplesPerColumn) {
  int64_t o = percent >= 0 ? static_cast<int64_t>(n) * percent / 100
                           : static_cast<int64_t>(n) - samplesPerColumn;
  if (o > n) o = n - 1;
  return ClampToInt32(o);
}

int32_t FrameAdvance(int32_t n, int32_t percent) {
  const int64_t a = (100 - static_cast<int64_t>(percent)) * n / 100;
  return a < 1 ? 1 : ClampToInt32(a);
}

SpectrogramSetup MakeSpectrogramSetup(const SoundSource& sound, AnalysisSettings& settings,
                                      const PlotGeometry& geometry) {
  SpectrogramSetup s;
  s.scale = geometry.scale;
  const int64_t per1000 = std::max<int64_t>(geometry.scale.unitsPer1000Pixels, 1);

  // Time expansion and effective rate: a factor of 0 or below is taken as
  // none.
  s.timeExpansion = TimeBase::RepairedExpansion(sound.timeExpansion);
  s.timeExpansionCorrected = s.timeExpansion != sound.timeExpansion;
  const TimeBase time(std::max<int64_t>(sound.rateHz, 0), s.timeExpansion);
  s.effectiveRateHz = time.RealRateHz();

  // Channels.
  s.channels = sound.channels == 2 ? 2 : 1;
  s.bytesPerFrame = (sound.bitsPerSample == 8 ? 1 : 2) * s.channels;
  if (s.channels == 2) {
    s.leftShown = settings.leftChannel != 0;
    s.rightShown = settings.rightChannel != 0;
    if (s.leftShown != s.rightShown) s.cursorChannel = s.leftShown ? 1 : 2;
  } else {
    s.leftShown = true;
    s.rightShown = false;
  }

  // Diagrams.
  s.zeroCrossingShown = settings.freqPlot != 0;
  s.spectrogramShown = settings.spectrogramShown != 0 && !s.zeroCrossingShown;
  s.colorBarShown = s.spectrogramShown && settings.colorBar != 0;

  // Frequency range: a range not set (negative) is 0 ... the Nyquist frequency.
  s.settledMinFrequencyHz = settings.minFrequencyHz < 0 ? 0 : settings.minFrequencyHz;
  s.settledMaxFrequencyHz = settings.maxFrequencyHz < 0 ? time.NyquistHz() : settings.maxFrequencyHz;
  s.minFrequencyHz = ClampToInt32(s.settledMinFrequencyHz);
  s.maxFrequencyHz = ClampToInt32(s.settledMaxFrequencyHz);

  // Time: duration, samples per plot, visible stretch, samples per column.
  int64_t perPlotUs = std::max<int64_t>(settings.timePerPlotUs, 0);
  s.plotDurationNs = perPlotUs > std::numeric_limits<int64_t>::max() / 1000
                         ? std::numeric_limits<int64_t>::max()
                         : perPlotUs * 1000;
  if (s.plotDurationNs < 1000) s.plotDurationNs = 5000;
  s.samplesPerPlot = ClampToInt32(MulDiv(s.plotDurationNs, s.effectiveRateHz, 1000000000));
  const int64_t first = settings.firstVisibleSample >= 0 ? settings.firstVisibleSample : 0;
  const int64_t last = settings.lastVisibleSample > 0 ? settings.lastVisibleSample
                                                      : first + s.samplesPerPlot;
  s.firstVisibleSample = ClampToInt32(first);
  s.lastVisibleSample = ClampToInt32(last);
  settings.firstVisibleSample = s.firstVisibleSample;
  settings.lastVisibleSample = s.lastVisibleSample;
  if (geometry.plotWidthUnits > 0)
    s.samplesPerColumn =
        ClampToInt32(per1000 * s.samplesPerPlot / geometry.plotWidthUnits / 1000);

  // FFT size and overlap.
  s.spectBottom = geometry.spectBottom;
  s.spectHeight = geometry.spectHeight;
  const int64_t heightPixels = std::max<int64_t>(geometry.spectHeight, 0) * 1000 / per1000;
  s.fftSize = IsValidFftSize(settings.fftSize)
                  ? settings.fftSize
                  : AutomaticFftSize(s.samplesPerColumn, heightPixels, sound.frameCount);
  s.log2Fft = Log2Of(s.fftSize);
  s.overlapPercent = settings.fftOverlap;
  s.overlapSamples = OverlapSamples(s.fftSize, s.overlapPercent, s.samplesPerColumn);
  s.frameAdvance = FrameAdvance(s.fftSize, s.overlapPercent < 0 ? 0 : s.overlapPercent);

  // Bin frequencies and rows.
  const int half = s.fftSize / 2;
  s.binFrequency.resize(half);
  s.binRow.assign(half, geometry.spectBottom);
  for (int k = 0; k < half; ++k)
    s.binFrequency[k] = BinFrequency(s.fftSize, s.effectiveRateHz, k);
  const int64_t d = geometry.spectBottom, h = geometry.spectHeight;
  const bool rangeValid = s.maxFrequencyHz > s.minFrequencyHz;
  s.firstVisibleBin = 0;
  s.lastVisibleBin = half - 1;
  if (rangeValid) {
    const double span = static_cast<double>(s.maxFrequencyHz) - s.minFrequencyHz;
    for (int k = 0; k < half; ++k) {
      const double r =
          std::floor((s.binFrequency[k] - s.minFrequencyHz) * static_cast<double>(h - 2) / span +
                     0.5) +
          static_cast<double>(d);
      if (r < static_cast<double>(d)) {
        s.binRow[k] = ClampToInt32(d);
        s.firstVisibleBin = k;
      } else if (r > static_cast<double>(d + h)) {
        s.binRow[k] = ClampToInt32(d + h);
        if (k < s.lastVisibleBin) s.lastVisibleBin = k;
      } else {
        s.binRow[k] = static_cast<int32_t>(r);
      }
    }
  }
  const int bins = s.lastVisibleBin - s.firstVisibleBin + 1;
  s.bandHeight = bins > 0 ? static_cast<int32_t>(h / bins) : 0;
  for (int k = s.firstVisibleBin; k < s.lastVisibleBin; ++k) {
    const int64_t r = static_cast<int64_t>(s.binRow[k]) + s.bandHeight / 2 + 1;
    s.binRow[k] = ClampToInt32(std::clamp<int64_t>(r, d, std::max(d, d + h)));
  }

  // Window, levels and pens.
  s.windowCode = settings.window;
  s.windowSuffix = BuildWindowTable(StoredWindow(settings.window), s.fftSize, s.windowTable);
  s.levels = LevelScale(settings.threshold, settings.contrast);
  s.colorScheme = settings.colorScheme;
  s.invColors = settings.invColors != 0;
  s.userScheme = settings.colorScheme == kUserColorScheme;
  if (s.userScheme)
    s.userPens = MakeUserPens(settings.userColorMap);
  else
    s.levelColors = LevelColors(s.colorScheme, s.invColors);
  s.penWidthUnits = geometry.scale.unitsPerPixel + 1;

  s.drawable = sound.frameCount > 0 && sound.samples != nullptr && geometry.plotWidthUnits > 0 &&
               geometry.spectHeight > 0 && geometry.scale.unitsPer1000Pixels > 0 &&
               rangeValid && bins > 0;
  return s;
}

}  // namespace nv
