#pragma once
// Waiting for a device of the command-line tool (a playback or a recording)
// to finish: runs the device's notifications on the tool's task queue until
// the device is no longer active. A device that hands no block back for
// `patience` is told to stop once; one that still does not answer for as
// long again is given up. An interruption (Ctrl-C) asks for a stop once and
// keeps waiting for the device to close.
#include <chrono>
#include <cstdint>
#include <functional>

#include "audio/TaskQueue.h"

namespace nv::cli {

struct DeviceProgress {
  std::function<bool()> active;
  std::function<int64_t()> blocksDone;
  std::function<void()> stop;
  // Optional: true once the user asked to end early.
  std::function<bool()> interrupted = nullptr;
};

// False when the device stopped answering (it was told to stop, or given up).
bool WaitForDeviceEnd(TaskQueue& queue, const DeviceProgress& device, std::chrono::milliseconds patience);

}  // namespace nv::cli
