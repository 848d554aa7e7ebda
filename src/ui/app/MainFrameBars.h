#pragma once
// The main frame's toolbar and status bar: the "Standard" toolbar (the file,
// zoom and sound buttons, the cursor tools drawn as the cursors look in the
// plots, About), the message pane and the CAP, NUM and SCRL panes, and the
// View menu's "&Toolbar" and "&Status Bar". A link of the command route
// behind the main frame. Owned by the main frame; interface thread only.
#include "base/CommandTarget.h"

class CMainFrame;
class QLabel;
class QToolBar;
struct LockKeyState;

class MainFrameBars : public CommandTarget {
 public:
  // Builds both bars on `frame`, whose actions must exist.
  explicit MainFrameBars(CMainFrame& frame);

  QLabel* MessagePane() const { return messagePane_; }
  // The CAP, NUM and SCRL panes (0, 1, 2). They follow the lock keys where
  // the platform tells their state (LockKeyState): the text shows while the
  // key is on and the pane stays empty while it is off; elsewhere they keep
  // their greyed texts.
  QLabel* LockPane(int i) const { return lockPanes_[i]; }
  void ShowLockKeys(const LockKeyState& keys);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  void BuildToolBar();
  void BuildStatusBar();

  CMainFrame& frame_;
  QToolBar* toolBar_ = nullptr;
  QLabel* messagePane_ = nullptr;
  QLabel* lockPanes_[3] = {};
};
