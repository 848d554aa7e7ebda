#pragma once
// The message sink of the desktop application: every message is a modal
// QMessageBox over the active window. Interface thread only.
#include "base/MessageSink.h"

class QtMessageSink : public nv::MessageSink {
 public:
  void Show(const std::string& text, nv::MessageIcon icon) override;
  bool Ask(const std::string& text, nv::MessageIcon icon) override;
  int AskYesNoCancel(const std::string& text, nv::MessageIcon icon) override;
};
