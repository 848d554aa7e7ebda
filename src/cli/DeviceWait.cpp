#include "DeviceWait.h"

namespace nv::cli {

bool WaitForPlaybackEnd(TaskQueue& queue, const PlaybackProgress& playback, std::chrono::milliseconds patience) {
  auto lastProgress = std::chrono::steady_clock::now();
  int64_t lastPlayed = -1;
  bool stopped = false;
  while (playback.active()) {
    queue.WaitAndRun(std::chrono::milliseconds(100));
    if (playback.blocksPlayed() != lastPlayed) {
      lastPlayed = playback.blocksPlayed();
      lastProgress = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - lastProgress > patience) {
      if (stopped) return false;
      stopped = true;
      playback.stop();
      lastProgress = std::chrono::steady_clock::now();
    }
  }
  return !stopped;
}

}  // namespace nv::cli
