#include "analysis/WorkerSampleMapping.h"

#include "base/ReadMappingGuard.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/MessageSink.h"
#include "base/TempFile.h"
#include "document/CNorvaneDoc.h"

namespace nv {

WorkerSampleMapping::WorkerSampleMapping(CNorvaneDoc& doc) {
  const int64_t frames = doc.FrameCount();
  const int64_t bytes = frames * doc.Format().nBlockAlign;
  if (frames <= 0 || bytes <= 0) return;
  const int64_t fileBytes = doc.WorkFile().Size();
  const int64_t usable = std::min(bytes, fileBytes);
  if (usable <= 0) return;
  // The contents start Head() bytes into the file; a mapping starts at a
  // page boundary.
  const int64_t head = doc.WorkFile().FileOffset(0);
  const int64_t page = std::max<int64_t>(1, sysconf(_SC_PAGESIZE));
  const int64_t start = head - head % page;
  const int64_t lead = head - start;
  void* p = mmap(nullptr, static_cast<size_t>(lead + usable), PROT_READ, MAP_SHARED, doc.WorkFile().Fd(),
                 static_cast<off_t>(start));
  if (p == MAP_FAILED) {
    failed_ = true;
    ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
    return;
  }
  base_ = p;
  bytes_ = static_cast<size_t>(lead + usable);
  // The sound may be another program's file read in place.
  guard_ = ReadMappingGuard::Register(p, bytes_);
  samples_ = SampleSource(static_cast<const uint8_t*>(p) + lead, usable / doc.Format().nBlockAlign,
                          doc.Format());
}

WorkerSampleMapping::~WorkerSampleMapping() {
  ReadMappingGuard::Unregister(guard_);
  if (base_) munmap(base_, bytes_);
}

}  // namespace nv
