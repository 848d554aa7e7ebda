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

SoundViewDetector::SoundViewDetector(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

SoundViewDetector::~SoundViewDetector() { StopDetectorPlayback(); }

bool SoundViewDetector::Playing() const { return detectorPlayer_ && detectorPlayer_->Active(); }

bool SoundViewDetector::OnCommand(int id) {
  switch (id) {
    case cmd::kSoundVirtualDetector:
      ToggleDetector();
      return true;
    case cmd::kSoundPlay: {
      if (!detector_.IsOn()) return false;
      nv::CNorvaneDoc* doc = view_.Document();
      if (!doc) return true;
      const nv::FilterDescription& filter = host_.DetectorFilter();
      if (!nv::DetectorFilterChosen(filter)) {
        nv::ShowMessage("Select a filter for the virtual detector first (Filter).");
        return true;
      }
      if (!detectorPlayer_) {
        detectorPlayer_ = std::make_unique<nv::DetectorPlayback>(
            *doc, host_.Audio(), [this] { return host_.IsPlaying(); },
            [this](bool playing) { host_.SetPlayingAndUpdate(playing); }, *this);
      }
      detectorPlayer_->SetOutputDevice(host_.OutputDevice());
      const nv::PlaybackRequest r = view_.PlaybackRequestHere();
      lineBeforePlay_ = detector_.Line().position;
      detectorPlayer_->Play(r, filter, detector_.Settings().speedFactor, detector_.Line().value);
      host_.RequestCommandUpdate();
      return true;
    }
    case cmd::kSoundStop:
      if (!Playing()) return false;
      detectorPlayer_->Stop();
      return true;
    default:
      return false;
  }
}

bool SoundViewDetector::OnUpdateCommand(int id, CommandState& st) {
  switch (id) {
    case cmd::kSoundVirtualDetector: {
      const nv::CNorvaneDoc* doc = view_.Document();
      st.checked = detector_.IsOn();
      st.enabled = doc && !host_.IsPlaying() && (detector_.IsOn() || doc->FrameCount() > 0);
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

void SoundViewDetector::ToggleDetector() {
  nv::CNorvaneDoc* doc = view_.Document();
  if (!doc || host_.IsPlaying()) return;
  nv::SoundPlot* plot = view_.Plot();
  if (detector_.IsOn()) {
    StopDetectorPlayback();
    detector_.SwitchOff();
    plot->SetDetectorLine(detector_.Line());
    view_.Strip()->SetStatusText(QString());
    host_.RequestCommandUpdate();
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
  nv::DetectorSettings offered = detector_.Settings();
  if (!offered.speedFactorChosen) offered.speedFactor = nv::StartingSpeedFactor(doc->Info().TimeExpansion());
  nv::CursorRecord preview = nv::PlaceDetectorLine(place);
  if (offered.frequencyHz >= 1 && offered.frequencyHz <= nyquistHz) preview.value = offered.frequencyHz;
  offered.frequencyHz = preview.value;
  // The detector's first-start low-pass is designed for this sound, so that
  // "OK" switches it on at once.
  nv::DesignInitialDetectorFilter(host_.DetectorFilter(), nyquistHz);
  // The line shows the frequency typed in the dialog while it is open.
  plot->SetDetectorLine(preview);
  const VirtualDetectorDialog::Answer a = VirtualDetectorDialog::Ask(
      offered, host_.DetectorFilter(), view_.window(), nyquistHz, [plot, &preview](int32_t hz) {
        preview.value = hz;
        plot->SetDetectorLine(preview);
      });
  if (a.choice == VirtualDetectorDialog::Choice::Cancel || !view_.Document()) {
    if (plot) plot->SetDetectorLine(detector_.Line());
    return;
  }
  detector_.SwitchOn(a.settings, place);
  plot->SetDetectorLine(detector_.Line());
  ShowDetectorStatus();
  host_.RequestCommandUpdate();
  // "Select Filter": the filter command, which now edits the detector's filter.
  if (a.choice == VirtualDetectorDialog::Choice::SelectFilter) view_.OnCommand(cmd::kEditFilter);
}

void SoundViewDetector::MoveDetectorLineByKey(int key) {
  nv::CNorvaneDoc* doc = view_.Document();
  if (!detector_.IsOn() || !doc) return;
  const nv::PlotSetup& s = view_.Plot()->Setup();
  nv::CursorRecord line = detector_.Line();
  const bool playing = detectorPlayer_ && detectorPlayer_->State() == nv::PlaybackState::Open;
  bool moved = false;
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    moved = nv::StepDetectorFrequency(s, line, key == Qt::Key_Up ? 1 : -1);
    // A playback hears the new frequency from the next block it fills.
    if (moved && playing) detectorPlayer_->SetFrequencyHz(line.value);
  } else if (playing) {
    // While it plays, Left and Right halve and double the device's rate.
    const nv::KeyOutcome r = key == Qt::Key_Left ? detectorPlayer_->RateDown() : detectorPlayer_->RateUp();
    if (r == nv::KeyOutcome::Refused) QApplication::beep();
    return;
  } else if (!host_.IsPlaying()) {
    moved = nv::StepDetectorPosition(s, doc->FrameCount(), line, key == Qt::Key_Right ? 1 : -1);
  }
  if (!moved) {
    QApplication::beep();
    return;
  }
  detector_.SetLine(line);
  view_.Plot()->SetDetectorLine(line);
  ShowDetectorStatus();
}

bool SoundViewDetector::OnVolumeKey(int key) {
  if (!detectorPlayer_ || detectorPlayer_->State() != nv::PlaybackState::Open) return false;
  return SoundViewPlayback::TakeKeyOutcome(key == Qt::Key_Up ? detectorPlayer_->VolumeUp() : detectorPlayer_->VolumeDown());
}

void SoundViewDetector::StopDetectorPlayback() {
  if (!detectorPlayer_) return;
  const bool wasActive = detectorPlayer_->Active();
  detectorPlayer_->Abort();
  detectorPlayer_.reset();
  if (wasActive) {
    MoveDetectorLine(-1);
    host_.RequestCommandUpdate();
  }
}

void SoundViewDetector::ShowDetectorPlaybackStatus(const std::string& text) {
  view_.Strip()->SetStatusText(QString::fromStdString(text));
}

void SoundViewDetector::MoveDetectorLine(int64_t frame) {
  if (!detector_.IsOn()) return;
  // After the playback the line goes back to where it stood, so that it
  // stays in sight for tuning.
  const int64_t p = frame >= 0 ? frame : lineBeforePlay_;
  detector_.SetLinePosition(static_cast<int32_t>(std::min<int64_t>(p, INT32_MAX)));
  view_.Plot()->SetDetectorLine(detector_.Line());
}

void SoundViewDetector::ShowDetectorLineStatus() { ShowDetectorStatus(); }

void SoundViewDetector::RefuseDetectorPlayback() { QApplication::beep(); }

void SoundViewDetector::DetectorPlaybackClosed() { host_.RequestCommandUpdate(); }

void SoundViewDetector::ShowDetectorStatus() {
  view_.Strip()->SetStatusText(QString::fromStdString(detector_.StatusText(view_.Plot()->Setup())));
}
