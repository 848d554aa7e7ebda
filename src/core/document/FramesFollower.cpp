#include "document/FramesFollower.h"

#include <algorithm>

#include "base/FileRead.h"

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
    const int64_t first = handed_, end = published_;
    lock.unlock();
    Hand(first, end);
    lock.lock();
    handed_ = end;
    changed_.notify_all();
  }
}

void FramesFollower::Hand(int64_t first, int64_t end) {
  const int64_t align = std::max(channels_ * bits_ / 8, 1);
  const int64_t step = std::max<int64_t>(kPieceBytes / align, 1);
  buffer_.resize(static_cast<size_t>(step * align));
  while (first < end) {
    const int64_t want = std::min(step, end - first) * align;
    // A file shortened meanwhile ends the read here.
    const int64_t got = static_cast<int64_t>(
        ReadAt(work_.Fd(), work_.FileOffset(first * align), buffer_.data(), static_cast<size_t>(want)));
    const int64_t frames = got / align;
    if (frames > 0) receiver_(SampleSource(buffer_.data(), frames, channels_, bits_));
    if (got < want) return;
    first += frames;
  }
}

bool FramesFollower::Arrived(int64_t bytes, const WaveFormatEx& format) {
  const int64_t align = std::max<int64_t>(format.nBlockAlign, 1);
  std::lock_guard<std::mutex> lock(mutex_);
  if (handed_ == published_) {  // between pieces: the format may be set
    channels_ = std::max<int>(format.nChannels, 1);
    bits_ = format.wBitsPerSample;
  }
  published_ = std::max(published_, bytes / align);
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
}

}  // namespace nv
