// The virtual detector's part of the sound view: the "&Virtual Bat detector"
// command with its dialog, the detector line in the spectrogram, its status
// text and the arrow keys that move it. While the detector is on, "&Filter"
// edits the detector's filter (CNvAnaViewEdit.cpp).
#include <QApplication>
#include <algorithm>

#include "views/VirtualDetectorDialog.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"

bool CNvAnaView::OnDetectorCommand(int id) {
  if (id != cmd::kSoundVirtualDetector) return false;
  ToggleDetector();
  return true;
}

bool CNvAnaView::OnUpdateDetectorCommand(int id, CommandState& st) {
  if (id != cmd::kSoundVirtualDetector) return false;
  st.checked = detector_.IsOn();
  st.enabled = doc_ && !ViewHost::Get().IsPlaying() && (detector_.IsOn() || doc_->FrameCount() > 0);
  return true;
}

void CNvAnaView::ToggleDetector() {
  if (!doc_ || ViewHost::Get().IsPlaying()) return;
  if (detector_.IsOn()) {
    detector_.SwitchOff();
    plot_->SetDetectorLine(detector_.Line());
    SetStatus(QString());
    ViewHost::Get().RequestCommandUpdate();
    return;
  }
  const VirtualDetectorDialog::Answer a =
      VirtualDetectorDialog::Ask(detector_.Settings(), ViewHost::Get().DetectorFilter(), window());
  if (a.choice == VirtualDetectorDialog::Choice::Cancel || !doc_) return;
  const nv::PlotSetup& s = plot_->Setup();
  nv::DetectorPlacement place;
  place.effectiveRateHz = s.effectiveRateHz();
  if (HasSelection())
    place.selectionStart = std::min(plot_->SelectionStart().position, plot_->SelectionEnd().position);
  place.cursor = plot_->Cursor();
  place.firstVisibleSample = s.firstVisible();
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
  bool moved = false;
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    moved = nv::StepDetectorFrequency(plot_->Setup(), line, key == Qt::Key_Up ? 1 : -1);
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

void CNvAnaView::ShowDetectorStatus() { SetStatus(QString::fromStdString(detector_.StatusText(plot_->Setup()))); }
