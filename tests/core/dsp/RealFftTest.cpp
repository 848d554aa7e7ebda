#include "dsp/RealFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "base/SampleSource.h"
#include "dsp/BinPower.h"
#include "dsp/FftPlan.h"

namespace nv {
namespace {

// Plain DFT in long double with exactly reduced angles, laid out as RealFft
// lays out its output. Only the bins in `bins` are computed (all when empty).
std::vector<long double> PlainDft(const std::vector<double>& x, const std::vector<int>& bins) {
  const size_t n = x.size();
  std::vector<long double> c(n), s(n);
  const long double twoPi = 6.283185307179586476925286766559L;
  for (size_t i = 0; i < n; ++i) {
    c[i] = std::cos(twoPi * i / n);
    s[i] = std::sin(twoPi * i / n);
  }
  std::vector<long double> out(n, 0.0L);
  auto one = [&](size_t k) {
    long double re = 0, im = 0;
    size_t idx = 0;
    for (size_t i = 0; i < n; ++i) {
      re += x[i] * c[idx];
      im -= x[i] * s[idx];
      idx += k;
      if (idx >= n) idx -= n;
    }
    out[k] = re / n;
    if (k != 0 && k != n / 2) out[n - k] = im / n;
  };
  if (bins.empty()) {
    for (size_t k = 0; k <= n / 2; ++k) one(k);
  } else {
    for (int k : bins) one(static_cast<size_t>(k));
  }
  return out;
}

using Kernel = void (*)(double*, int);

void KernelPortable(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftPortable(d, fft_detail::GetFftPlan(m), work.data());
}
#if defined(__x86_64__) || defined(__i386__)
void KernelAvx2(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftAvx2(d, fft_detail::GetFftPlan(m), work.data());
}
bool HaveAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

// Checks one kernel against the plain DFT on random frames of every size from
// 4 to 16384. Error measured relative to the largest output magnitude.
void CheckAgainstDft(Kernel kernel) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> dist(-32768.0, 32768.0);
  for (int m = 2; m <= 14; ++m) {
    const int n = 1 << m;
    std::vector<double> x(n);
    for (double& v : x) v = dist(rng);
    std::vector<int> bins;
    if (n > 2048) {
      // Large sizes: a spread of bins (both ends, the middle, random ones).
      for (int k : {0, 1, 2, 3, n / 4, n / 2 - 1, n / 2}) bins.push_back(k);
      std::uniform_int_distribution<int> kd(1, n / 2 - 1);
      for (int i = 0; i < 40; ++i) bins.push_back(kd(rng));
    }
    const std::vector<long double> ref = PlainDft(x, bins);
    std::vector<double> y = x;
    kernel(y.data(), m);
    long double maxRef = 0, maxErr = 0;
    auto cmp = [&](int pos) {
      maxRef = std::max(maxRef, std::fabs(ref[pos]));
      maxErr = std::max(maxErr, std::fabs(ref[pos] - y[pos]));
    };
    if (bins.empty()) {
      for (int pos = 0; pos < n; ++pos) cmp(pos);
    } else {
      for (int k : bins) {
        cmp(k);
        if (k != 0 && k != n / 2) cmp(n - k);
      }
    }
    EXPECT_LT(maxErr / maxRef, 1e-13) << "N = " << n;
  }
}

TEST(RealFft, MatchesPlainDftAtEverySizeFrom4To16384) {
  CheckAgainstDft(&RealFft);
  CheckAgainstDft(&KernelPortable);
#if defined(__x86_64__) || defined(__i386__)
  if (HaveAvx2()) CheckAgainstDft(&KernelAvx2);
#endif
}

TEST(RealFft, OutputLayoutOfImpulseConstantAndCosine) {
  for (int m = 2; m <= 12; ++m) {
    const int n = 1 << m;
    std::vector<double> x(n, 0.0);
    x[0] = 1.0;
    RealFft(x.data(), m);
    for (int i = 0; i <= n / 2; ++i) EXPECT_DOUBLE_EQ(x[i], 1.0 / n) << n << " " << i;
    for (int i = n / 2 + 1; i < n; ++i) EXPECT_EQ(x[i], 0.0) << n << " " << i;

    std::vector<double> c(n, -3.25);
    RealFft(c.data(), m);
    EXPECT_NEAR(c[0], -3.25, 1e-14);
    for (int i = 1; i < n; ++i) EXPECT_NEAR(c[i], 0.0, 1e-13) << n << " " << i;

    // A cosine of amplitude A at bin k0 and a sine at bin k1: Re at k0, Im at
    // position n - k1.
    const int k0 = std::max(1, n / 4 - 1), k1 = n / 8 + 1;
    const double a = 1000.0;
    std::vector<double> s(n);
    for (int i = 0; i < n; ++i) {
      s[i] = a * std::cos(2 * M_PI * k0 * i / n);
      if (k1 != k0 && k1 < n / 2) s[i] += a * std::sin(2 * M_PI * k1 * i / n);
    }
    RealFft(s.data(), m);
    EXPECT_NEAR(s[k0], a / 2, 1e-9);
    EXPECT_NEAR(s[n - k0], 0.0, 1e-9);
    EXPECT_NEAR(BinPower(s.data(), n, k0), a * a, 1e-6);
    if (k1 != k0 && k1 < n / 2) {
      EXPECT_NEAR(s[n - k1], -a / 2, 1e-9);  // sine: Im X(k1) = -A/2
      EXPECT_NEAR(s[k1], 0.0, 1e-9);
    }
  }
}

TEST(RealFft, ZerosStayZeros) {
  for (int m = 2; m <= 14; ++m) {
    std::vector<double> x(size_t{1} << m, 0.0);
    RealFft(x.data(), m);
    for (double v : x) {
      EXPECT_EQ(v, 0.0);
      EXPECT_FALSE(std::signbit(v) && v != 0.0);
    }
  }
}

TEST(BinFrequency, EdgesAndNegativeHalf) {
  EXPECT_DOUBLE_EQ(BinFrequency(256, 44100, 128), 22050.0);
  EXPECT_DOUBLE_EQ(BinFrequency(256, 44100, 129), -22050.0 * 127.0 / 128.0);
  EXPECT_DOUBLE_EQ(BinFrequency(1024, 441000, 1), 441000.0 / 1024);
  EXPECT_DOUBLE_EQ(BinFrequency(16, 8000, 0), 0.0);
}

TEST(SampleScale, EightBitSharesTheSixteenBitScale) {
  const uint8_t eight[3] = {128, 0, 255};
  const SampleSource s8(eight, 3, 1, 8);
  EXPECT_EQ(s8.Value16(0, 0), 0);
  EXPECT_EQ(s8.Value16(1, 0), -32768);
  EXPECT_EQ(s8.Value16(2, 0), 32512);
  const uint8_t sixteen[2] = {0x00, 0x80};
  EXPECT_EQ(SampleSource(sixteen, 1, 1, 16).Value16(0, 0), -32768);
  EXPECT_EQ(FullScalePower, 1073741824.0);
  EXPECT_EQ(FullScalePower * kInvFullScalePower, 1.0);
}

}  // namespace
}  // namespace nv
