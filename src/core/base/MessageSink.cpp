#include "base/MessageSink.h"

namespace nv {
namespace {
RecordingMessageSink g_fallback;
MessageSink* g_sink = nullptr;
}  // namespace

MessageSink& Messages() { return g_sink ? *g_sink : g_fallback; }

MessageSink* SetMessageSink(MessageSink* sink) {
  MessageSink* old = g_sink;
  g_sink = sink;
  return old;
}

void ShowMessage(const std::string& text, MessageIcon icon) { Messages().Show(text, icon); }

}  // namespace nv
