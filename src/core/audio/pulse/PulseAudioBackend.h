#pragma once
// The real sound devices: a client of the system's sound server (PulseAudio,
// or PipeWire through its PulseAudio interface) on a threaded event loop of
// its own. Devices are the server's sinks (output) and sources (input), named
// by the server's device names; the empty id is the server's default. The
// connection is made on first use and made again after the server went away
// (restarted, or not running at first). No server is started on demand.
// Interface thread only; notifications go through the executor. Must outlive
// every stream it opened.
#include <pulse/pulseaudio.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/AudioExecutor.h"

namespace nv {

class PulseAudioBackend : public AudioBackend {
 public:
  explicit PulseAudioBackend(AudioExecutor& executor, const std::string& clientName = "Norvane");
  ~PulseAudioBackend() override;
  PulseAudioBackend(const PulseAudioBackend&) = delete;
  PulseAudioBackend& operator=(const PulseAudioBackend&) = delete;

  std::vector<AudioDeviceInfo> Devices(StreamDirection dir) override;
  bool Supports(StreamDirection dir, const std::string& deviceId, const WaveFormatEx& format) override;
  std::unique_ptr<AudioStream> Open(StreamDirection dir, const std::string& deviceId, const WaveFormatEx& format,
                                    AudioStreamListener& listener, OpenStatus& status) override;
  // Whether the server answers (connecting when needed).
  bool Connected();

 private:
  // With the loop locked: a ready context, connecting anew when needed.
  bool EnsureConnected();
  void DropContext();
  static void OnContextState(pa_context* c, void* self);

  AudioExecutor& executor_;
  std::string clientName_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

}  // namespace nv
