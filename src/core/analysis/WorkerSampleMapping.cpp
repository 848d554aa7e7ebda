#include "analysis/WorkerSampleMapping.h"

#include <sys/mman.h>

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
  void* p = mmap(nullptr, static_cast<size_t>(usable), PROT_READ, MAP_SHARED, doc.WorkFile().Fd(), 0);
  if (p == MAP_FAILED) {
    failed_ = true;
    ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
    return;
  }
  base_ = p;
  bytes_ = static_cast<size_t>(usable);
  samples_ = SampleSource(static_cast<const uint8_t*>(p), usable / doc.Format().nBlockAlign, doc.Format());
}

WorkerSampleMapping::~WorkerSampleMapping() {
  if (base_) munmap(base_, bytes_);
}

}  // namespace nv
