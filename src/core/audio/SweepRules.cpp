#include "audio/SweepRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp/BinPower.h"

namespace nv {

SweepGeometry SweepGeometry::For(int plotWidthPx, int64_t secondsPerPlot) {
  SweepGeometry g;
  const int64_t s = std::max<int64_t>(1, secondsPerPlot);
  g.plotWidthPx = std::max(0, plotWidthPx);
  g.blocksPerPlot = s * kSweepBlocksPerSecond;
  g.pixelsPerSecond = static_cast<double>(g.plotWidthPx) / static_cast<double>(s);
  g.pixelsPerBlock = g.pixelsPerSecond / kSweepBlocksPerSecond;
  return g;
}

int SweepGeometry::BlockX(int64_t n) const {
  const int64_t slot = blocksPerPlot > 0 ? ((n % blocksPerPlot) + blocksPerPlot) % blocksPerPlot : 0;
  return static_cast<int>(blocksPerPlot > 0 ? slot * plotWidthPx / blocksPerPlot : 0) + kSweepLeftPx;
}

int SweepGeometry::SecondX(int64_t s) const {
  const int64_t seconds = blocksPerPlot / kSweepBlocksPerSecond;
  return kSweepLeftPx + static_cast<int>(seconds > 0 ? (s * plotWidthPx + seconds / 2) / seconds : 0);
}

int64_t SweepGeometry::ColumnStart(int c, int samplesPerBlock) const {
  if (plotWidthPx <= 0) return 0;
  const int64_t total = blocksPerPlot * std::max(0, samplesPerBlock);
  return (static_cast<int64_t>(c) * total + plotWidthPx - 1) / plotWidthPx;
}

void SweepGeometry::BlockColumns(int64_t n, int& first, int& end) const {
  if (blocksPerPlot <= 0 || plotWidthPx <= 0) {
    first = end = 0;
    return;
  }
  const int64_t slot = ((n % blocksPerPlot) + blocksPerPlot) % blocksPerPlot;
  first = static_cast<int>(slot * plotWidthPx / blocksPerPlot);
  end = static_cast<int>((slot + 1) * plotWidthPx / blocksPerPlot);
}

int SweepGeometry::SamplesPerColumn(int samplesPerBlock) const {
  if (plotWidthPx <= 0) return std::max(1, samplesPerBlock);
  return static_cast<int>(std::max<int64_t>(1, blocksPerPlot * samplesPerBlock / plotWidthPx));
}

double SweepThresholdPower(int32_t t) {
  if (t <= 0) return 5.0;
  if (t >= 32) return 25600000.0;
  return std::pow(25600000.0, t / 32.0);
}

int SweepLevel(double p, double thresholdPower) {
  const double lnT = std::log(thresholdPower);
  const double step = (std::log(FullScalePower) - lnT) / 64.0;
  if (!(p > 0) || !(step > 0)) return 0;
  const double level = std::trunc((std::log(p) - lnT) / step);
  return static_cast<int>(std::clamp(level, 0.0, 63.0));
}

int SweepFftSize(int chosen, int samplesPerColumn, int stripHeightPx, int samplesPerChannel) {
  if (chosen > 0) return chosen;
  int n = samplesPerColumn < 64 ? 64 : samplesPerColumn < 96 ? 128 : samplesPerColumn < 192 ? 256 : 512;
  while (n > 4 && n > 2 * stripHeightPx) n /= 2;
  while (n < 512 && n < stripHeightPx) n *= 2;
  while (n > 4 && n > samplesPerChannel) n /= 2;
  return n;
}

int SweepBinY(int k, int n, int bottomPx, int heightPx) {
  // The rate cancels out of f(k) / f(n/2).
  const double ratio = BinFrequency(n, 1000, k) / BinFrequency(n, 1000, n / 2);
  return bottomPx - static_cast<int>(std::floor((heightPx - 2) * ratio + 0.5));
}

std::string SweepFrequencyText(double hz) {
  char t[48];
  const long long v = std::llround(hz);
  if (v < 1000)
    std::snprintf(t, sizeof t, "%lld Hz", v);
  else if (v % 1000 != 0)
    std::snprintf(t, sizeof t, "%2.1f kHz", static_cast<double>(v) / 1000.0);
  else
    std::snprintf(t, sizeof t, "%lld kHz", v / 1000);
  return t;
}

std::vector<AxisLabel> SweepFrequencyLabels(double topRealHz) {
  std::vector<AxisLabel> labels;
  if (!(topRealHz >= 1)) return labels;
  double step = std::pow(10.0, std::floor(std::log10(topRealHz)));
  if (5 * step <= topRealHz)
    step *= 5;
  else if (2 * step <= topRealHz)
    step *= 2;
  const double r = std::floor(topRealHz / step) * step;
  const double s = r / 2;
  for (int i = 1; i <= 3; ++i) {
    if (i == 3 && topRealHz < 3 * s) break;
    labels.push_back({i * s, SweepFrequencyText(i * s)});
  }
  return labels;
}

std::string SweepSecondsText(int64_t seconds) {
  char t[32];
  std::snprintf(t, sizeof t, "%lld s   ", static_cast<long long>(seconds));
  return t;
}

int SweepSampleY(int value, int bits, int centrePx, int halfHeightPx) {
  if (bits == 8) return centrePx + (value - 128) * halfHeightPx / 128;
  return centrePx + value * halfHeightPx / 32768;
}

}  // namespace nv
