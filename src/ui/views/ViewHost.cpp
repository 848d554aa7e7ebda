#include "views/ViewHost.h"

#include <memory>

#include "audio/OutputOpener.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "views/QtAudioExecutor.h"

namespace {

// The host of views made without an application: defaults, no commands.
class PlainViewHost : public ViewHost {
 public:
  nv::CursorMode CursorMode() const override { return mode_; }
  void SetCursorMode(nv::CursorMode mode) override { mode_ = mode; }
  void SetActiveViewKind(ActiveViewKind) override {}
  bool IsPlaying() const override { return playing_; }
  void SetPlaying(bool playing) override { playing_ = playing; }
  void RequestCommandUpdate() override {}
  void SaveRange(nv::CNorvaneDoc*, int64_t, int64_t) override {}
  void OpenDefaultSettings(nv::PlotArea, QWidget*) override {}
  const nv::AnalysisSettings& DefaultAnalysis() const override { return defaults_; }
  nv::SharedColorMaps& ColorMaps() override { return colorMaps_; }
  nv::FilterDescription& CommandFilter() override { return filter_; }
  nv::AudioBackend& Audio() override {
    if (!audio_) audio_ = std::make_unique<nv::PulseAudioBackend>(QtAudioExecutor::Instance());
    return *audio_;
  }
  std::string OutputDevice() const override { return output_; }
  void SetOutputDevice(const std::string& id) override { output_ = id; }
  std::string InputDevice() const override { return input_; }
  void SetInputDevice(const std::string& id) override { input_ = id; }
  nv::PowerSettings& DefaultPower() override { return power_; }
  nv::FilterDescription& DetectorFilter() override { return detectorFilter_; }
  nv::PulseSettings& DefaultPulse() override { return pulse_; }
  nv::RateSettings& DefaultRate() override { return rate_; }

 private:
  std::unique_ptr<nv::AudioBackend> audio_;
  std::string output_, input_;
  nv::CursorMode mode_ = nv::CursorMode::None;
  bool playing_ = false;
  nv::AnalysisSettings defaults_;
  nv::SharedColorMaps colorMaps_;
  nv::FilterDescription filter_;
  nv::PowerSettings power_;
  nv::FilterDescription detectorFilter_;
  nv::PulseSettings pulse_;
  nv::RateSettings rate_;
};

PlainViewHost& Plain() {
  static PlainViewHost plain;
  return plain;
}

ViewHost* installed = nullptr;

}  // namespace

nv::FormatQuery ViewHost::OutputFormatQuery() {
  const std::string device = OutputDevice();
  return [this, device](int channels, int bits, int64_t rateHz) {
    if (Audio().Devices(nv::StreamDirection::Output).empty()) return true;
    return nv::CanPlay(Audio(), device, channels, bits, rateHz);
  };
}

ViewHost& ViewHost::Get() { return installed ? *installed : Plain(); }

void ViewHost::Install(ViewHost* host) { installed = host; }
