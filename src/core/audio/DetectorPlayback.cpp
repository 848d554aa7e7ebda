#include "audio/DetectorPlayback.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "audio/AudioKeyRules.h"
#include "audio/OutputOpener.h"
#include "base/MessageSink.h"

namespace nv {
namespace {

std::string Format(const char* fmt, const std::string& s, double a, double b) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, s.c_str(), a, b);
  return buf;
}

}  // namespace

DetectorPlayback::DetectorPlayback(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                                   std::function<void(bool)> setPlaying, DetectorPlaybackView& view)
    : doc_(doc),
      backend_(backend),
      isPlaying_(std::move(isPlaying)),
      setPlaying_(std::move(setPlaying)),
      view_(view) {}

DetectorPlayback::~DetectorPlayback() { Abort(); }

double DetectorPlayback::SecondsOf(int64_t frame) const {
  return static_cast<double>(doc_.FramesToMicroseconds(frame)) / 1e6;
}

void DetectorPlayback::Play(const PlaybackRequest& r, const FilterDescription& filter, int k, int32_t hz) {
  if (isPlaying_() || Active()) return;
  if (doc_.FrameCount() <= 0) {
    ShowMessage("No sound to play.");
    return;
  }
  const int64_t length = doc_.FrameCount();
  if (r.selectionStart >= 0)
    Start(r.selectionStart, r.selectionEnd, "Playing selection", filter, k, hz);
  else if (r.cursor >= 0)
    Start(r.cursor, length, "Playing from cursor", filter, k, hz);
  else
    Start(r.firstVisible, length, "Playing", filter, k, hz);
}

bool DetectorPlayback::Start(int64_t start, int64_t end, const std::string& label, const FilterDescription& filter,
                             int k, int32_t hz) {
  if (start >= doc_.FrameCount() || start >= end) {
    view_.RefuseDetectorPlayback();
    return false;
  }
  // The sound is read through a mapping of its own, block by block.
  if (!mapping_.Map(doc_)) return false;
  start = std::max<int64_t>(start, 0);
  end = std::min<int64_t>(end, doc_.FrameCount());
  const DetectorStartResult started =
      stream_.Start(MakeDetectorRequest(doc_, mapping_.Samples(), start, end, k, hz), filter);
  if (started != DetectorStartResult::Started) {
    ReleaseSound();
    if (started == DetectorStartResult::EmptyRange) view_.RefuseDetectorPlayback();
    return false;
  }
  // The device in the document's own format (no play speed), or at a rate
  // it takes through the resampler.
  OpenedOutput opened = OpenOutput(backend_, device_, doc_.Format(), *this);
  out_ = std::move(opened.stream);
  resampling_ = opened.resampling;
  flushed_ = false;
  deviceFormat_ = opened.deviceFormat;
  if (out_ && resampling_ &&
      !resampler_.Init(doc_.Format().nChannels, doc_.Format().nSamplesPerSec, deviceFormat_.nSamplesPerSec)) {
    out_->Close();
    out_.reset();
  }
  if (!out_) {
    ReleaseSound();
    ShowMessage("Failed to open waveform output device.");
    return false;
  }
  out_->Pause();
  rateFactor_ = 0x10000;
  stopRequested_ = false;
  state_ = PlaybackState::Open;
  played_ = 0;
  queued_ = 0;
  endFrame_ = stream_.EndFrame();
  statusText_ = Format("%s %1.2f - %1.2f ", label, SecondsOf(stream_.FirstFrame()), SecondsOf(endFrame_));
  view_.ShowDetectorPlaybackStatus(statusText_);
  view_.MoveDetectorLine(stream_.FirstFrame());

  for (int i = 0; i < kBuffers; ++i) {
    blocks_[static_cast<size_t>(i)].resize(stream_.BlockBytes());
    FillBlock(i);
  }
  setPlaying_(true);
  if (queued_ > 0) {
    out_->Restart();
  } else {
    state_ = PlaybackState::Closing;
    out_->Close();
    view_.MoveDetectorLine(-1);
  }
  return true;
}

uint32_t DetectorPlayback::FillResampled(std::vector<uint8_t>& block) {
  const WaveFormatEx& f = doc_.Format();
  const int channels = f.nChannels;
  const size_t frameBytes = std::max<size_t>(f.nBlockAlign, 1);
  raw_.resize(stream_.BlockBytes());
  size_t out = 0;
  while (out == 0 && !flushed_) {
    const uint32_t bytes = stream_.FillBlock(raw_.data());
    const size_t frames = bytes / frameBytes;
    Resampler::Interleave(SampleSource(raw_.data(), static_cast<int64_t>(frames), f), inFrames_);
    const size_t room = resampler_.OutputRoom(frames);
    outFrames_.resize((out + room) * static_cast<size_t>(channels));
    out += resampler_.Process(inFrames_.data(), frames, outFrames_.data() + out * channels, room);
    if (bytes == 0 || stream_.Exhausted()) {
      const size_t tail = resampler_.OutputRoom(0);
      outFrames_.resize((out + tail) * static_cast<size_t>(channels));
      out += resampler_.Flush(outFrames_.data() + out * channels, tail);
      flushed_ = true;
    }
  }
  block.resize(out * static_cast<size_t>(deviceFormat_.nBlockAlign));
  Resampler::Store(outFrames_.data(), out * static_cast<size_t>(channels), deviceFormat_.wBitsPerSample, block.data());
  return static_cast<uint32_t>(block.size());
}

