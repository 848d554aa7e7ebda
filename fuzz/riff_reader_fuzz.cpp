// Feeds arbitrary bytes to the sound file readers: the first byte picks the
// type label the file is opened with (or, from 0xF0 up, the GUANO parser),
// the rest is the file. Every read must
// end in success or a message, never in a crash, a hang or a huge allocation.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/Guano.h"

namespace {
nv::RecordingMessageSink g_sink;

// The GUANO parser alone: whatever it reads must serialise and read back to
// the same fields, and applying and updating them must stay in range.
void FuzzGuano(const uint8_t* data, size_t size) {
  const nv::Guano g = nv::Guano::Parse(data, size);
  const std::string text = g.Serialise();
  int bad = 0;
  const nv::Guano back =
      nv::Guano::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &bad);
  if (bad != 0 || text.size() % 2 != 0) __builtin_trap();
  for (const nv::Guano::Field& f : g.Fields()) {
    const std::string* v = back.Find(f.key);
    if (!v || *v != f.value) __builtin_trap();
  }
  if (back.Fields().size() != g.Fields().size() + (g.Find("GUANO|Version") ? 0 : 1)) __builtin_trap();
  nv::RecordingInfo info;
  std::vector<std::string> problems;
  g.ApplyTo(info, 44100, problems);
  nv::Guano updated = g;
  updated.UpdateForSave(info, 384000, 3840000, "f.wav");
  (void)updated.Serialise();
}

}  // namespace

// Every document makes its work, clip and undo files in the temporary
// directory; in memory (/dev/shm) making them costs far less than on a disk's
// file system, where it took a fifth of each run. An own TMPDIR is kept.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  if ((!tmp || !*tmp) && access("/dev/shm", W_OK | X_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // A first byte from 0xF0 up gives the rest to the GUANO parser directly
  // (GUANO chunks inside files reach it through the WAVE reader as well).
  if (data[0] >= 0xF0) {
    FuzzGuano(data + 1, size - 1);
    return 0;
  }
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
    nv::DocumentContext documents;
    nv::CNorvaneDoc doc(documents);
    std::string path = "/proc/self/fd/" + std::to_string(fd) + label;
    if (doc.Open({path})) {
      // Touch every byte the document claims to hold.
      const uint8_t* p = doc.Samples().Data();
      unsigned sum = 0;
      const int64_t bytes = doc.FramesToBytes(doc.FrameCount());
      for (int64_t i = 0; p && i < bytes; ++i) sum += p[i];
      (void)sum;
      doc.SetPendingViewRecords({});
    }
  }
  close(fd);
  return 0;
}
