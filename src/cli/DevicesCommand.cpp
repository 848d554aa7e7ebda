// norvane-cli devices: the sound server's output and input devices, one per
// line: direction, device name (what --device takes) and description with
// the best standard format the device takes, separated by tabs.
#include <cstdio>

#include "CliSupport.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/TaskQueue.h"

namespace nv::cli {

int RunDevices(const Args& a) {
  if (!a.positional.empty()) return Fail("usage: norvane-cli devices");
  TaskQueue queue;
  PulseAudioBackend backend(queue, "norvane-cli");
  if (!backend.Connected()) return Fail("No sound server answers.");
  for (StreamDirection dir : {StreamDirection::Output, StreamDirection::Input})
    for (const AudioDeviceInfo& d : backend.Devices(dir))
      std::printf("%s\t%s\t%s%s\n", dir == StreamDirection::Output ? "output" : "input", d.id.c_str(),
                  d.name.c_str(), d.formatLabel.c_str());
  return 0;
}

}  // namespace nv::cli
