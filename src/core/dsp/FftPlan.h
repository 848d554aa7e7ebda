#pragma once
// Precomputed twiddle factors of the real FFT for one size, shared by the
// portable and the vector-extension kernels. Internal to dsp/.
//
// A real frame of N = 2^m values is transformed as a complex sequence of
// M = N/2 values (even samples real, odd samples imaginary) by radix-4
// self-sorting stages (one radix-2 stage at the end when log2 M is odd), and
// then split into the spectrum of the real frame.
//
// Plans are made once per size, on first use, and live until the process
// ends; GetFftPlan may be called from any thread.
#include <cstddef>
#include <vector>

namespace nv::fft_detail {

struct FftPlan {
  int log2N = 0;
  size_t n = 0;      // real frame length N
  size_t half = 0;   // complex length M = N / 2
  // Radix-4 stages in order: for stage j, stageLen[j] is the length of the
  // sub-transforms it splits and stageTw[j] points at six arrays of
  // stageLen[j] / 4 values: cos and -sin of the angles 2*pi*p*r/len for
  // r = 1, 2, 3 (w1 re, w1 im, w2 re, w2 im, w3 re, w3 im).
  std::vector<size_t> stageLen;
  std::vector<const double*> stageTw;
  bool radix2Last = false;  // a final radix-2 stage with no twiddles
  // Split-step twiddles for k = 0 ... M/2: postRe[k] = cos(2*pi*k/N),
  // postIm[k] = -sin(2*pi*k/N).
  const double* postRe = nullptr;
  const double* postIm = nullptr;
  std::vector<double> storage;
};

// The plan for N = 2^log2N, 2 <= log2N <= 62.
const FftPlan& GetFftPlan(int log2N);

// The kernels: transform data (N values) in place; work holds N scratch values.
void RealFftPortable(double* data, const FftPlan& plan, double* work);
#if defined(__x86_64__) || defined(__i386__)
void RealFftAvx2(double* data, const FftPlan& plan, double* work);
void RealFftAvx512(double* data, const FftPlan& plan, double* work);
#endif

}  // namespace nv::fft_detail
