#include "base/WorkerPool.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace nv {

unsigned WorkerPool::ThreadCount(unsigned requested) {
  if (requested > 0) return requested;
  return std::max(1u, std::thread::hardware_concurrency());
}

void WorkerPool::Run(size_t count, unsigned threads, const std::function<void(size_t job)>& job) {
  next_ = 0;
  auto work = [&] {
    for (;;) {
      if (stop_) return;
      const size_t i = next_.fetch_add(1);
      if (i >= count) return;
      job(i);
    }
  };
  const size_t n = std::min<size_t>(ThreadCount(threads), std::max<size_t>(count, 1));
  if (n <= 1) {
    work();
    return;
  }
  std::vector<std::thread> pool;
  pool.reserve(n);
  for (size_t t = 0; t < n; ++t) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();
}

}  // namespace nv
