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

FrameIndex SampleStore::SetFrameCount(FrameIndex frames) {
  frames = std::clamp<FrameIndex>(frames, 0, kMaxFrames);
  frameCount_ = frames;
  const int64_t bytes = frames * format_.nBlockAlign;
  lastBufferIndex_ = (bytes + bufferSize_ - 1) / bufferSize_ - 1;
  return frameCount_;
}

TempFile& SampleStore::File(StoreFile file) {
  switch (file) {
    case StoreFile::Clip: return clip_;
    case StoreFile::Undo: return undo_;
    case StoreFile::Work: break;
  }
  return work_;
}

const TempFile& SampleStore::File(StoreFile file) const {
  return const_cast<SampleStore*>(this)->File(file);
}

uint8_t* SampleStore::Map(StoreFile file, MapAccess access) {
  uint8_t* p = File(file).Map(access == MapAccess::Read);
  if (!p)
    ShowMessage((file == StoreFile::Clip ? "CANNOT CREATE VIEW OF FILE: " : "CAN NOT MAP VIEW OF FILE: ") +
                SystemErrorText(errno));
  return p;
}

void SampleStore::UnmapAll() {
  work_.Unmap();
  clip_.Unmap();
  undo_.Unmap();
}

SampleSource SampleStore::Samples() {
  if (frameCount_ <= 0) return SampleSource(nullptr, 0, format_);
  const uint8_t* p = Map(StoreFile::Work, MapAccess::Read);
  return SampleSource(p, p ? frameCount_ : 0, format_);
}

}  // namespace nv
