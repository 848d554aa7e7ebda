#include "base/MessageSink.h"

namespace nv {
namespace {
RecordingMessageSink g_fallback;
MessageSink* g_sink = nullptr;
thread_local MessageSink* t_sink = nullptr;
}  // namespace

MessageSink& Messages() {
  if (t_sink) return *t_sink;
  return g_sink ? *g_sink : g_fallback;
}

MessageSink* SetThreadMessageSink(MessageSink* sink) {
  MessageSink* old = t_sink;
  t_sink = sink;
  return old;
}

MessageSink* SetMessageSink(MessageSink* sink) {
  MessageSink* old = g_sink;
  g_sink = sink;
  return old;
}

void ShowMessage(const std::string& text, MessageIcon icon) { Messages().Show(text, icon); }

}  // namespace nv
