#include "dsp/RealFft.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "dsp/FftPlan.h"

namespace nv::fft_detail {

namespace portable {
#define NV_FFT_LANES 2
#include "dsp/FftKernel.inc"
#undef NV_FFT_LANES
}  // namespace portable

void RealFftPortable(double* data, const FftPlan& plan, double* work) {
  portable::RealFftKernel(data, plan, work);
}

namespace {

constexpr int kMaxLog2 = 62;

FftPlan* MakePlan(int log2N) {
  auto* plan = new FftPlan;
  plan->log2N = log2N;
  plan->n = size_t{1} << log2N;
  plan->half = plan->n / 2;
  const long double twoPi = 6.283185307179586476925286766559L;
  size_t total = 2 * (plan->half / 2 + 1);
  for (size_t len = plan->half; len >= 4; len /= 4) {
    plan->stageLen.push_back(len);
    total += 6 * (len / 4);
  }
  plan->radix2Last = plan->stageLen.empty() ? plan->half == 2
                                            : plan->stageLen.back() / 4 == 2;
  plan->storage.assign(total, 0.0);
  double* p = plan->storage.data();
  for (size_t len : plan->stageLen) {
    const size_t m = len / 4;
    plan->stageTw.push_back(p);
    for (size_t r = 1; r <= 3; ++r) {
      for (size_t q = 0; q < m; ++q) {
        const long double a = twoPi * static_cast<long double>(q * r) / len;
        p[(2 * r - 2) * m + q] = static_cast<double>(std::cos(a));
        p[(2 * r - 1) * m + q] = static_cast<double>(-std::sin(a));
      }
    }
    p += 6 * m;
  }
  const size_t posts = plan->half / 2 + 1;
  double* re = p;
  double* im = p + posts;
  for (size_t k = 0; k < posts; ++k) {
    const long double a = twoPi * static_cast<long double>(k) / plan->n;
    re[k] = static_cast<double>(std::cos(a));
    im[k] = static_cast<double>(-std::sin(a));
  }
  plan->postRe = re;
  plan->postIm = im;
  return plan;
}

std::array<std::atomic<const FftPlan*>, kMaxLog2 + 1> gPlans{};
std::mutex gPlanMutex;

using Kernel = void (*)(double*, const FftPlan&, double*);

Kernel ChooseKernel() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")) return &RealFftAvx512;
  if (avx2) return &RealFftAvx2;
#endif
  return &RealFftPortable;
}

}  // namespace

const FftPlan& GetFftPlan(int log2N) {
  const FftPlan* plan = gPlans[log2N].load(std::memory_order_acquire);
  if (plan) return *plan;
  std::lock_guard<std::mutex> lock(gPlanMutex);
  plan = gPlans[log2N].load(std::memory_order_relaxed);
  if (!plan) {
    plan = MakePlan(log2N);  // kept for the life of the process
    gPlans[log2N].store(plan, std::memory_order_release);
  }
  return *plan;
}

}  // namespace nv::fft_detail

namespace nv {

double* AlignedTo64(double* p) {
  const auto a = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<double*>((a + 63) & ~std::uintptr_t{63});
}

void RealFft(double* data, int m) {
  using namespace fft_detail;
  static const Kernel kernel = ChooseKernel();
  // The scratch buffer starts on a 64-byte boundary: vector loads and stores
  // that straddle two cache lines cost the large transforms a fifth of
  // their time.
  thread_local std::vector<double> storage;
  const FftPlan& plan = GetFftPlan(m);
  if (storage.size() < plan.n + 8) storage.resize(plan.n + 8);
  kernel(data, plan, AlignedTo64(storage.data()));
}

}  // namespace nv
