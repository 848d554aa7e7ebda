#include "app/CChildFrame.h"

#include <QCloseEvent>
#include <QSplitter>

#include "app/CDocCommands.h"
#include "app/CNorvaneApp.h"
#include "app/DocumentManager.h"
#include "views/CNvAnaView.h"

CChildFrame::CChildFrame(CNorvaneApp* app, nv::CNorvaneDoc* doc, CNvAnaView* view)
    : app_(app), doc_(doc), view_(view), panes_{view} {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  splitter_ = new QSplitter(Qt::Vertical);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(view);
  view->installEventFilter(this);
  setWidget(splitter_);
  setWindowIcon(QIcon(QStringLiteral(":/norvane/norvane.svg")));
}

CChildFrame::~CChildFrame() {
  if (!closed_ && app_) {
    closed_ = true;
    app_->Docs().FrameClosed(this);
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
    for (CChildFrame* f : app_->Docs().FramesOf(doc_))
      if (f != this) last = false;
    if (last) app_->CloseRecordingViews(doc_);
  }
  if (!force_ && app_) {
    bool last = true;
    for (CChildFrame* f : app_->Docs().FramesOf(doc_))
      if (f != this) last = false;
    CDocCommands* c = app_->Docs().CommandsOf(doc_);
    if (last && c && !c->SaveModified()) {
      e->ignore();
      return;
    }
  }
  // The views let go of the document before the document may go.
  for (CNvAnaView* v : panes_) v->Detach();
  QMdiSubWindow::closeEvent(e);
  if (e->isAccepted() && !closed_ && app_) {
    closed_ = true;
    app_->Docs().FrameClosed(this);
  }
}

void CChildFrame::ToggleSplit() {
  if (IsSplit()) {
    // The pane that is not active goes.
    CNvAnaView* gone = panes_[0] == view_ ? panes_[1] : panes_[0];
    panes_ = {view_};
    gone->Detach();
    gone->deleteLater();
    gone->hide();
    return;
  }
  if (!makePane_) return;
  CNvAnaView* pane = makePane_();
  if (!pane) return;
  splitter_->addWidget(pane);
  pane->installEventFilter(this);
  panes_.push_back(pane);
  const int h = splitter_->height();
  splitter_->setSizes({h / 2, h - h / 2});
  pane->OnInitialUpdate();
  // The new pane shows what the active one shows.
  pane->Settings() = view_->Settings();
  pane->Recompute();
}

bool CChildFrame::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::FocusIn)
    for (CNvAnaView* v : panes_)
      if (v == o && view_ != v) {
        view_ = v;
        v->OnActivateView();
      }
  return QMdiSubWindow::eventFilter(o, e);
}
