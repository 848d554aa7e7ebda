// The marks' part of the sound view: saving the cursor as a mark, the
// properties, move, distances, clear, export and import commands, moving
// the active mark with the arrow keys, and scrolling to a mark.
#include <QApplication>
#include <QFile>
#include <algorithm>

#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/MarkDistancesDialog.h"
#include "document/MarkExchange.h"
#include "document/MarkFileDialog.h"
#include "document/MarkList.h"
#include "document/MarkPropertiesDialog.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"

void CNvAnaView::ScrollToMark(int32_t number) {
  if (!doc_) return;
  const nv::MarkRecord* m = doc_->Marks().Find(number);
  if (!m) return;
  const int64_t visible = doc_->MicrosecondsToFrames(settings_.timePerPlotUs);
  settings_.firstVisibleSample = nv::MarkScrollStart(m->position, visible, doc_->FrameCount());
  settings_.lastVisibleSample = -1;
  Recompute();
}

bool CNvAnaView::CursorIsVisible() const {
  const nv::CursorRecord& c = plot_->Cursor();
  const nv::PlotSetup& s = plot_->Setup();
  return doc_ && c.position >= 0 && c.position >= s.firstVisible() && c.position <= s.lastVisible();
}

void CNvAnaView::SaveCursorAsMark() {
  if (!CursorIsVisible()) return;
  const nv::CursorRecord c = plot_->Cursor();
  nv::MarkPoint p;
  p.position = c.position;
  p.value = c.value;
  p.channel = c.channel;
  p.inSpectrogram = c.inSpectrogram;
  p.kind = c.kind;
  p.rangeStart = c.rangeStart;
  p.rangeEnd = c.rangeEnd;
  if (doc_->Marks().AddFromCursor(p) < 0) return;
  // The mark now stands where the cursor was; the marking cursor goes to
  // sample 0 of its channel.
  nv::CursorRecord z;
  z.position = 0;
  z.channel = c.channel;
  z.kind = c.kind == nv::kCursorMarkingStereo ? nv::kCursorMarkingStereo : nv::kCursorMarking;
  plot_->SetCursor(z);
  NotifyAttached();
}

bool CNvAnaView::MoveMarkMode() const {
  return moveMarkMode_ && doc_ && doc_->Marks().Active();
}

void CNvAnaView::SetMoveMarkMode(bool on) {
  moveMarkMode_ = on && doc_ && doc_->Marks().Active();
}

bool CNvAnaView::MoveActiveMarkByKey(int key) {
  if (!doc_) return false;
  const nv::MarkRecord* m = doc_->Marks().Active();
  if (!m) return false;
  const nv::PlotSetup& s = plot_->Setup();
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t w = std::max(s.layout.plotWidth, 1);
  nv::MarkMoveLimits lim;
  lim.framesPerStep = int64_t{s.samplesPerPlot()} * unitsPerPixel / w;
  lim.firstVisible = s.firstVisible();
  lim.lastVisible = s.lastVisible();
  lim.frameCount = doc_->FrameCount();
  if (m->inSpectrogram == 1) {
    const int64_t h = std::max(s.layout.spect.height(), 1);
    lim.valuePerStep = (int64_t{s.spect.maxFrequencyHz} - s.spect.minFrequencyHz) * unitsPerPixel / h;
    lim.minValue = s.spect.minFrequencyHz;
    lim.maxValue = s.spect.maxFrequencyHz;
  } else {
    const int64_t h = std::max(s.layout.osc.height(), 1);
    lim.valuePerStep = (int64_t{s.amp.max} - s.amp.min) * unitsPerPixel / h;
    lim.minValue = s.amp.min;
    lim.maxValue = s.amp.max;
  }
  nv::MarkStep step = nv::MarkStep::Left;
  switch (key) {
    case Qt::Key_Left: step = nv::MarkStep::Left; break;
    case Qt::Key_Right: step = nv::MarkStep::Right; break;
    case Qt::Key_Up: step = nv::MarkStep::Up; break;
    case Qt::Key_Down: step = nv::MarkStep::Down; break;
    default: return false;
  }
  return doc_->Marks().Move(m->number, step, lim);
}

bool CNvAnaView::OnMarkCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kSaveCursorAsMark:
    case kSaveCursor: SaveCursorAsMark(); return true;
    case kActiveMarkProperties:
      if (doc_ && doc_->Marks().Active()) {
        if (MarkPropertiesDialog::Edit(*doc_, doc_->Marks().ActiveNumber(), window()) ==
            MarkPropertiesDialog::Outcome::Remove)
          moveMarkMode_ = false;
      }
      return true;
    case kMoveActiveMark: SetMoveMarkMode(!MoveMarkMode()); return true;
    case kMarkDistances:
      if (doc_ && !doc_->Marks().empty()) MarkDistancesDialog::Show(*doc_, window());
      return true;
    case kClearAllMarks:
      if (doc_) doc_->Marks().Clear();
      moveMarkMode_ = false;
      return true;
    case kExportMarks:
      if (doc_ && !doc_->Marks().empty())
        if (auto choice = MarkFileDialog::Ask(true, window()))
          nv::ExportMarksFile(*doc_, choice->format, QFile::encodeName(choice->path).toStdString());
      return true;
    case kImportMarks:
      if (doc_)
        if (auto choice = MarkFileDialog::Ask(false, window()))
          nv::ImportMarksFile(*doc_, choice->format, QFile::encodeName(choice->path).toStdString());
      return true;
    default: return false;
  }
}

bool CNvAnaView::OnUpdateMarkCommand(int id, CommandState& st) {
  using namespace cmd;
  const bool hasMarks = doc_ && !doc_->Marks().empty();
  const bool hasActive = doc_ && doc_->Marks().Active();
  switch (id) {
    case kSaveCursorAsMark:
    case kSaveCursor: st.enabled = CursorIsVisible(); return true;
    case kActiveMarkProperties: st.enabled = hasActive; return true;
    case kMoveActiveMark:
      st.enabled = hasActive;
      st.checked = MoveMarkMode();
      return true;
    case kMarkDistances:
    case kClearAllMarks:
    case kExportMarks: st.enabled = hasMarks; return true;
    case kImportMarks: st.enabled = doc_ != nullptr; return true;
    default: return false;
  }
}
