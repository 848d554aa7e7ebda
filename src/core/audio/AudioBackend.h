#pragma once
// The system's sound devices as the audio layer sees them: lists them,
// answers format queries and opens streams. Implementations: the sound
// server's client (src/core/audio/pulse) and SimulatedAudioBackend for tests. A
// backend delivers every notification of its streams through the
// AudioExecutor it was made with. Interface thread only. A device is named by
// its id; the empty id means the system's default device.
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioStream.h"
#include "audio/AudioStreamListener.h"
#include "base/WaveFormat.h"

namespace nv {

enum class StreamDirection { Output, Input };

enum class OpenStatus {
  Opened,
  FormatRefused,  // the device is there but does not take this format
  Failed,         // the device cannot be opened at all
};

struct AudioDeviceInfo {
  std::string id;           // what Open takes
  std::string name;         // what the user reads
  std::string formatLabel;  // the best of the standard format labels it takes, or empty
};

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  // The devices of one direction, as the system lists them now.
  virtual std::vector<AudioDeviceInfo> Devices(StreamDirection dir) = 0;
  // Whether `deviceId` takes `format` (PCM, 1 or 2 channels, 8 or 16 bits).
  virtual bool Supports(StreamDirection dir, const std::string& deviceId, const WaveFormatEx& format) = 0;
  // Opens a stream, paused, that tells `listener`; null with the reason in
  // `status` on failure. The listener must outlive the stream.
  virtual std::unique_ptr<AudioStream> Open(StreamDirection dir, const std::string& deviceId,
                                            const WaveFormatEx& format, AudioStreamListener& listener,
                                            OpenStatus& status) = 0;
};

}  // namespace nv
