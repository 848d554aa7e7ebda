#include "plot/PlotCursors.h"

#include <QPainter>

#include <utility>

#include "plot/PlotRenderer.h"

namespace nv {

bool PlotCursors::Replace(CursorRecord& slot, const CursorRecord& c) {
  if (slot == c) return false;
  slot = c;
  return true;
}

bool PlotCursors::HasSelection() const {
  return selEnd_.position > 0 && selEnd_.position != selStart_.position;
}

bool PlotCursors::SetSelection(const CursorRecord& start, const CursorRecord& end) {
  CursorRecord a = start, b = end;
  if (a.position > b.position && b.position >= 0) std::swap(a, b);
  if (a == selStart_ && b == selEnd_) return false;
  selStart_ = a;
  selEnd_ = b;
  return true;
}

void PlotCursors::SetChannel(int32_t channel) { cursor_.channel = drag_.channel = detector_.channel = channel; }

QImage PlotCursors::Over(const QImage& picture, const QRect& clip, const PlotRenderer& renderer) const {
  const bool none = !HasSelection() && cursor_.position < 0 && drag_.position < 0 && detector_.position < 0;
  if (none || picture.isNull()) return picture;
  QImage shown = picture.copy();
  QPainter p(&shown);
  p.setClipRect(clip);
  if (HasSelection()) renderer.DrawSelection(p, selStart_, selEnd_);
  renderer.DrawCursor(p, cursor_, selStart_.position, selEnd_.position);
  renderer.DrawCursor(p, drag_, selStart_.position, selEnd_.position);
  renderer.DrawCursor(p, detector_, selStart_.position, selEnd_.position);
  return shown;
}

}  // namespace nv
