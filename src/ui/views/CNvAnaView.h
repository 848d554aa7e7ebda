#pragma once
// The sound view: a SoundPlot over the document, a horizontal scroll bar and
// the status strip. It keeps its own AnalysisSettings and the navigation
// state (visible span and ranges, zoom history, known rate and factor),
// scrolls, sets the cursor and the selection from the mouse and the arrow
// keys (CursorInput), shows their texts (SoundViewReadout), implements the
// document's observer interface and tells its attached analysis windows of
// every cursor or selection change. Everything else it does through its
// controllers (SoundViewControllers), which get each command before the
// view's own (scroll, cursor mode, select all, save interval). The four
// kinds differ only in the diagrams they show (ApplyKind). It reaches the
// application through the ViewHost it is made with, which its controllers
// share. Interface thread only; the host and the document outlive the view
// (Detach before the document goes).
#include <QWidget>
#include <memory>

#include "audio/PlaybackEngine.h"
#include "base/CommandTarget.h"
#include "document/SoundViewObserver.h"
#include "settings/AnalysisSettings.h"
#include "views/AttachedWindowList.h"
#include "views/ScrollRange.h"
#include "views/ViewNavigator.h"

namespace nv {
class CNorvaneDoc;
class SoundPlot;
}  // namespace nv
class CursorInput;
class QMenu;
class ViewHost;
class QScrollBar;
class SoundViewControllers;
class SoundViewReadout;
class StatusStrip;

class CNvAnaView : public QWidget, public nv::SoundViewObserver, public CommandTarget {
  Q_OBJECT
 public:
  CNvAnaView(ViewHost& host, nv::CNorvaneDoc* doc, QWidget* parent = nullptr);
  ~CNvAnaView() override;

  nv::CNorvaneDoc* Document() const { return doc_; }
  // What the view and its controllers reach of the application.
  ViewHost& Host() const { return host_; }
  nv::SoundPlot* Plot() const { return plot_; }
  StatusStrip* Strip() const { return strip_; }
  QScrollBar* ScrollBar() const { return scroll_; }
  nv::AnalysisSettings& Settings() { return settings_; }
  nv::ViewNavigator& Navigator() { return nav_; }
  // The playback, detector, edit, marks, analysis, zoom and dialog commands.
  SoundViewControllers& Controllers() const { return *controllers_; }
  SoundViewReadout& Readout() const { return *readout_; }
  // Attached analysis windows (not owned).
  AttachedWindowList& Windows() { return windows_; }

  // First display: settings from a pending record, another view or the
  // defaults; then the plot, the strip and the scroll bar.
  void OnInitialUpdate();
  // The view became the active one.
  void OnActivateView();
  // Lets go of the document (the frame is closing).
  void Detach();

  // Scrolls so that `firstSample` is the first visible sample, kept within
  // 0 ... the start of the last full page (ScrollRange).
  void ScrollTo(int64_t firstSample);
  void ScrollStep(int direction);
  // Page Up / Page Down (direction -1, +1): a whole screen; Home / End
  // (-2, +2): the start of the sound and its last full screen.
  void ScrollPage(int direction);
  // Where this view may scroll with its document's length and the plot's
  // samples per plot.
  nv::ScrollRange VisibleRange() const;
  // Recomputes the display and resets the scroll bar.
  void Recompute();
  // Centres the view on the mark with that number.
  void ScrollToMark(int32_t number);
  // The document's duration in microseconds (0 without a document).
  int64_t DocumentDurationUs() const;

  // Selection and cursor.
  bool HasSelection() const;
  void SelectFrames(int32_t start, int32_t end);
  // The measurement cursors and the zoom history go (a new rate).
  void ClearMeasurementAndHistory();
  // What a play command plays from: the selection, else the cursor, else
  // the first visible frame.
  nv::PlaybackRequest PlaybackRequestHere() const;
  // Tells the attached windows the selection or the cursor position.
  void NotifyAttached(bool fullUpdate = false);

  // The context menu for a right click at `globalPos` (caller owns it).
  QMenu* MakeContextMenu(const QPoint& globalPos);

  // SoundViewObserver.
  nv::FrameIndex SelectionEnd() const override;
  void ClearSelection() override;
  void OnNewLength(nv::FrameIndex frames) override;
  void OnUpdate(nv::UpdateHint hint) override;
  nv::AnalysisSettings CurrentSettings() const override { return settings_; }

  // CommandTarget: the controllers first, then the view's own commands.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 protected:
  // Which diagrams this kind of view shows (the plain view keeps the record's).
  virtual void ApplyKind(nv::AnalysisSettings& s) const { (void)s; }
  bool eventFilter(QObject* o, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ResetScrollBar();
  // After a change of the document's rate or factor (then a full update).
  void RescaleToDocument();

  ViewHost& host_;
  nv::CNorvaneDoc* doc_;
  nv::AnalysisSettings settings_;
  nv::ViewNavigator nav_;
  nv::SoundPlot* plot_;
  QScrollBar* scroll_;
  StatusStrip* strip_;
  AttachedWindowList windows_;
  bool initialised_ = false;
  bool scrolling_ = false;
  std::unique_ptr<SoundViewReadout> readout_;
  std::unique_ptr<CursorInput> input_;
  // Last: its controllers attach to the window list and reach the plot.
  std::unique_ptr<SoundViewControllers> controllers_;
};
