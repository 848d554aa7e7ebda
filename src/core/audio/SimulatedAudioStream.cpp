#include "audio/SimulatedAudioStream.h"

#include <algorithm>

#include "audio/InputBlockFill.h"

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
  if (dir_ == StreamDirection::Input && !waiting_.empty())
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(Fill(waiting_.data(), waiting_.size())));
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
  waiting_.clear();
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

size_t SimulatedAudioStream::Fill(const uint8_t* bytes, size_t count) {
  return FillInputBlocks(
      queue_, [](WaveHeader* b) { return b; }, bytes, count, 0, playedBytes_,
      [this](WaveHeader* b) { Return(b); });
}

void SimulatedAudioStream::Deliver(const std::vector<uint8_t>& bytes) {
  if (!running_ || dir_ != StreamDirection::Input) return;
  // What waits is older and goes first; what finds no block waits, up to
  // the store's size, and the rest is an overrun.
  waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(Fill(waiting_.data(), waiting_.size())));
  if (waiting_.size() > maxWaitingBytes) {
    const size_t lost = waiting_.size() - maxWaitingBytes;
    waiting_.resize(maxWaitingBytes);
    Overrun(static_cast<int64_t>(lost));
  }
}

void SimulatedAudioStream::Overrun(int64_t bytes) {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l, bytes] {
    if (*alive) l->OnOverrun(bytes);
  });
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
