#pragma once
// The frame of every sound view: a maximised MDI child window with caption,
// thick frame and minimise and maximise boxes, titled after its document.
// It owns its view; before the last frame of a modified document closes it
// asks whether to save. Interface thread only.
#include <QMdiSubWindow>

namespace nv {
class CNorvaneDoc;
}
class CNorvaneApp;
class CNvAnaView;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  CChildFrame(CNorvaneApp* app, nv::CNorvaneDoc* doc, CNvAnaView* view);
  ~CChildFrame() override;
  nv::CNorvaneDoc* Document() const { return doc_; }
  CNvAnaView* View() const { return view_; }
  // Closes without asking (the application is ending).
  void ForceClose();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  CNorvaneApp* app_;
  nv::CNorvaneDoc* doc_;
  CNvAnaView* view_;
  bool force_ = false;
  bool closed_ = false;
};
