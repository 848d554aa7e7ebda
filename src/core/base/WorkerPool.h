#pragma once
// Runs jobs 0 ... count-1 on a pool of threads. Each thread takes the next
// job number when it is free, so that long and short jobs mix without one
// thread waiting for another; jobs must not depend on each other. The job
// function is called from the pool's threads (and must be safe to call from
// several at once); Run returns when every job has returned or, after Stop,
// when the running ones have.
#include <atomic>
#include <cstddef>
#include <functional>

namespace nv {

class WorkerPool {
 public:
  // Threads to use for `requested` (0: one per processor core).
  static unsigned ThreadCount(unsigned requested);

  // Runs the jobs on ThreadCount(threads) threads (never more than there are
  // jobs; with one thread on the calling thread itself).
  void Run(size_t count, unsigned threads, const std::function<void(size_t job)>& job);
  // Asks the threads to take no further jobs (any thread, also a job).
  void Stop() { stop_ = true; }
  bool Stopped() const { return stop_; }

 private:
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};
};

}  // namespace nv
