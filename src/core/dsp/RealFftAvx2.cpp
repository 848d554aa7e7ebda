// The real FFT kernel compiled for processors with AVX2 and FMA; chosen at
// run time by RealFft when the processor has them.
#if defined(__x86_64__) || defined(__i386__)

#include <cstddef>
#include <cstring>

#include "dsp/FftPlan.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace nv::fft_detail {
namespace avx2 {
#define NV_FFT_LANES 4
#include "dsp/FftKernel.inc"
#undef NV_FFT_LANES
}  // namespace avx2

void RealFftAvx2(double* data, const FftPlan& plan, double* work) {
  avx2::RealFftKernel(data, plan, work);
}

}  // namespace nv::fft_detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
