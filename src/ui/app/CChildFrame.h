#pragma once
// The frame of every sound view: a maximised MDI child window with caption,
// thick frame and minimise and maximise boxes, titled after its document.
// It owns its view; before the last frame of a modified document closes it
// asks whether to save. "S&plit" divides it into two panes, one above the
// other: two views of the same kind on the same document, the new one
// starting from the active pane's settings and position; the pane last
// clicked or focused is the frame's view. Interface thread only.
#include <QMdiSubWindow>
#include <functional>
#include <vector>

namespace nv {
class CNorvaneDoc;
}
class CNorvaneApp;
class CNvAnaView;
class QSplitter;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  CChildFrame(CNorvaneApp* app, nv::CNorvaneDoc* doc, CNvAnaView* view);
  ~CChildFrame() override;
  nv::CNorvaneDoc* Document() const { return doc_; }
  // The active pane's view.
  CNvAnaView* View() const { return view_; }
  const std::vector<CNvAnaView*>& Panes() const { return panes_; }
  // Makes a view for a new pane (the frame's template); without one the
  // frame cannot be split.
  void SetPaneFactory(std::function<CNvAnaView*()> make) { makePane_ = std::move(make); }
  bool CanSplit() const { return static_cast<bool>(makePane_); }
  bool IsSplit() const { return panes_.size() > 1; }
  // Splits into two panes, or back into one (the inactive pane goes).
  void ToggleSplit();
  // Closes without asking (the application is ending).
  void ForceClose();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  CNorvaneApp* app_;
  nv::CNorvaneDoc* doc_;
  CNvAnaView* view_;
  std::vector<CNvAnaView*> panes_;
  QSplitter* splitter_;
  std::function<CNvAnaView*()> makePane_;
  bool force_ = false;
  bool closed_ = false;
};