void DetectorPlayback::FillBlock(int i) {
  WaveHeader& h = headers_[static_cast<size_t>(i)];
  h.flags = 0;
  std::vector<uint8_t>& block = blocks_[static_cast<size_t>(i)];
  const uint32_t bytes = resampling_ ? FillResampled(block) : stream_.FillBlock(block.data());
  if (bytes == 0) return;
  h.data = block.data();
  h.bufferLength = bytes;
  h.bytesRecorded = 0;
  h.user = static_cast<uintptr_t>(i);
  h.loops = 0;
  if (!out_->Write(&h)) {
    ShowMessage("Failed to write block to device");
    return;
  }
  ++queued_;
}

void DetectorPlayback::OnStreamOpened() {
  if (out_ && state_ == PlaybackState::Idle) state_ = PlaybackState::Open;
}

void DetectorPlayback::OnBlockDone(WaveHeader* block) {
  ++played_;
  --queued_;
  if (state_ == PlaybackState::Closing || !out_) return;
  if (out_->Lost()) stopRequested_ = true;
  view_.MoveDetectorLine(std::min(stream_.PositionAfter(played_), endFrame_));
  view_.ShowDetectorLineStatus();
  const int i = block ? static_cast<int>(block->user) : -1;
  if (!stopRequested_ && i >= 0 && i < kBuffers) FillBlock(i);
  // Every block of the range heard, a stop, or nothing left in the device.
  if ((stream_.Exhausted() && queued_ <= 0) || stopRequested_ || queued_ <= 0) EndPlayback();
}

void DetectorPlayback::EndPlayback() {
  view_.ShowDetectorPlaybackStatus("End of play");
  out_->Reset();
  if (state_ != PlaybackState::Closing) {
    state_ = PlaybackState::Closing;
    out_->Close();
    view_.MoveDetectorLine(-1);
  }
}

void DetectorPlayback::OnStreamClosed() {
  setPlaying_(false);
  state_ = PlaybackState::Idle;
  out_.reset();
  queued_ = 0;
  ReleaseSound();
  view_.DetectorPlaybackClosed();
}

void DetectorPlayback::Stop() {
  if (state_ == PlaybackState::Idle || !out_) return;
  stopRequested_ = true;
  if (queued_ <= 0) {
    if (state_ != PlaybackState::Closing) EndPlayback();
    return;
  }
  out_->Reset();
}

void DetectorPlayback::Abort() {
  if (!out_ && state_ == PlaybackState::Idle) {
    ReleaseSound();
    return;
  }
  if (out_) {
    out_->Reset();
    out_->Close();
    out_.reset();
  }
  state_ = PlaybackState::Idle;
  setPlaying_(false);
  queued_ = 0;
  ReleaseSound();
}

void DetectorPlayback::ReleaseSound() { mapping_.Release(); }

KeyOutcome DetectorPlayback::RateDown() {
  if (state_ != PlaybackState::Open || !out_) return KeyOutcome::NotPlaying;
  uint32_t next = 0;
  if (!HalvedRate(rateFactor_, next)) return KeyOutcome::Unchanged;
  return ApplyRate(next);
}

KeyOutcome DetectorPlayback::RateUp() {
  if (state_ != PlaybackState::Open || !out_) return KeyOutcome::NotPlaying;
  uint32_t next = 0;
  if (!DoubledRate(rateFactor_, next)) return KeyOutcome::Unchanged;
  return ApplyRate(next);
}

KeyOutcome DetectorPlayback::VolumeUp() { return ApplyVolume(true); }

KeyOutcome DetectorPlayback::VolumeDown() { return ApplyVolume(false); }

KeyOutcome DetectorPlayback::ApplyVolume(bool up) {
  if (state_ != PlaybackState::Open || !out_) return KeyOutcome::NotPlaying;
  return StepVolume(*out_, up) ? KeyOutcome::Changed : KeyOutcome::Refused;
}

KeyOutcome DetectorPlayback::ApplyRate(uint32_t next) {
  if (!out_->SetPlaybackRate(next)) return KeyOutcome::Refused;
  rateFactor_ = next;
  return KeyOutcome::Changed;
}

}  // namespace nv
