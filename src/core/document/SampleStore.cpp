#include "document/SampleStore.h"

#include <algorithm>
#include <cerrno>

#include "base/MessageSink.h"

namespace nv {

bool SampleStore::Create() {
  if (!work_.Create("NrTmp") || !clip_.Create("NrClp") || !undo_.Create("NrUnd")) {
    ShowMessage("Can not create temporary file: " + SystemErrorText(errno));
    return false;
  }
  const uint8_t zeros[4] = {0, 0, 0, 0};
  work_.WriteAt(0, zeros, 4);
  return true;
}

void SampleStore::Close() {
  work_.Close();
  clip_.Close();
  undo_.Close();
}

void SampleStore::SetFormat(const WaveFormatEx& format) {
  format_ = format;
  bufferSize_ = ComputeBufferSize(format);
}

int32_t SampleStore::SetFrameCount(int64_t frames) {
  frames = std::clamp<int64_t>(frames, 0, kMaxFrames);
  frameCount_ = static_cast<int32_t>(frames);
  const int64_t bytes = frames * format_.nBlockAlign;
  lastBufferIndex_ = (bytes + bufferSize_ - 1) / bufferSize_ - 1;
  return frameCount_;
}

uint8_t* SampleStore::MapSamples(bool readOnly) {
  uint8_t* p = work_.Map(readOnly);
  if (!p) ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

SampleSource SampleStore::Samples() {
  if (frameCount_ <= 0) return SampleSource(nullptr, 0, format_);
  const uint8_t* p = MapSamples(true);
  return SampleSource(p, p ? frameCount_ : 0, format_);
}

uint8_t* SampleStore::MapClip(bool readOnly) {
  uint8_t* p = clip_.Map(readOnly);
  if (!p) ShowMessage("CANNOT CREATE VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

uint8_t* SampleStore::MapUndo(bool readOnly) {
  uint8_t* p = undo_.Map(readOnly);
  if (!p) ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

void SampleStore::UnmapFile(int fd) {
  for (TempFile* f : {&work_, &clip_, &undo_})
    if (f->Fd() == fd) f->Unmap();
}

}  // namespace nv
