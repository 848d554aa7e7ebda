// RealFft against FFTW (double precision, real to complex, FFTW_MEASURE, one
// thread) on random frames. FFTW is linked into this benchmark only.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/RealFft.h"

#ifdef NORVANE_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<double> RandomFrame(size_t n) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> d(-32768.0, 32768.0);
  std::vector<double> x(n);
  for (double& v : x) v = d(rng);
  return x;
}

int Log2(size_t n) {
  int m = 0;
  while ((size_t{1} << m) < n) ++m;
  return m;
}

// Each iteration transforms a fresh copy of the same frame, so that the
// values stay bounded; the copy is part of both benchmarks alike. Both
// transforms get a frame on a 64-byte boundary (fftw_alloc_real gives FFTW
// one; the program's frame buffers are aligned the same way).
void BM_RealFft(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const int m = Log2(n);
  const std::vector<double> src = RandomFrame(n);
  std::vector<double> storage(n + 8);
  double* buf = nv::AlignedTo64(storage.data());
  nv::RealFft(buf, m);  // one-time set-up of the size
  for (auto _ : state) {
    std::copy(src.begin(), src.end(), buf);
    nv::RealFft(buf, m);
    benchmark::DoNotOptimize(buf);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RealFft)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(16384);

#ifdef NORVANE_HAVE_FFTW
void BM_FftwR2c(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::vector<double> src = RandomFrame(n);
  double* in = fftw_alloc_real(n);
  fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_MEASURE);
  for (auto _ : state) {
    std::copy(src.begin(), src.end(), in);
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}
BENCHMARK(BM_FftwR2c)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(16384);
#endif

}  // namespace
