#pragma once
// One link of the command route: the active view, its document, the main
// frame and the application each get a command in that order until one
// handles it. The same route decides whether a menu item is enabled: the
// first target that knows the command fills its state; a command nobody
// knows is greyed. Interface thread only.
#include <QString>

struct CommandState {
  bool enabled = true;
  bool checked = false;
  QString text;  // a new menu text, empty to keep the item's own
};

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  // True when the command was handled here.
  virtual bool OnCommand(int id) = 0;
  // True when this target decides the command's state (written to `state`).
  virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
};
