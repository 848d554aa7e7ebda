#pragma once
// One worker thread that runs the pulse characteristics analysis. Owned by
// one analysis dialog (or any other owner) on one thread, the owner thread.
//
// Contract: Start copies its input; the samples the input points to must stay
// mapped and unchanged until the worker has been joined. The callbacks run on
// the worker thread (a front end forwards them to its own thread), and
// `finished` is the last call the worker makes. RequestStop makes the run end
// promptly (within one block of samples or one pulse measurement);
// StopAndJoin also waits for it, and the destructor does both, so nothing the
// worker reads can be released while it still runs.
#include <atomic>
#include <functional>
#include <thread>

#include "analysis/PulseAnalysis.h"

namespace nv {

class PulseWorker {
 public:
  PulseWorker() = default;
  PulseWorker(const PulseWorker&) = delete;
  PulseWorker& operator=(const PulseWorker&) = delete;
  ~PulseWorker() { StopAndJoin(); }

  // Starts a run; false (nothing started) while a thread has not been joined.
  bool Start(const PulseRunInput& in, PulseCallbacks callbacks, std::function<void()> finished);
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
  // Waits for a started thread; no-op when none.
  void Join();
  void StopAndJoin() {
    RequestStop();
    Join();
  }
  // True from Start until Join.
  bool Busy() const { return thread_.joinable(); }
  // True once the run has returned (the thread may still need joining).
  bool Done() const { return done_.load(std::memory_order_acquire); }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{true};
};

}  // namespace nv
