// The marks' part of the sound view: scrolling to a mark.
#include "document/CNorvaneDoc.h"
#include "document/MarkList.h"
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
