#pragma once
// The Help menu's commands: "&About Norvane..." (modal, through the main
// frame's replaceable runner) and "&Help Topics" (the user guide in a window
// of its own). A link of the command route behind the application.
// Interface thread only.
#include <functional>

#include "base/CommandTarget.h"

class CMainFrame;

class HelpCommands : public CommandTarget {
 public:
  explicit HelpCommands(std::function<CMainFrame*()> mainFrame) : mainFrame_(std::move(mainFrame)) {}

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  void About();
  void HelpTopics();

  std::function<CMainFrame*()> mainFrame_;
};
