#include "analysis/PowerSpectrum.h"

#include <cmath>
#include <vector>

#include "dsp/BinPower.h"
#include "dsp/RealFft.h"

namespace nv {

int64_t PowerFrameCount(int64_t a, int n) {
  if (a <= 0 || n <= 0) return 0;
  return (a + n - 1) / n;
}

int64_t PowerFrameStart(int64_t k, int64_t a, int n, int64_t frames) {
  if (frames <= 0) return 0;
  // k < frames <= 2^31 / 16 and a - n < 2^31: the product fits in 64 bits.
  int64_t first = k * (a - n) / frames;
  if (first + n > a) first = a - n;
  if (first < 0) first = 0;
  return first;
}

double PowerLevelScale(const WindowTable& window) {
  double sum = 0.0;
  for (double w : window) sum += w;
  if (!(sum > 0.0)) return 1.0;
  const double g = static_cast<double>(window.size()) / sum;
  return g * g;
}

int64_t ComputePowerLevels(const SampleSource& samples, int channel, int64_t start, int64_t end,
                           int log2n, const WindowTable& window, double levelScale,
                           bool logScale, double* levels) {
  const int n = 1 << log2n;
  const int half = n / 2;
  if (end - start < n) end = start + n;
  const int64_t a = end - start;
  const int64_t frames = PowerFrameCount(a, n);
  thread_local std::vector<double> frame;
  thread_local std::vector<double> power;
  frame.resize(static_cast<size_t>(n) + 8);
  power.assign(static_cast<size_t>(half), 0.0);
  double* x = AlignedTo64(frame.data());
  double* p = power.data();
  const double* w = window.data();
  constexpr double kDcScale = 1.0 / 268435456.0;  // 2^-28
  for (int64_t k = 0; k < frames; ++k) {
    samples.ReadWindowed(start + PowerFrameStart(k, a, n, frames), n, channel, w, x);
    RealFft(x, log2n);
    p[0] += x[0] * x[0] * kDcScale;
    for (int m = 1; m < half; ++m) p[m] += BinPower(x, n, m) * kInvFullScalePower;
  }
  const double count = static_cast<double>(frames);
  for (int m = 0; m < half; ++m) {
    double v = p[m] / count;
    if (levelScale != 1.0) v *= levelScale;
    levels[m] = logScale ? 10.0 * std::log10(v) : v;
  }
  return frames;
}

}  // namespace nv
