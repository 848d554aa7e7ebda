// Feeds arbitrary bytes to the sound file readers: the first byte picks the
// type label the file is opened with, the rest is the file. Every read must
// end in success or a message, never in a crash, a hang or a huge allocation.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"

namespace {
nv::RecordingMessageSink g_sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* kLabels[] = {"", " [Standard Wave]", " [Wave Comp]", " [16 bit samples MONO]",
                                  " [8 bit samples MONO]", " [Special 60 bytes head MONO]"};
  const char* label = kLabels[data[0] % 6];
  int fd = memfd_create("nvfuzz", 0);
  if (fd < 0) return 0;
  if (write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) {
    close(fd);
    return 0;
  }
  nv::SetMessageSink(&g_sink);
  g_sink.texts.clear();
  g_sink.icons.clear();
  {
    nv::CNorvaneDoc doc;
    std::string path = "/proc/self/fd/" + std::to_string(fd) + label;
    if (doc.Open(path)) {
      // Touch every byte the document claims to hold.
      const uint8_t* p = doc.MapSamples(true);
      unsigned sum = 0;
      const int64_t bytes = doc.FramesToBytes(doc.FrameCount());
      for (int64_t i = 0; p && i < bytes; ++i) sum += p[i];
      (void)sum;
      while (!doc.PendingViewRecords().empty()) doc.PendingViewRecords().pop_back();
    }
  }
  close(fd);
  return 0;
}
