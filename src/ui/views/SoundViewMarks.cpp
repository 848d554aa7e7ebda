#include "views/SoundViewMarks.h"

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

bool SoundViewMarks::CursorIsVisible() const {
  const nv::CursorRecord& c = view_.Plot()->Cursor();
  const nv::PlotSetup& s = view_.Plot()->Setup();
  return view_.Document() && c.position >= 0 && c.position >= s.firstVisible() && c.position <= s.lastVisible();
}

void SoundViewMarks::SaveCursorAsMark() {
  if (!CursorIsVisible()) return;
  const nv::CursorRecord c = view_.Plot()->Cursor();
  nv::MarkPoint p;
  p.position = c.position;
  p.value = c.value;
  p.channel = c.channel;
  p.inSpectrogram = c.inSpectrogram;
  p.kind = c.kind;
  p.rangeStart = c.rangeStart;
  p.rangeEnd = c.rangeEnd;
  if (view_.Document()->Marks().AddFromCursor(p) < 0) return;
  // The mark now stands where the cursor was; the marking cursor goes to
  // sample 0 of its channel.
  nv::CursorRecord z;
  z.position = 0;
  z.channel = c.channel;
  z.kind = c.kind == nv::CursorKind::MarkingStereo ? nv::CursorKind::MarkingStereo : nv::CursorKind::Marking;
  view_.Plot()->SetCursor(z);
  view_.NotifyAttached();
}

bool SoundViewMarks::MoveMarkMode() const {
  const nv::CNorvaneDoc* doc = view_.Document();
  return moveMarkMode_ && doc && doc->Marks().Active();
}

void SoundViewMarks::SetMoveMarkMode(bool on) {
  const nv::CNorvaneDoc* doc = view_.Document();
  moveMarkMode_ = on && doc && doc->Marks().Active();
}

bool SoundViewMarks::MoveActiveMarkByKey(int key) {
  nv::CNorvaneDoc* doc = view_.Document();
  if (!doc) return false;
  const nv::MarkRecord* m = doc->Marks().Active();
  if (!m) return false;
  const nv::PlotSetup& s = view_.Plot()->Setup();
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t w = std::max(s.layout.plotWidth, 1);
  nv::MarkMoveLimits lim;
  lim.framesPerStep = int64_t{s.samplesPerPlot()} * unitsPerPixel / w;
  lim.firstVisible = s.firstVisible();
  lim.lastVisible = s.lastVisible();
  lim.frameCount = doc->FrameCount();
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
  return doc->Marks().Move(m->number, step, lim);
}

bool SoundViewMarks::OnCommand(int id) {
  using namespace cmd;
  nv::CNorvaneDoc* doc = view_.Document();
  QWidget* window = view_.window();
  switch (id) {
    case kSaveCursorAsMark:
    case kSaveCursor: SaveCursorAsMark(); return true;
    case kActiveMarkProperties:
      if (doc && doc->Marks().Active()) {
        if (MarkPropertiesDialog::Edit(*doc, doc->Marks().ActiveNumber(), window) ==
            MarkPropertiesDialog::Outcome::Remove)
          moveMarkMode_ = false;
      }
      return true;
    case kMoveActiveMark: SetMoveMarkMode(!MoveMarkMode()); return true;
    case kMarkDistances:
      if (doc && !doc->Marks().empty()) MarkDistancesDialog::Show(*doc, window);
      return true;
    case kClearAllMarks:
      if (doc) doc->Marks().Clear();
      moveMarkMode_ = false;
      return true;
    case kExportMarks:
      if (doc && !doc->Marks().empty())
        if (auto choice = MarkFileDialog::Ask(true, window))
          nv::ExportMarksFile(*doc, choice->format, QFile::encodeName(choice->path).toStdString());
      return true;
    case kImportMarks:
      if (doc)
        if (auto choice = MarkFileDialog::Ask(false, window))
          nv::ImportMarksFile(*doc, choice->format, QFile::encodeName(choice->path).toStdString());
      return true;
    default: return false;
  }
}

bool SoundViewMarks::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  const nv::CNorvaneDoc* doc = view_.Document();
  const bool hasMarks = doc && !doc->Marks().empty();
  const bool hasActive = doc && doc->Marks().Active();
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
    case kImportMarks: st.enabled = doc != nullptr; return true;
    default: return false;
  }
}
