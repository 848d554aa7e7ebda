#pragma once
// Where the audio device layer delivers its notifications: a backend's own
// threads (a sound server's event loop) never call into the caller; they post
// a task that the interface thread runs later. The Qt application posts into
// its event loop, norvane-cli and the tests run a TaskQueue.
// Post may be called from any thread; the task runs on the interface thread,
// in the order posted, never inside the call of Post.
#include <functional>

namespace nv {

class AudioExecutor {
 public:
  virtual ~AudioExecutor() = default;
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace nv
