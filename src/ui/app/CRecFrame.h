#pragma once
// The frame of a recording view: an MDI child window titled after its
// document and "Record sound". It owns its view. Closing it stops the
// recording first (what was recorded stays in the document). Interface
// thread only.
#include <QMdiSubWindow>

namespace nv {
class CNorvaneDoc;
}
class CNvRecView;

class CRecFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  CRecFrame(nv::CNorvaneDoc* doc, CNvRecView* view);
  nv::CNorvaneDoc* Document() const { return doc_; }
  CNvRecView* View() const { return view_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  nv::CNorvaneDoc* doc_;
  CNvRecView* view_;
};
