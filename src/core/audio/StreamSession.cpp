#include "audio/StreamSession.h"

#include <utility>

namespace nv {

StreamSession::StreamSession(std::function<bool()> isPlaying, std::function<void(bool)> setPlaying)
    : isPlaying_(std::move(isPlaying)), setPlaying_(std::move(setPlaying)) {}

void StreamSession::Opened(std::unique_ptr<AudioStream> stream) {
  stream_ = std::move(stream);
  state_ = stream_ ? StreamState::Open : StreamState::Closed;
  stopRequested_ = false;
  queued_ = 0;
  back_ = 0;
}

bool StreamSession::Queue(WaveHeader* block) {
  if (!stream_ || !stream_->Write(block)) return false;
  ++queued_;
  return true;
}

bool StreamSession::Launch() {
  setPlaying_(true);
  holdsFlag_ = true;
  if (queued_ <= 0 || !stream_) return false;
  stream_->Restart();
  if (state_ == StreamState::Open) state_ = StreamState::Running;
  return true;
}

bool StreamSession::BlockBack() {
  ++back_;
  --queued_;
  if (!stream_ || state_ == StreamState::Closing || state_ == StreamState::Closed) return false;
  if (stream_->Lost()) {
    stopRequested_ = true;
    state_ = StreamState::Stopping;
  }
  return true;
}

bool StreamSession::RequestStop() {
  if (!stream_) return false;
  stopRequested_ = true;
  if (state_ != StreamState::Closing) state_ = StreamState::Stopping;
  if (queued_ <= 0) return false;
  stream_->Reset();
  return true;
}

void StreamSession::Close() {
  if (!stream_ || state_ == StreamState::Closing) return;
  state_ = StreamState::Closing;
  stream_->Reset();
  stream_->Close();
}

void StreamSession::Closed() {
  stream_.reset();
  state_ = StreamState::Closed;
  queued_ = 0;
  ReleaseFlag();
}

void StreamSession::ReleaseFlag() {
  if (!holdsFlag_) return;
  holdsFlag_ = false;
  setPlaying_(false);
}

bool StreamSession::Abort() {
  if (!stream_ && state_ == StreamState::Closed) return false;
  stopRequested_ = true;
  if (stream_) {
    stream_->Reset();
    stream_->Close();
    stream_.reset();
  }
  state_ = StreamState::Closed;
  queued_ = 0;
  ReleaseFlag();
  return true;
}

}  // namespace nv
