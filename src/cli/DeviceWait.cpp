#include "DeviceWait.h"

namespace nv::cli {

bool WaitForDeviceEnd(TaskQueue& queue, const DeviceProgress& device, std::chrono::milliseconds patience) {
  auto lastProgress = std::chrono::steady_clock::now();
  int64_t lastDone = -1;
  bool stopped = false, interrupted = false;
  while (device.active()) {
    queue.WaitAndRun(std::chrono::milliseconds(100));
    if (!interrupted && device.interrupted && device.interrupted()) {
      interrupted = true;
      device.stop();
    }
    if (device.blocksDone() != lastDone) {
      lastDone = device.blocksDone();
      lastProgress = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - lastProgress > patience) {
      if (stopped) return false;
      stopped = true;
      device.stop();
      lastProgress = std::chrono::steady_clock::now();
    }
  }
  return !stopped;
}

}  // namespace nv::cli
