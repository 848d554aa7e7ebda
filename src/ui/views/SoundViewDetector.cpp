#include "views/SoundViewDetector.h"

#include <QApplication>
#include <algorithm>

#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewPlayback.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"
#include "views/VirtualDetectorDialog.h"

SoundViewDetector::SoundViewDetector(CNvAnaView& view) : view_(view) {}

SoundViewDetector::~SoundViewDetector() { Stop(); }

bool SoundViewDetector::Playing() const { return player_ && player_->Active(); }

bool SoundViewDetector::OnCommand(int id) {
  switch (id) {
    case cmd::kSoundVirtualDetector:
      Toggle();
      return true;
    case cmd::kSoundPlay: {
      if (!mode_.IsOn()) return false;
      nv::CNorvaneDoc* doc = view_.Document();
      if (!doc) return true;
      const nv::FilterDescription& filter = ViewHost::Get().DetectorFilter();
      if (!nv::DetectorFilterChosen(filter)) {
        nv::ShowMessage("Select a filter for the virtual detector first (Filter).");
        return true;
      }
      if (!player_) {
        player_ = std::make_unique<nv::DetectorPlayback>(*doc, ViewHost::Get().Audio(), &SoundViewPlayback::HostIsPlaying,
                                                         &SoundViewPlayback::HostSetPlaying, *this);
      }
      player_->SetOutputDevice(ViewHost::Get().OutputDevice());
      const nv::PlaybackRequest r = view_.PlaybackRequestHere();
      lineBeforePlay_ = mode_.Line().position;
      player_->Play(r, filter, mode_.Settings().speedFactor, mode_.Line().value);
      ViewHost::Get().RequestCommandUpdate();
      return true;
    }
    case cmd::kSoundStop:
      if (!Playing()) return false;
      player_->Stop();
      return true;
    default:
      return false;
  }
}

bool SoundViewDetector::OnUpdateCommand(int id, CommandState& st) {
  switch (id) {
    case cmd::kSoundVirtualDetector: {
      const nv::CNorvaneDoc* doc = view_.Document();
      st.checked = mode_.IsOn();
      st.enabled = doc && !ViewHost::Get().IsPlaying() && (mode_.IsOn() || doc->FrameCount() > 0);
      return true;
    }
    case cmd::kSoundStop:
      if (!Playing()) return false;
      st.enabled = true;
      return true;
    default:
      return false;
  }
}

void SoundViewDetector::Toggle() {
  nv::CNorvaneDoc* doc = view_.Document();
  if (!doc || ViewHost::Get().IsPlaying()) return;
  nv::SoundPlot* plot = view_.Plot();
  if (mode_.IsOn()) {
    Stop();
    mode_.SwitchOff();
    plot->SetDetectorLine(mode_.Line());
    view_.Strip()->SetStatusText(QString());
    ViewHost::Get().RequestCommandUpdate();
    return;
  }
  const nv::PlotSetup& s = plot->Setup();
  nv::DetectorPlacement place;
  place.effectiveRateHz = s.effectiveRateHz();
  if (view_.HasSelection())
    place.selectionStart = std::min(plot->SelectionStart().position, plot->SelectionEnd().position);
  place.cursor = plot->Cursor();
  place.firstVisibleSample = s.firstVisible();
  const int64_t nyquistHz = std::max<int64_t>(place.effectiveRateHz / 2, 1);
  // What the dialog offers: the speed factor the user chose in this view, or
  // the recording's own time-expansion factor, so that it is heard at its
  // real speed; the frequency the line was tuned to last, or where it starts.
  nv::DetectorSettings offered = mode_.Settings();
  if (!offered.speedFactorChosen) offered.speedFactor = nv::StartingSpeedFactor(doc->Info().TimeExpansion());
  nv::CursorRecord preview = nv::PlaceDetectorLine(place);
  if (offered.frequencyHz >= 1 && offered.frequencyHz <= nyquistHz) preview.value = offered.frequencyHz;
  offered.frequencyHz = preview.value;
  // The detector's first-start low-pass is designed for this sound, so that
  // "OK" switches it on at once.
  nv::DesignInitialDetectorFilter(ViewHost::Get().DetectorFilter(), nyquistHz);
  // The line shows the frequency typed in the dialog while it is open.
  plot->SetDetectorLine(preview);
  const VirtualDetectorDialog::Answer a = VirtualDetectorDialog::Ask(
      offered, ViewHost::Get().DetectorFilter(), view_.window(), nyquistHz, [plot, &preview](int32_t hz) {
        preview.value = hz;
        plot->SetDetectorLine(preview);
      });
  if (a.choice == VirtualDetectorDialog::Choice::Cancel || !view_.Document()) {
    if (plot) plot->SetDetectorLine(mode_.Line());
    return;
  }
  mode_.SwitchOn(a.settings, place);
  plot->SetDetectorLine(mode_.Line());
  ShowStatus();
  ViewHost::Get().RequestCommandUpdate();
  // "Select Filter": the filter command, which now edits the detector's filter.
  if (a.choice == VirtualDetectorDialog::Choice::SelectFilter) view_.OnCommand(cmd::kEditFilter);
}

