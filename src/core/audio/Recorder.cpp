#include "audio/Recorder.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>

#include "base/MessageSink.h"

namespace nv {
namespace {

int64_t FreeBytesOnDiskOf(int fd) {
  struct statvfs s {};
  if (fd < 0 || ::fstatvfs(fd, &s) != 0) return -1;
  return static_cast<int64_t>(s.f_bavail) * static_cast<int64_t>(s.f_frsize);
}

std::string RecordedText(int64_t bytes) {
  char text[64];
  std::snprintf(text, sizeof text, " %5lld bytes recorded.", static_cast<long long>(bytes));
  return text;
}

const char* MessageFor(RecordEnd why) {
  switch (why) {
    case RecordEnd::SizeLimit:
      return "Recording stopped: the sound has reached the largest size a sound file can hold (4 GB). "
             "Everything recorded so far is kept.";
    case RecordEnd::FrameLimit:
      return "Recording stopped: the sound has reached the largest number of samples a sound can hold "
             "(2147483647). Everything recorded so far is kept.";
    case RecordEnd::DiskFull:
      return "Recording stopped: the disk of the work file is nearly full, and the rest of its space is "
             "needed to save the sound. Everything recorded so far is kept.";
    case RecordEnd::WriteFailed:
      return "Recording stopped: the recorded sound could not be written to the work file. "
             "Everything recorded so far is kept.";
    case RecordEnd::DeviceLost:
      return "Recording stopped: the sound input device failed or was removed. "
             "Everything recorded so far is kept.";
    case RecordEnd::None:
      break;
  }
  return "";
}

}  // namespace

Recorder::Recorder(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                   std::function<void(bool)> setPlaying, RecorderView& view)
    : doc_(doc),
      backend_(backend),
      view_(view),
      freeSpace_(FreeBytesOnDiskOf),
      session_(std::move(isPlaying), std::move(setPlaying)) {}

Recorder::~Recorder() { Abort(); }

int64_t Recorder::BytesRecorded() const {
  return (doc_.LastBufferIndex() + 1) * static_cast<int64_t>(blockBytes_);
}

bool Recorder::Start() {
  if (session_.Busy()) return false;
  // Nothing of the document changes until the device is open: a start that
  // fails leaves the sound, its block count and its modified flag as they
  // were.
  doc_.RecomputeBufferSize();
  const uint32_t blockBytes = doc_.BufferSize();
  if (!buffers_.Allocate(blockBytes)) {
    ShowMessage("Out of memory.");
    return false;
  }

  OpenStatus status = OpenStatus::Failed;
  session_.Opened(backend_.Open(StreamDirection::Input, device_, doc_.Format(), *this, status));
  if (!session_.Active()) {
    ShowMessage("Failed to open waveform input device.");
    return false;
  }
  blockBytes_ = blockBytes;
  doc_.SetModifiedFlag();

  // The sound ends at its last whole frame; anything behind it in the work
  // file is cut so that the new blocks follow the sound directly.
  TempFile& work = doc_.WritableWorkFile();
  startOffset_ = std::min<int64_t>(work.Size(), doc_.FramesToBytes(doc_.FrameCount()));
  if (startOffset_ < 0) startOffset_ = 0;
  work.Truncate(startOffset_);

  view_.ShowRecordStatus("");
  doc_.SetLastBufferIndex(-1);
  end_ = RecordEnd::None;
  overruns_ = overrunBytes_ = 0;

  session_.Stream()->Pause();
  for (int i = 0; i < TransferBuffers::kCount; ++i) Queue(i);
  if (!session_.Launch()) StopFor(session_.DeviceLost() ? RecordEnd::DeviceLost : RecordEnd::None);
  return true;
}

bool Recorder::Queue(int i) {
  WaveHeader& h = buffers_.Header(i);
  h.flags = 0;
  h.bytesRecorded = 0;
  if (!session_.Queue(&h)) {
    if (!session_.DeviceLost()) ShowMessage("Failed to write block to device");
    return false;
  }
  return true;
}

bool Recorder::RoomFor(int64_t endBytes) {
  if (endBytes > sizeLimit_) {
    StopFor(RecordEnd::SizeLimit);
    return false;
  }
  const int frameBytes = std::max<int>(1, doc_.Format().nBlockAlign);
  if (endBytes / frameBytes > kMaxFrames) {
    StopFor(RecordEnd::FrameLimit);
    return false;
  }
  // The block itself, then a copy of the whole sound (saving it on the same
  // disk) and a margin for the file's other chunks and the undo and clip
  // files' small needs.
  const int64_t freeBytes = freeSpace_ ? freeSpace_(doc_.WorkFile().Fd()) : -1;
  if (freeBytes >= 0 && freeBytes < blockBytes_ + endBytes + kDiskMarginBytes) {
    StopFor(RecordEnd::DiskFull);
    return false;
  }
  return true;
}

void Recorder::StopFor(RecordEnd why) {
  if (why != RecordEnd::None && end_ == RecordEnd::None) {
    end_ = why;
    ShowMessage(MessageFor(why));
  }
  if (!session_.Active()) return;
  // With nothing in the device, nothing will come back to finish it.
  if (!session_.RequestStop()) Finish();
}

void Recorder::OnBlockDone(WaveHeader* block) {
  if (!session_.BlockBack()) return;
  const int64_t number = BlocksReceived();
  if (session_.DeviceLost()) StopFor(RecordEnd::DeviceLost);

  // Only whole blocks that follow the last one written are kept; a full
  // block that was already on its way when the user stopped is kept too, but
  // nothing after a stop for a limit or a failure.
  const bool full = block && block->bytesRecorded == blockBytes_;
  const bool next = number == doc_.LastBufferIndex() + 1 && (blockLimit_ <= 0 || number < blockLimit_);
  if (full && next && end_ == RecordEnd::None) {
    const int64_t at = startOffset_ + number * static_cast<int64_t>(blockBytes_);
    if (RoomFor(at + blockBytes_)) {
      if (doc_.WritableWorkFile().WriteAt(at, block->data, blockBytes_)) {
        doc_.SetLastBufferIndex(std::max(doc_.LastBufferIndex(), number));
        view_.BlockRecorded(number, block->data, blockBytes_);
        if (blockLimit_ > 0 && number + 1 >= blockLimit_) StopFor(RecordEnd::None);
      } else {
        StopFor(RecordEnd::WriteFailed);
      }
    }
  }
  if (!session_.Active()) return;  // gone while the views were told
  view_.ShowRecordStatus(StatusText());

  if (!session_.StopRequested() && block) {
    const int i = static_cast<int>(block->user);
    if (i >= 0 && i < TransferBuffers::kCount && !Queue(i) && session_.DeviceLost()) StopFor(RecordEnd::DeviceLost);
    if (session_.Queued() <= 0 && !session_.StopRequested()) StopFor(RecordEnd::DeviceLost);
  }
  if (session_.StopRequested() && session_.Queued() <= 0) Finish();
}

void Recorder::Finish() {
  if (!session_.Active() || session_.Closing()) return;
  session_.Close();
  CutAndSetLength();
}

void Recorder::CutAndSetLength() {
  const int64_t end = startOffset_ + BytesRecorded();
  doc_.WritableWorkFile().Truncate(end);
  const int frameBytes = std::max<int>(1, doc_.Format().nBlockAlign);
  doc_.SetLength(end / frameBytes);
}

void Recorder::OnStreamClosed() {
  session_.Closed();
  Ended();
  view_.RecordingClosed();
}

void Recorder::Ended() {
  doc_.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
  ReportOverruns();
}

void Recorder::OnOverrun(int64_t bytes) {
  if (!session_.Active() || bytes <= 0) return;
  ++overruns_;
  overrunBytes_ += bytes;
  view_.ShowRecordStatus(StatusText());
}

std::string Recorder::StatusText() const {
  std::string text = RecordedText(BytesRecorded());
  if (overruns_ > 0) {
    char more[96];
    std::snprintf(more, sizeof more, " Overruns: %lld (%.3f s lost).", static_cast<long long>(overruns_),
                  static_cast<double>(overrunBytes_) / std::max<uint32_t>(1, doc_.Format().nAvgBytesPerSec));
    text += more;
  }
  return text;
}

void Recorder::ReportOverruns() {
  if (overruns_ <= 0) return;
  char text[256];
  std::snprintf(text, sizeof text,
                "Sound was lost while recording: the sound input overran %lld time%s, %.3f s of sound in all. "
                "The recording has gaps there.",
                static_cast<long long>(overruns_), overruns_ == 1 ? "" : "s",
                static_cast<double>(overrunBytes_) / std::max<uint32_t>(1, doc_.Format().nAvgBytesPerSec));
  ShowMessage(text);
}

void Recorder::Stop() {
  if (!session_.Active()) return;
  StopFor(RecordEnd::None);
}

void Recorder::Abort() {
  if (!session_.Active()) return;
  if (!session_.Closing()) CutAndSetLength();
  session_.Abort();
  Ended();
}

bool PrepareRecording(CNorvaneDoc& doc, InputKind kind,
                      const std::function<bool(const std::string& question)>& askOkCancel) {
  if (doc.FrameCount() <= 0) return true;
  if (IsCardKind(kind)) {
    if (!askOkCancel("Sound file not empty! Clear all data in existing sound file?")) return false;
    doc.WritableWorkFile().Truncate(0);
    doc.SetLength(0);
    doc.SetLastBufferIndex(-1);
    doc.SetModifiedFlag();
    doc.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
    return true;
  }
  return askOkCancel("Sound file not empty! Append to existing sound file?");
}

}  // namespace nv
