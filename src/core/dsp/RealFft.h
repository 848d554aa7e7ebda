#pragma once
// The real-input fast Fourier transform used by every spectral display and
// analysis of the program.
//
// RealFft(data, m) transforms the N = 2^m doubles at data (m >= 2) in place:
//   X(k) = (1/N) * sum_n data[n] * exp(-j*2*pi*n*k/N)
// and leaves
//   data[0]          = Re X(0)
//   data[k]          = Re X(k)   for 1 <= k <= N/2
//   data[N - k]      = Im X(k)   for 1 <= k <  N/2
// (Im X(0) and Im X(N/2) are zero and not stored). A frame of zeros stays
// zeros.
//
// Threads: may be called from any number of threads at once. The twiddle
// factors of a size are computed on the first call with that size; each
// thread keeps one scratch buffer that grows to the largest size it used.
// Apart from these one-time set-ups a call allocates nothing.
//
// Frames that start on a 64-byte boundary transform fastest (no vector load
// or store straddles two cache lines); AlignedTo64 gives the first such
// address at or after p (a buffer of n values needs n + 8 to hold it).
namespace nv {

void RealFft(double* data, int m);
double* AlignedTo64(double* p);

}  // namespace nv
