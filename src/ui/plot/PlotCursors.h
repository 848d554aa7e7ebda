#pragma once
// The cursors and the selection of a plot: the cursor, the drag cursor, the
// detector line and the two ends of the selection (kept ordered). They are
// drawn by exclusive-or (the selection inverted) over a copy of the plot's
// picture, never into the picture itself, so no partial repaint, scroll or
// zoom can leave a trace of an old state or cancel a drawing twice.
// Interface thread only.
#include <QImage>
#include <QRect>

#include "plot/CursorRecord.h"

namespace nv {

class PlotRenderer;

class PlotCursors {
 public:
  const CursorRecord& Cursor() const { return cursor_; }
  const CursorRecord& DragCursor() const { return drag_; }
  const CursorRecord& DetectorLine() const { return detector_; }
  const CursorRecord& SelectionStart() const { return selStart_; }
  const CursorRecord& SelectionEnd() const { return selEnd_; }
  // Each setter returns whether anything changed.
  bool SetCursor(const CursorRecord& c) { return Replace(cursor_, c); }
  bool SetDragCursor(const CursorRecord& c) { return Replace(drag_, c); }
  bool SetDetectorLine(const CursorRecord& c) { return Replace(detector_, c); }
  // Ordered so that start is not after end.
  bool SetSelection(const CursorRecord& start, const CursorRecord& end);
  bool HasSelection() const;
  // The channel of the cursor, the drag cursor and the detector line.
  void SetChannel(int32_t channel);

  // `picture` with the cursors and the selection drawn over it inside `clip`.
  QImage Over(const QImage& picture, const QRect& clip, const PlotRenderer& renderer) const;

 private:
  static bool Replace(CursorRecord& slot, const CursorRecord& c);

  CursorRecord cursor_, drag_, detector_, selStart_, selEnd_;
};

}  // namespace nv
