#pragma once
// Waiting on the sound server's event thread: the caller holds the threaded
// event loop's lock; the wait releases it while it sleeps. Every callback
// that can make `done` true must signal the loop.
#include <pulse/pulseaudio.h>

#include <functional>

namespace nv {

// Holds the threaded event loop's lock for its lifetime.
class LoopLock {
 public:
  explicit LoopLock(pa_threaded_mainloop* l) : l_(l) { pa_threaded_mainloop_lock(l_); }
  ~LoopLock() { pa_threaded_mainloop_unlock(l_); }
  LoopLock(const LoopLock&) = delete;
  LoopLock& operator=(const LoopLock&) = delete;

 private:
  pa_threaded_mainloop* l_;
};

// Waits until `done()` or until `timeoutUs` have passed; returns done().
bool WaitForPulse(pa_threaded_mainloop* loop, const std::function<bool()>& done, pa_usec_t timeoutUs);

}  // namespace nv
