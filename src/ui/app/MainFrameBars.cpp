#include "app/MainFrameBars.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "app/CMainFrame.h"
#include "app/LockKeyState.h"
#include "base/CommandIds.h"

namespace {

// The toolbar pictures of the cursor tools, drawn as the cursors look in
// the plots: the marking cursor's line, the measurement cross, the level
// cursor's two levels.
QIcon CursorToolIcon(int id) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QPen(Qt::black, 2));
  if (id == cmd::kCursorMarking) {
    p.drawLine(8, 1, 8, 15);
    p.setPen(QPen(Qt::darkBlue, 1));
    p.drawLine(3, 8, 6, 8);
    p.drawLine(10, 8, 13, 8);
  } else if (id == cmd::kCursorMeasurement) {
    p.drawLine(8, 1, 8, 15);
    p.drawLine(1, 8, 15, 8);
  } else {
    p.drawLine(1, 4, 15, 4);
    p.drawLine(1, 12, 15, 12);
    p.setPen(QPen(Qt::darkGreen, 1));
    p.drawLine(1, 8, 15, 8);
  }
  return QIcon(pm);
}

}  // namespace

MainFrameBars::MainFrameBars(CMainFrame& frame) : frame_(frame) {
  BuildToolBar();
  BuildStatusBar();
}

void MainFrameBars::BuildToolBar() {
  using namespace cmd;
  toolBar_ = frame_.addToolBar(QStringLiteral("Standard"));
  toolBar_->setObjectName("toolBar");
  toolBar_->setMovable(true);
  toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
  for (int id : std::initializer_list<int>{kFileNew, kFileOpen, kFileSave, 0, kZoomIn, kZoomOut, 0, kSoundPlay, kSoundStop}) {
    if (id == 0)
      toolBar_->addSeparator();
    else
      toolBar_->addAction(frame_.Action(id));
  }
  // The cursor tools: the chosen one shows pressed, also when an analysis
  // switched to the level cursor.
  toolBar_->addSeparator();
  for (int id : {kCursorMarking, kCursorMeasurement, kCursorLevel}) {
    frame_.Action(id)->setIcon(CursorToolIcon(id));
    toolBar_->addAction(frame_.Action(id));
  }
  toolBar_->addSeparator();
  auto* about = toolBar_->addAction(frame_.style()->standardIcon(QStyle::SP_MessageBoxQuestion), QString());
  about->setToolTip(QStringLiteral("About Norvane"));
  QObject::connect(about, &QAction::triggered, &frame_, [this] { frame_.Route(cmd::kAppAbout); });
}

void MainFrameBars::BuildStatusBar() {
  messagePane_ = new QLabel(QStringLiteral("Ready"), &frame_);
  frame_.statusBar()->addWidget(messagePane_, 1);
  int lock = 0;
  for (const char* pane : {"CAP", "NUM", "SCRL"}) {
    auto* l = new QLabel(QString::fromLatin1(pane), &frame_);
    l->setEnabled(false);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(l->sizeHint().width());
    frame_.statusBar()->addPermanentWidget(l);
    lockPanes_[lock++] = l;
  }
}

void MainFrameBars::ShowLockKeys(const LockKeyState& keys) {
  const bool on[3] = {keys.caps, keys.num, keys.scroll};
  const char* texts[3] = {"CAP", "NUM", "SCRL"};
  for (int i = 0; i < 3; ++i) {
    lockPanes_[i]->setEnabled(true);
    lockPanes_[i]->setText(on[i] ? QString::fromLatin1(texts[i]) : QString());
  }
}

bool MainFrameBars::OnCommand(int id) {
  switch (id) {
    case cmd::kViewToolbar: toolBar_->setVisible(!toolBar_->isVisible()); return true;
    case cmd::kViewStatusBar: frame_.statusBar()->setVisible(!frame_.statusBar()->isVisible()); return true;
    default: return false;
  }
}

bool MainFrameBars::OnUpdateCommand(int id, CommandState& state) {
  QWidget* bar = id == cmd::kViewToolbar ? static_cast<QWidget*>(toolBar_)
                 : id == cmd::kViewStatusBar ? static_cast<QWidget*>(frame_.statusBar())
                                             : nullptr;
  if (!bar) return false;
  // Before the frame is first shown, a bar counts as shown unless it was hidden.
  state.checked = bar->isVisible() || (!frame_.isVisible() && !bar->isHidden());
  return true;
}
