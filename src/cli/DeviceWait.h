#pragma once
// Waiting for a playback of the command-line tool to end: runs the device's
// notifications on the tool's task queue until the playback is no longer
// active. A device that hands no block back for `patience` is told to stop
// once; one that still does not answer for as long again is given up.
#include <chrono>
#include <cstdint>
#include <functional>

#include "audio/TaskQueue.h"

namespace nv::cli {

struct PlaybackProgress {
  std::function<bool()> active;
  std::function<int64_t()> blocksPlayed;
  std::function<void()> stop;
};

// False when the device was given up.
bool WaitForPlaybackEnd(TaskQueue& queue, const PlaybackProgress& playback, std::chrono::milliseconds patience);

}  // namespace nv::cli