void SoundViewDetector::MoveLineByKey(int key) {
  nv::CNorvaneDoc* doc = view_.Document();
  if (!mode_.IsOn() || !doc) return;
  const nv::PlotSetup& s = view_.Plot()->Setup();
  nv::CursorRecord line = mode_.Line();
  const bool playing = player_ && player_->State() == nv::PlaybackState::Open;
  bool moved = false;
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    moved = nv::StepDetectorFrequency(s, line, key == Qt::Key_Up ? 1 : -1);
    // A playback hears the new frequency from the next block it fills.
    if (moved && playing) player_->SetFrequencyHz(line.value);
  } else if (playing) {
    // While it plays, Left and Right halve and double the device's rate.
    const nv::KeyOutcome r = key == Qt::Key_Left ? player_->RateDown() : player_->RateUp();
    if (r == nv::KeyOutcome::Refused) QApplication::beep();
    return;
  } else if (!ViewHost::Get().IsPlaying()) {
    moved = nv::StepDetectorPosition(s, doc->FrameCount(), line, key == Qt::Key_Right ? 1 : -1);
  }
  if (!moved) {
    QApplication::beep();
    return;
  }
  mode_.SetLine(line);
  view_.Plot()->SetDetectorLine(line);
  ShowStatus();
}

bool SoundViewDetector::OnVolumeKey(int key) {
  if (!player_ || player_->State() != nv::PlaybackState::Open) return false;
  return SoundViewPlayback::TakeKeyOutcome(key == Qt::Key_Up ? player_->VolumeUp() : player_->VolumeDown());
}

void SoundViewDetector::Stop() {
  if (!player_) return;
  const bool wasActive = player_->Active();
  player_->Abort();
  player_.reset();
  if (wasActive) {
    MoveDetectorLine(-1);
    ViewHost::Get().RequestCommandUpdate();
  }
}

void SoundViewDetector::ShowDetectorPlaybackStatus(const std::string& text) {
  view_.Strip()->SetStatusText(QString::fromStdString(text));
}

void SoundViewDetector::MoveDetectorLine(int64_t frame) {
  if (!mode_.IsOn()) return;
  // After the playback the line goes back to where it stood, so that it
  // stays in sight for tuning.
  const int64_t p = frame >= 0 ? frame : lineBeforePlay_;
  mode_.SetLinePosition(static_cast<int32_t>(std::min<int64_t>(p, INT32_MAX)));
  view_.Plot()->SetDetectorLine(mode_.Line());
}

void SoundViewDetector::ShowDetectorLineStatus() { ShowStatus(); }

void SoundViewDetector::RefuseDetectorPlayback() { QApplication::beep(); }

void SoundViewDetector::DetectorPlaybackClosed() { ViewHost::Get().RequestCommandUpdate(); }

void SoundViewDetector::ShowStatus() {
  view_.Strip()->SetStatusText(QString::fromStdString(mode_.StatusText(view_.Plot()->Setup())));
}
