#include "audio/pulse/PulseWait.h"

namespace nv {

namespace {

struct Deadline {
  pa_threaded_mainloop* loop;
  bool passed = false;
};

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* p) {
  Deadline* d = static_cast<Deadline*>(p);
  d->passed = true;
  pa_threaded_mainloop_signal(d->loop, 0);
}

}  // namespace

bool WaitForPulse(pa_threaded_mainloop* loop, const std::function<bool()>& done, pa_usec_t timeoutUs) {
  if (done()) return true;
  Deadline d{loop};
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
  struct timeval tv;
  pa_gettimeofday(&tv);
  pa_timeval_add(&tv, timeoutUs);
  pa_time_event* e = api->time_new(api, &tv, OnDeadline, &d);
  while (!done() && !d.passed) pa_threaded_mainloop_wait(loop);
  api->time_free(e);
  return done();
}

}  // namespace nv
