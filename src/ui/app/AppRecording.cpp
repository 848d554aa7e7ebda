#include "app/AppRecording.h"

#include <QMdiArea>
#include <QPointer>
#include <QTimer>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CRecFrame.h"
#include "views/CNvAnaView.h"
#include "views/CNvRecView.h"

void AppRecording::Open(nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings) {
  CMainFrame* mainFrame = mainFrame_();
  if (!mainFrame || !doc) return;
  auto* view = new CNvRecView(host_, doc, starter, settings);
  auto* frame = new CRecFrame(doc, view);
  // When the recording has ended and its frame closes, the frame area would
  // activate whichever frame comes next; the view that started the
  // recording (which now shows the new sound's end) is made the active one.
  // Its frame is activated after the recording's frame has closed.
  std::function<void()> closeFrame = view->closeFrame;
  QPointer<CNvAnaView> back(starter);
  QPointer<CMainFrame> main(mainFrame);
  view->closeFrame = [closeFrame, back, main] {
    if (closeFrame) closeFrame();
    if (!main) return;
    QTimer::singleShot(0, main.data(), [back, main] {
      if (!back || !main) return;
      for (QWidget* w = back->parentWidget(); w; w = w->parentWidget()) {
        if (auto* f = qobject_cast<CChildFrame*>(w)) {
          if (f->isVisible()) main->ActivateFrame(f);
          return;
        }
      }
    });
  };
  mainFrame->MdiArea()->addSubWindow(frame);
  frame->resize(mainFrame->MdiArea()->size());
  frame->show();
  mainFrame->MdiArea()->setActiveSubWindow(frame);
  activeKind_ = ActiveViewKind::RecordingView;
  view->OnInitialUpdate();
  mainFrame->UpdateCommandUi();
}

std::vector<CRecFrame*> AppRecording::Frames(nv::CNorvaneDoc* doc) const {
  std::vector<CRecFrame*> v;
  CMainFrame* mainFrame = mainFrame_();
  if (!mainFrame) return v;
  for (QMdiSubWindow* w : mainFrame->MdiArea()->subWindowList())
    if (auto* f = qobject_cast<CRecFrame*>(w))
      if (!doc || f->Document() == doc) v.push_back(f);
  return v;
}

void AppRecording::CloseViews(nv::CNorvaneDoc* doc) {
  for (CRecFrame* frame : Frames(doc)) {
    // Waiting for the device runs the event loop, in which the frame may
    // close by itself once the recording has ended.
    QPointer<CRecFrame> f(frame);
    QPointer<CNvRecView> v(frame->View());
    if (v) v->StopAndWait();
    if (v) v->Detach();
    if (f) f->close();
  }
}
