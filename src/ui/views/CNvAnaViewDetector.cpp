// The virtual detector's part of the sound view: the "&Virtual Bat detector"
// command with its dialog, the detector line in the spectrogram, its status
// text, the arrow keys that move it and retune a playback, the volume keys
// (Shift+Up, Shift+Down) of a playback, and "&Play sound" and "&Stop Play
// sound" through the detector while it is on. While the detector is on,
// "&Filter" edits the detector's filter (CNvAnaViewEdit.cpp).
#include <QApplication>
#include <algorithm>

#include "audio/DetectorPlayback.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"
#include "views/VirtualDetectorDialog.h"

namespace {

bool DetectorPlaying(const nv::DetectorPlayback* p) { return p && p->Active(); }

}  // namespace

bool CNvAnaView::OnDetectorCommand(int id) {
  switch (id) {
    case cmd::kSoundVirtualDetector:
      ToggleDetector();
      return true;
    case cmd::kSoundPlay: {
      if (!detector_.IsOn()) return false;
      if (!doc_) return true;
      const nv::FilterDescription& filter = ViewHost::Get().DetectorFilter();
      if (!nv::DetectorFilterChosen(filter)) {
        nv::ShowMessage("Select a filter for the virtual detector first (Filter).");
        return true;
      }
      if (!detectorPlayer_) {
        detectorPlayer_ = std::make_unique<nv::DetectorPlayback>(
            *doc_, ViewHost::Get().Audio(), &CNvAnaView::HostIsPlaying, &CNvAnaView::HostSetPlaying, *this);
      }
      detectorPlayer_->SetOutputDevice(ViewHost::Get().OutputDevice());
      const nv::PlaybackRequest r = PlaybackRequestHere();
      lineBeforePlay_ = detector_.Line().position;
      detectorPlayer_->Play(r, filter, detector_.Settings().speedFactor, detector_.Line().value);
      ViewHost::Get().RequestCommandUpdate();
      return true;
    }
    case cmd::kSoundStop:
      if (!DetectorPlaying(detectorPlayer_.get())) return false;
      detectorPlayer_->Stop();
      return true;
    default:
      return false;
  }
}

bool CNvAnaView::OnUpdateDetectorCommand(int id, CommandState& st) {
  switch (id) {
    case cmd::kSoundVirtualDetector:
      st.checked = detector_.IsOn();
      st.enabled = doc_ && !ViewHost::Get().IsPlaying() && (detector_.IsOn() || doc_->FrameCount() > 0);
      return true;
    case cmd::kSoundStop:
      if (!DetectorPlaying(detectorPlayer_.get())) return false;
      st.enabled = true;
      return true;
    default:
      return false;
  }
}

void CNvAnaView::ToggleDetector() {
  if (!doc_ || ViewHost::Get().IsPlaying()) return;
  if (detector_.IsOn()) {
    StopDetectorPlayback();
    detector_.SwitchOff();
    plot_->SetDetectorLine(detector_.Line());
    SetStatus(QString());
    ViewHost::Get().RequestCommandUpdate();
    return;
  }
  const nv::PlotSetup& s = plot_->Setup();
  nv::DetectorPlacement place;
  place.effectiveRateHz = s.effectiveRateHz();
  if (HasSelection())
    place.selectionStart = std::min(plot_->SelectionStart().position, plot_->SelectionEnd().position);
  place.cursor = plot_->Cursor();
  place.firstVisibleSample = s.firstVisible();
  const int64_t nyquistHz = std::max<int64_t>(place.effectiveRateHz / 2, 1);
  // What the dialog offers: the speed factor the user chose in this view, or
  // the recording's own time-expansion factor, so that it is heard at its
  // real speed; the frequency the line was tuned to last, or where it starts.
  nv::DetectorSettings offered = detector_.Settings();
  if (!offered.speedFactorChosen) offered.speedFactor = nv::StartingSpeedFactor(doc_->Info().TimeExpansion());
  nv::CursorRecord preview = nv::PlaceDetectorLine(place);
  if (offered.frequencyHz >= 1 && offered.frequencyHz <= nyquistHz) preview.value = offered.frequencyHz;
  offered.frequencyHz = preview.value;
  // The detector's first-start low-pass is designed for this sound, so that
  // "OK" switches it on at once.
  nv::DesignInitialDetectorFilter(ViewHost::Get().DetectorFilter(), nyquistHz);
  // The line shows the frequency typed in the dialog while it is open.
  plot_->SetDetectorLine(preview);
  const VirtualDetectorDialog::Answer a = VirtualDetectorDialog::Ask(
      offered, ViewHost::Get().DetectorFilter(), window(), nyquistHz, [this, &preview](int32_t hz) {
        preview.value = hz;
        plot_->SetDetectorLine(preview);
      });
  if (a.choice == VirtualDetectorDialog::Choice::Cancel || !doc_) {
    if (plot_) plot_->SetDetectorLine(detector_.Line());
    return;
  }
  detector_.SwitchOn(a.settings, place);
  plot_->SetDetectorLine(detector_.Line());
  ShowDetectorStatus();
  ViewHost::Get().RequestCommandUpdate();
  // "Select Filter": the filter command, which now edits the detector's filter.
  if (a.choice == VirtualDetectorDialog::Choice::SelectFilter) OnEditCommand(cmd::kEditFilter);
}

