#include "document/FramesFollower.h"

#include <algorithm>

namespace nv {

FramesFollower::FramesFollower(TempFile& work, Receiver receiver)
    : work_(work), receiver_(std::move(receiver)) {
  thread_ = std::thread([this] { Run(); });
}

FramesFollower::~FramesFollower() { Finish(); }

void FramesFollower::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return published_ > handed_ || finishing_; });
    if (published_ <= handed_) return;  // finishing with nothing left
    const SampleSource piece = mapped_.Slice(handed_, published_ - handed_);
    const int64_t upTo = published_;
    busy_ = true;
    lock.unlock();
    receiver_(piece);
    lock.lock();
    busy_ = false;
    handed_ = upTo;
    changed_.notify_all();
  }
}

void FramesFollower::Drain(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return handed_ >= published_ && !busy_; });
}

bool FramesFollower::Arrived(int64_t bytes, const WaveFormatEx& format) {
  const int64_t align = std::max<int64_t>(format.nBlockAlign, 1);
  const int64_t frames = bytes / align;
  std::unique_lock<std::mutex> lock(mutex_);
  if (frames <= published_) return true;
  if (frames > mapped_.Frames()) {
    // The file grew beyond the mapping: remade once the receiver is done
    // with the old one (a writer that sizes the file first maps only once).
    Drain(lock);
    work_.Unmap();
    const uint8_t* base = work_.Map(true);
    if (!base) {
      mapped_ = SampleSource();
      published_ = handed_ = 0;
      return false;
    }
    mapped_ = SampleSource(base, work_.MappedSize() / align, format.nChannels, format.wBitsPerSample);
  }
  published_ = std::min(frames, mapped_.Frames());
  changed_.notify_all();
  return true;
}

void FramesFollower::Finish() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
  }
  thread_.join();
  work_.Unmap();
}

}  // namespace nv
