#pragma once
// The one way the core shows a message box. The interface installs a sink that
// shows a QMessageBox; the command-line tool prints to standard error; tests
// install a sink that records the texts. Called on the interface thread,
// except where a worker thread installed a sink of its own.
#include <string>
#include <vector>

namespace nv {

enum class MessageIcon { None, Exclamation, Information, Question, Stop };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` with `icon` and waits until the user has read it.
  virtual void Show(const std::string& text, MessageIcon icon) = 0;
  // Asks a yes/no question; true for yes.
  virtual bool Ask(const std::string& text, MessageIcon icon) = 0;
  // Asks with Yes, No and Cancel: 1 yes, 0 no, -1 cancel. Sinks without a
  // third button answer as Ask does.
  virtual int AskYesNoCancel(const std::string& text, MessageIcon icon) {
    return Ask(text, icon) ? 1 : 0;
  }
};

// A sink that keeps every text; Ask answers with `answer`.
class RecordingMessageSink : public MessageSink {
 public:
  void Show(const std::string& text, MessageIcon icon) override {
    texts.push_back(text);
    icons.push_back(icon);
  }
  bool Ask(const std::string& text, MessageIcon icon) override {
    Show(text, icon);
    return answer;
  }
  std::vector<std::string> texts;
  std::vector<MessageIcon> icons;
  bool answer = true;
};

// The current sink: the calling thread's own sink when it installed one,
// else the process's (a recording sink until one is installed).
MessageSink& Messages();
// Installs a sink for the calling thread only (not owned; null returns the
// thread to the process's sink) and returns the previous one. Worker threads
// that read files install one, so that their messages stay with their work.
MessageSink* SetThreadMessageSink(MessageSink* sink);
// Installs `sink` (not owned; null restores the built-in recording sink) and
// returns the previous one.
MessageSink* SetMessageSink(MessageSink* sink);
// Shorthand for Messages().Show.
void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::Exclamation);

}  // namespace nv
