#include "audio/SimulatedAudioStream.h"

#include <algorithm>

namespace nv {

SimulatedAudioStream::SimulatedAudioStream(StreamDirection dir, const WaveFormatEx& format,
                                           AudioStreamListener& listener, AudioExecutor& executor,
                                           bool rateControl)
    : dir_(dir),
      format_(format),
      listener_(listener),
      executor_(executor),
      alive_(std::make_shared<bool>(true)),
      rateControl_(rateControl) {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l] {
    if (*alive) l->OnStreamOpened();
  });
}

SimulatedAudioStream::~SimulatedAudioStream() { Detach(); }

void SimulatedAudioStream::Detach() {
  *alive_ = false;
  running_ = false;
  closed_ = true;
  queue_.clear();
}

void SimulatedAudioStream::Return(WaveHeader* block) {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l, block] {
    if (*alive) l->OnBlockDone(block);
  });
}

bool SimulatedAudioStream::Write(WaveHeader* block) {
  calls_.push_back("write");
  if (closed_ || lost_ || reset_ || !block) return false;
  if (failWrites_ > 0) {
    --failWrites_;
    return false;
  }
  block->bytesRecorded = 0;
  queue_.push_back(block);
  return true;
}

void SimulatedAudioStream::Pause() {
  calls_.push_back("pause");
  running_ = false;
}

void SimulatedAudioStream::Restart() {
  calls_.push_back("restart");
  if (!closed_ && !lost_ && !reset_) running_ = true;
}

void SimulatedAudioStream::Reset() {
  calls_.push_back("reset");
  running_ = false;
  reset_ = true;
  while (!queue_.empty()) {
    Return(queue_.front());
    queue_.pop_front();
  }
}

void SimulatedAudioStream::Close() {
  if (closed_) return;
  calls_.push_back("close");
  Reset();
  closed_ = true;
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l] {
    if (*alive) l->OnStreamClosed();
  });
}

bool SimulatedAudioStream::GetVolume(uint32_t& v) {
  if (controlsFail_ || lost_) return false;
  v = volume_;
  return true;
}

bool SimulatedAudioStream::SetVolume(uint32_t v) {
  if (controlsFail_ || lost_) return false;
  volume_ = v;
  return true;
}

bool SimulatedAudioStream::GetPlaybackRate(uint32_t& f) {
  if (controlsFail_ || lost_) return false;
  f = rate_;
  return true;
}

bool SimulatedAudioStream::SetPlaybackRate(uint32_t f) {
  if (!rateControl_ || controlsFail_ || lost_ || f == 0) return false;
  rate_ = f;
  return true;
}

int SimulatedAudioStream::Complete(int n) {
  int done = 0;
  while (running_ && done < n && !queue_.empty() && dir_ == StreamDirection::Output) {
    WaveHeader* b = queue_.front();
    queue_.pop_front();
    heard_.insert(heard_.end(), b->data, b->data + b->bufferLength);
    heardLengths_.push_back(b->bufferLength);
    playedBytes_ += b->bufferLength;
    Return(b);
    ++done;
  }
  return done;
}

void SimulatedAudioStream::Deliver(const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  while (running_ && at < bytes.size() && !queue_.empty() && dir_ == StreamDirection::Input) {
    WaveHeader* b = queue_.front();
    const size_t n = std::min<size_t>(b->bufferLength - b->bytesRecorded, bytes.size() - at);
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + n), b->data + b->bytesRecorded);
    b->bytesRecorded += static_cast<uint32_t>(n);
    at += n;
    playedBytes_ += static_cast<int64_t>(n);
    if (b->bytesRecorded == b->bufferLength) {
      queue_.pop_front();
      Return(b);
    }
  }
}

void SimulatedAudioStream::Vanish() {
  lost_ = true;
  running_ = false;
  while (!queue_.empty()) {
    Return(queue_.front());
    queue_.pop_front();
  }
}

}  // namespace nv
