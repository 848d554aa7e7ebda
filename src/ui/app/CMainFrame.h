#pragma once
// The main frame: a QMainWindow with the MDI area of the child frames, the
// toolbar and the status bar (MainFrameBars), the two menu bars (without
// and with a document) and the command route. Every menu, toolbar and
// context-menu command arrives at Route(), which offers it to the active
// view, its document, this frame, its bars and the application in that order;
// UpdateCommandUi() asks the same route for every item's state (a command
// nobody knows is greyed). The frame handles the new-window commands, the
// Window and View menus and the two mark submenus of the Tools menu, built
// from the active document's marks (one item per mark). It accepts dropped files.
// Interface thread only.
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/CDocTemplate.h"
#include "base/CommandTarget.h"

namespace nv {
class CNorvaneDoc;
}
class CChildFrame;
class CNorvaneApp;
class CNvAnaView;
class QDialog;
class MainFrameBars;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class CMainFrame : public QMainWindow, public CommandTarget {
  Q_OBJECT
 public:
  explicit CMainFrame(CNorvaneApp* app);
  ~CMainFrame() override;

  QMdiArea* MdiArea() const { return mdi_; }
  void AddFrame(CChildFrame* frame);
  void ActivateFrame(CChildFrame* frame);
  CChildFrame* ActiveFrame() const;
  CNvAnaView* ActiveView() const;
  nv::CNorvaneDoc* ActiveDocument() const;
  std::vector<CChildFrame*> Frames() const;
  std::vector<CChildFrame*> FramesOf(nv::CNorvaneDoc* doc) const;
  // Closes every frame; `force` skips the save questions. False when the
  // user kept one open.
  bool CloseAllFrames(bool force);

  // Sends a command along the route; false when nobody handled it.
  bool Route(int id);
  // Brings every menu item and toolbar button up to date.
  void UpdateCommandUi();
  QAction* Action(int id) const;
  // The menu bar in use: true with a document.
  bool ShowsDocumentMenu() const { return documentMenu_; }
  QMenu* TopMenu(const QString& title) const;  // of the current menu bar, "&File" etc.
  QMenu* SetActiveMarkMenu() const { return markSetMenu_; }
  QMenu* ScrollToMarkMenu() const { return markScrollMenu_; }
  QAction* SetActiveMarkItem() const { return markSetItem_; }
  QAction* ScrollToMarkItem() const { return markScrollItem_; }
  // Refills the two mark submenus from the active document.
  void RebuildMarkMenus();
  void UpdateRecentFileMenu();
  // "Norvane - <document title>" or "Norvane".
  void UpdateTitle();
  // The toolbar and the status bar with its panes.
  MainFrameBars& Bars() const { return *bars_; }

  // Runs a modal dialog (About); tests replace it.
  std::function<void(QDialog&)> modalRunner;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QAction* Act(int id, const QString& text, const QKeySequence& key = QKeySequence(),
               const QString& tip = QString(), bool checkable = false);
  void BuildActions();
  void BuildMenus();
  void SwitchMenus();
  void OnSubWindowActivated(QMdiSubWindow* w);
  void NewWindow(ViewKind kind);
  void FillWindowMenu();
  std::vector<CommandTarget*> RouteTargets() const;

  CNorvaneApp* app_;
  QMdiArea* mdi_ = nullptr;
  std::unique_ptr<MainFrameBars> bars_;
  std::map<int, QAction*> actions_;
  std::vector<QMenu*> plainMenus_;     // the menu bar without documents
  std::vector<QMenu*> documentMenus_;  // and with one
  bool documentMenu_ = false;
  QMenu* windowMenu_ = nullptr;
  QMenu* markSetMenu_ = nullptr;
  QMenu* markScrollMenu_ = nullptr;
  QAction* markSetItem_ = nullptr;
  QAction* markScrollItem_ = nullptr;
  std::vector<QAction*> recentPlaceholders_;
  std::vector<QAction*> windowListActions_;
  QMdiSubWindow* lastActive_ = nullptr;
  bool settingTitle_ = false;
};
