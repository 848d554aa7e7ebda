#include "app/CRecFrame.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include "document/CNorvaneDoc.h"
#include "views/CNvRecView.h"

CRecFrame::CRecFrame(nv::CNorvaneDoc* doc, CNvRecView* view) : doc_(doc), view_(view) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setWidget(view);
  setWindowIcon(QIcon(QStringLiteral(":/norvane/norvane.svg")));
  setWindowTitle(QString::fromStdString(doc->Title()) + QStringLiteral(" - Record sound"));
  QPointer<CRecFrame> self(this);
  view->closeFrame = [self] {
    QTimer::singleShot(0, [self] {
      if (self) self->close();
    });
  };
}

void CRecFrame::closeEvent(QCloseEvent* e) {
  QPointer<CNvRecView> v(view_);
  if (v) v->StopAndWait();
  if (v) v->Detach();
  QMdiSubWindow::closeEvent(e);
}
