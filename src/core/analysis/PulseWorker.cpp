#include "analysis/PulseWorker.h"

#include <utility>

namespace nv {

bool PulseWorker::Start(const PulseRunInput& in, PulseCallbacks callbacks,
                        std::function<void()> finished) {
  if (thread_.joinable()) return false;
  stop_.store(false, std::memory_order_relaxed);
  done_.store(false, std::memory_order_release);
  thread_ = std::thread([this, in, cb = std::move(callbacks), fin = std::move(finished)]() {
    PulseAnalysis::Run(in, cb, &stop_);
    done_.store(true, std::memory_order_release);
    if (fin) fin();
  });
  return true;
}

void PulseWorker::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace nv
