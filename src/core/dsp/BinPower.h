#pragma once
// Bin frequencies, bin powers and the level reference of spectral frames
// transformed by RealFft, and the common 16-bit scale of the samples that go
// into them.
#include <cstdint>

namespace nv {

// Power of a full-scale (32768) sine at a bin centre with the window gains
// of BuildWindowTable: 2^30. The 0 dB reference of spectral levels.
inline constexpr double FullScalePower = 1073741824.0;
// 2^-30: level in dB = 10 * log10(P * kInvFullScalePower).
inline constexpr double kInvFullScalePower = 9.313225746154785e-10;

// Frequency of bin k of an n-point transform at sample rate rateHz:
// k * rate / n for k <= n / 2, -(n - k) * rate / n above.
inline double BinFrequency(int n, int64_t rateHz, int k) {
  const double fs = static_cast<double>(rateHz);
  if (k <= n / 2) return static_cast<double>(k) * fs / n;
  return -static_cast<double>(n - k) * fs / n;
}

// Single-sided power of bin k (1 <= k <= n/2 - 1) of the RealFft output x.
inline double BinPower(const double* x, int n, int k) {
  const double re = 2.0 * x[k];
  const double im = 2.0 * x[n - k];
  return re * re + im * im;
}

}  // namespace nv
