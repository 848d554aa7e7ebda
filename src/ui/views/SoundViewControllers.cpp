#include "views/SoundViewControllers.h"

#include "views/CNvAnaView.h"
#include "views/CNvAnaViewPower.h"
#include "views/PulseViewAnalyses.h"
#include "views/SoundViewDetector.h"
#include "views/SoundViewEditing.h"
#include "views/SoundViewFormat.h"
#include "views/SoundViewMarks.h"
#include "views/SoundViewPlayback.h"
#include "views/SoundViewRecording.h"
#include "views/SoundViewSettingsDialogs.h"
#include "views/SoundViewZoom.h"

SoundViewControllers::SoundViewControllers(CNvAnaView& view, ViewHost& host)
    : detector_(std::make_unique<SoundViewDetector>(view, host)),
      power_(std::make_unique<CNvAnaViewPower>(&view, host)),
      pulses_(std::make_unique<PulseViewAnalyses>(&view, host, *power_)),
      editing_(std::make_unique<SoundViewEditing>(view, host, detector_->Mode())),
      playback_(std::make_unique<SoundViewPlayback>(view, host)),
      recording_(std::make_unique<SoundViewRecording>(view, host)),
      format_(std::make_unique<SoundViewFormat>(view, host)),
      marks_(std::make_unique<SoundViewMarks>(view)),
      zoom_(std::make_unique<SoundViewZoom>(view)),
      settingsDialogs_(std::make_unique<SoundViewSettingsDialogs>(view, host)),
      route_{detector_.get(), pulses_.get(), editing_.get(), playback_.get(), recording_.get(),
             format_.get(),   marks_.get(),  power_.get(),   zoom_.get(),     settingsDialogs_.get()} {}

SoundViewControllers::~SoundViewControllers() = default;

bool SoundViewControllers::OnCommand(int id) {
  for (CommandTarget* c : route_)
    if (c->OnCommand(id)) return true;
  return false;
}

bool SoundViewControllers::OnUpdateCommand(int id, CommandState& state) {
  for (CommandTarget* c : route_)
    if (c->OnUpdateCommand(id, state)) return true;
  return false;
}

void SoundViewControllers::StopPlayback() {
  playback_->Stop();
  detector_->StopDetectorPlayback();
}

void SoundViewControllers::CloseAll() {
  pulses_->CloseAll();
  settingsDialogs_->CloseAll();
  power_->CloseAll();
}

void SoundViewControllers::SamplesChanged() {
  power_->SamplesChanged();
  pulses_->DocumentChanged();
}