void CNvAnaView::MoveDetectorLineByKey(int key) {
  if (!detector_.IsOn() || !doc_) return;
  nv::CursorRecord line = detector_.Line();
  const bool playing = detectorPlayer_ && detectorPlayer_->State() == nv::PlaybackState::Open;
  bool moved = false;
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    moved = nv::StepDetectorFrequency(plot_->Setup(), line, key == Qt::Key_Up ? 1 : -1);
    // A playback hears the new frequency from the next block it fills.
    if (moved && playing) detectorPlayer_->SetFrequencyHz(line.value);
  } else if (playing) {
    // While it plays, Left and Right halve and double the device's rate.
    const nv::KeyOutcome r = key == Qt::Key_Left ? detectorPlayer_->RateDown() : detectorPlayer_->RateUp();
    if (r == nv::KeyOutcome::Refused) QApplication::beep();
    return;
  } else if (!ViewHost::Get().IsPlaying()) {
    moved = nv::StepDetectorPosition(plot_->Setup(), doc_->FrameCount(), line, key == Qt::Key_Right ? 1 : -1);
  }
  if (!moved) {
    QApplication::beep();
    return;
  }
  detector_.SetLine(line);
  plot_->SetDetectorLine(line);
  ShowDetectorStatus();
}

bool CNvAnaView::OnVolumeKey(int key) {
  const bool up = key == Qt::Key_Up;
  nv::KeyOutcome r = nv::KeyOutcome::NotPlaying;
  if (detectorPlayer_ && detectorPlayer_->State() == nv::PlaybackState::Open)
    r = up ? detectorPlayer_->VolumeUp() : detectorPlayer_->VolumeDown();
  else if (player_ && player_->State() == nv::PlaybackState::Open)
    r = up ? player_->VolumeUp() : player_->VolumeDown();
  if (r == nv::KeyOutcome::NotPlaying) return false;
  if (r == nv::KeyOutcome::Refused) QApplication::beep();
  return true;
}

void CNvAnaView::StopDetectorPlayback() {
  if (!detectorPlayer_) return;
  const bool wasActive = detectorPlayer_->Active();
  detectorPlayer_->Abort();
  detectorPlayer_.reset();
  if (wasActive) {
    MoveDetectorLine(-1);
    ViewHost::Get().RequestCommandUpdate();
  }
}

void CNvAnaView::ShowDetectorPlaybackStatus(const std::string& text) { SetStatus(QString::fromStdString(text)); }

void CNvAnaView::MoveDetectorLine(int64_t frame) {
  if (!detector_.IsOn()) return;
  // After the playback the line goes back to where it stood, so that it
  // stays in sight for tuning.
  const int64_t p = frame >= 0 ? frame : lineBeforePlay_;
  detector_.SetLinePosition(static_cast<int32_t>(std::min<int64_t>(p, INT32_MAX)));
  plot_->SetDetectorLine(detector_.Line());
}

void CNvAnaView::ShowDetectorLineStatus() { ShowDetectorStatus(); }

void CNvAnaView::RefuseDetectorPlayback() { QApplication::beep(); }

void CNvAnaView::DetectorPlaybackClosed() { ViewHost::Get().RequestCommandUpdate(); }

void CNvAnaView::ShowDetectorStatus() { SetStatus(QString::fromStdString(detector_.StatusText(plot_->Setup()))); }
