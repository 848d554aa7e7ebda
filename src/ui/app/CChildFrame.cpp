#include "app/CChildFrame.h"

#include <QCloseEvent>

#include "app/CDocCommands.h"
#include "app/CNorvaneApp.h"
#include "views/CNvAnaView.h"

CChildFrame::CChildFrame(CNorvaneApp* app, nv::CNorvaneDoc* doc, CNvAnaView* view)
    : app_(app), doc_(doc), view_(view) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setWidget(view);
  setWindowIcon(QIcon(QStringLiteral(":/norvane/norvane.svg")));
}

CChildFrame::~CChildFrame() {
  if (!closed_ && app_) {
    closed_ = true;
    app_->FrameClosed(this);
  }
}

void CChildFrame::ForceClose() {
  force_ = true;
  close();
}

void CChildFrame::closeEvent(QCloseEvent* e) {
  // A recording on the document stops first, so that the save question
  // below covers everything recorded.
  if (app_) {
    bool last = true;
    for (CChildFrame* f : app_->FramesOf(doc_))
      if (f != this) last = false;
    if (last) app_->CloseRecordingViews(doc_);
  }
  if (!force_ && app_) {
    bool last = true;
    for (CChildFrame* f : app_->FramesOf(doc_))
      if (f != this) last = false;
    CDocCommands* c = app_->CommandsOf(doc_);
    if (last && c && !c->SaveModified()) {
      e->ignore();
      return;
    }
  }
  // The view lets go of the document before the document may go.
  if (view_) view_->Detach();
  QMdiSubWindow::closeEvent(e);
  if (e->isAccepted() && !closed_ && app_) {
    closed_ = true;
    app_->FrameClosed(this);
  }
}
