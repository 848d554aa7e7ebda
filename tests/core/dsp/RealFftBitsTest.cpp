// The exact bits of the transform's output for fixed frames: the spectrogram
// levels and runs depend on them, so a faster kernel must give the same
// values, not only values within rounding error.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/FftPlan.h"
#include "dsp/RealFft.h"

namespace nv {
namespace {

// FNV-1a over the bytes of the outputs of three frames of size 2^m.
uint64_t OutputHash(int m, void (*kernel)(double*, int)) {
  std::mt19937_64 rng(static_cast<uint64_t>(1000 + m));
  std::uniform_int_distribution<int> d(-32768, 32767);
  uint64_t h = 1469598103934665603ull;
  for (int f = 0; f < 3; ++f) {
    std::vector<double> x(size_t{1} << m);
    for (double& v : x) v = f == 2 ? d(rng) * 0.731 : d(rng);
    kernel(x.data(), m);
    for (double v : x) {
      unsigned char b[8];
      std::memcpy(b, &v, 8);
      for (unsigned char c : b) h = (h ^ c) * 1099511628211ull;
    }
  }
  return h;
}

void Portable(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftPortable(d, fft_detail::GetFftPlan(m), work.data());
}

// Recorded from the radix-4 kernels as first written.
constexpr uint64_t kPortable[] = {
#include "RealFftBitsPortable.inc"
};

TEST(RealFftBits, PortableKernelKeepsItsResults) {
  for (int m = 2; m <= 14; ++m) EXPECT_EQ(OutputHash(m, &Portable), kPortable[m - 2]) << "m " << m;
}

// The AVX2 kernel is compiled with FMA, and which multiplies and adds the
// optimiser fuses decides its last bits: the recorded values are those of
// optimised builds.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__OPTIMIZE__)
void Avx2(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftAvx2(d, fft_detail::GetFftPlan(m), work.data());
}

constexpr uint64_t kAvx2[] = {
#include "RealFftBitsAvx2.inc"
};

TEST(RealFftBits, Avx2KernelKeepsItsResults) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) GTEST_SKIP();
  for (int m = 2; m <= 14; ++m) EXPECT_EQ(OutputHash(m, &Avx2), kAvx2[m - 2]) << "m " << m;
}
#endif

#if defined(__x86_64__) || defined(__i386__)
// The AVX-512 kernel runs the AVX2 kernel's operations on eight lanes: the
// same bits for every size, in every build.
void Avx2Any(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftAvx2(d, fft_detail::GetFftPlan(m), work.data());
}
void Avx512(double* d, int m) {
  std::vector<double> work(size_t{1} << m);
  fft_detail::RealFftAvx512(d, fft_detail::GetFftPlan(m), work.data());
}

TEST(RealFftBits, Avx512KernelGivesTheAvx2Bits) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512dq") ||
      !__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma"))
    GTEST_SKIP() << "no AVX-512 on this processor";
  for (int m = 2; m <= 17; ++m) EXPECT_EQ(OutputHash(m, &Avx512), OutputHash(m, &Avx2Any)) << "m " << m;
}
#endif

}  // namespace
}  // namespace nv
