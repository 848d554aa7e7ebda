#pragma once
// A sound device for deterministic tests: nothing happens until the test
// says so through the streams it opened (SimulatedAudioStream). It can refuse
// formats, refuse to open at all, and lack playback-rate control.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/AudioExecutor.h"
#include "audio/SimulatedAudioStream.h"

namespace nv {

class SimulatedAudioBackend : public AudioBackend {
 public:
  explicit SimulatedAudioBackend(AudioExecutor& executor);

  std::vector<AudioDeviceInfo> Devices(StreamDirection dir) override;
  bool Supports(StreamDirection dir, const std::string& deviceId, const WaveFormatEx& format) override;
  std::unique_ptr<AudioStream> Open(StreamDirection dir, const std::string& deviceId,
                                    const WaveFormatEx& format, AudioStreamListener& listener,
                                    OpenStatus& status) override;

  // Which formats the device takes (default: PCM, 1 or 2 channels, 8 or 16
  // bits, 1 Hz to 384 kHz).
  std::function<bool(const WaveFormatEx&)> accepts;
  // The device cannot be opened at all.
  bool unavailable = false;
  // Streams can change their playback rate.
  bool rateControl = true;
  // Device names per direction; ids are "sim-out-N" / "sim-in-N".
  std::vector<std::string> outputNames = {"Simulated output"};
  std::vector<std::string> inputNames = {"Simulated input"};

  // The stream opened last, null before any (the backend keeps every stream
  // it opened, so a test can look at one after its owner let go of it); how
  // many streams were opened and the formats asked for, in order.
  SimulatedAudioStream* last = nullptr;
  std::vector<std::shared_ptr<SimulatedAudioStream>> streams;
  int opened = 0;
  std::vector<WaveFormatEx> asked;
  std::vector<std::string> askedDevices;

 private:
  AudioExecutor& executor_;
};

}  // namespace nv
