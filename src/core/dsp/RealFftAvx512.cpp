// The real FFT kernel compiled for processors with AVX-512 (eight doubles a
// vector); chosen at run time by RealFft when the processor has it. Its
// results are those of the AVX2 kernel to the bit: the same operations on
// twice as many lanes (tests/core/dsp/RealFftBitsTest.cpp).
#if defined(__x86_64__) || defined(__i386__)

#include <cstddef>
#include <cstring>

#include "dsp/FftPlan.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq,avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx2,fma")
#endif

namespace nv::fft_detail {
namespace avx512 {
#define NV_FFT_LANES 8
#include "dsp/FftKernel.inc"
#undef NV_FFT_LANES
}  // namespace avx512

void RealFftAvx512(double* data, const FftPlan& plan, double* work) {
  avx512::RealFftKernel(data, plan, work);
}

}  // namespace nv::fft_detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
