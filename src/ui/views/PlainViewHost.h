#pragma once
// The host of views made without an application (tests): the records start
// as their defaults and are kept here, the cursor mode and the playing flag
// are its own, commands are not updated and there is no range save, no
// "- Default" dialog and no recording view; the sound devices are the sound
// server's, opened on first use. Whoever makes the views owns it and keeps
// it until they are gone. Interface thread only.
#include <memory>
#include <string>

#include "views/ViewHost.h"

class PlainViewHost : public ViewHost {
 public:
  PlainViewHost();
  ~PlainViewHost() override;

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
  nv::AudioBackend& Audio() override;
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
