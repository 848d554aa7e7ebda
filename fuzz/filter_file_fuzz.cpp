// Feeds arbitrary text to the filter definition reader. Every read must end
// in a loaded definition of order 1 to 49 or a message, never in a crash;
// a refused definition leaves order 0 so that no design uses it.
#include <cstdint>
#include <sstream>
#include <string>

#include "base/MessageSink.h"
#include "filter/FilterFile.h"

namespace {
nv::RecordingMessageSink g_sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nv::SetMessageSink(&g_sink);
  g_sink.texts.clear();
  g_sink.icons.clear();
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  nv::FilterDescription desc;
  const nv::FilterFileResult r = nv::ReadFilterDefinition(in, desc);
  if (r == nv::FilterFileResult::Loaded) {
    if (desc.order < 1 || desc.order > nv::FilterDescription::kMaxOrder) __builtin_trap();
    if (!g_sink.texts.empty()) __builtin_trap();
  } else {
    if (desc.order != 0 || nv::FilterFileMessage(r).empty() || g_sink.texts.empty()) __builtin_trap();
  }
  return 0;
}
