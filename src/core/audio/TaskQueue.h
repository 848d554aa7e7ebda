#pragma once
// An AudioExecutor that keeps the posted tasks until the interface thread
// runs them: RunPending runs what is there, WaitAndRun first waits for a
// task (the loop of norvane-cli's play command). Post is thread-safe.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "audio/AudioExecutor.h"

namespace nv {

class TaskQueue : public AudioExecutor {
 public:
  void Post(std::function<void()> task) override;
  // Runs every task posted so far, and those they post in turn; returns how many ran.
  int RunPending();
  // Waits up to `timeout` for a task, then runs the pending ones; returns how many ran.
  int WaitAndRun(std::chrono::milliseconds timeout);
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace nv
