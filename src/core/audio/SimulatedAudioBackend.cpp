#include "audio/SimulatedAudioBackend.h"

#include "audio/DeviceFormatLabel.h"

namespace nv {

namespace {

// What the opener holds: destroying it lets go of the stream, which the
// backend keeps for the test to look at.
class SimulatedStreamHandle : public AudioStream {
 public:
  explicit SimulatedStreamHandle(std::shared_ptr<SimulatedAudioStream> s) : s_(std::move(s)) {}
  ~SimulatedStreamHandle() override { s_->Detach(); }
  const WaveFormatEx& Format() const override { return s_->Format(); }
  bool Write(WaveHeader* b) override { return s_->Write(b); }
  void Pause() override { s_->Pause(); }
  void Restart() override { s_->Restart(); }
  void Reset() override { s_->Reset(); }
  void Close() override { s_->Close(); }
  bool GetVolume(uint32_t& v) override { return s_->GetVolume(v); }
  bool SetVolume(uint32_t v) override { return s_->SetVolume(v); }
  bool GetPlaybackRate(uint32_t& f) override { return s_->GetPlaybackRate(f); }
  bool SetPlaybackRate(uint32_t f) override { return s_->SetPlaybackRate(f); }
  int64_t PlayedBytes() override { return s_->PlayedBytes(); }
  bool Lost() const override { return s_->Lost(); }

 private:
  std::shared_ptr<SimulatedAudioStream> s_;
};

}  // namespace

SimulatedAudioBackend::SimulatedAudioBackend(AudioExecutor& executor) : executor_(executor) {
  accepts = [](const WaveFormatEx& f) {
    return f.wFormatTag == 1 && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= 1 &&
           f.nSamplesPerSec <= 384000;
  };
}

std::vector<AudioDeviceInfo> SimulatedAudioBackend::Devices(StreamDirection dir) {
  const bool out = dir == StreamDirection::Output;
  const auto& names = out ? outputNames : inputNames;
  std::vector<AudioDeviceInfo> list;
  for (size_t i = 0; i < names.size(); ++i) {
    AudioDeviceInfo d;
    d.id = (out ? "sim-out-" : "sim-in-") + std::to_string(i);
    d.name = names[i];
    d.formatLabel = BestFormatLabel([&](int ch, int bits, int rate) {
      WaveFormatEx f;
      f.SetFormat(ch, bits, rate);
      return Supports(dir, d.id, f);
    });
    list.push_back(d);
  }
  return list;
}

bool SimulatedAudioBackend::Supports(StreamDirection, const std::string&, const WaveFormatEx& format) {
  return !unavailable && accepts && accepts(format);
}

std::unique_ptr<AudioStream> SimulatedAudioBackend::Open(StreamDirection dir, const std::string& deviceId,
                                                         const WaveFormatEx& format,
                                                         AudioStreamListener& listener, OpenStatus& status) {
  asked.push_back(format);
  askedDevices.push_back(deviceId);
  if (unavailable) {
    status = OpenStatus::Failed;
    return nullptr;
  }
  if (!Supports(dir, deviceId, format)) {
    status = OpenStatus::FormatRefused;
    return nullptr;
  }
  auto s = std::make_shared<SimulatedAudioStream>(dir, format, listener, executor_, rateControl);
  streams.push_back(s);
  last = s.get();
  ++opened;
  status = OpenStatus::Opened;
  return std::make_unique<SimulatedStreamHandle>(s);
}

}  // namespace nv
