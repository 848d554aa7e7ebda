#include "audio/PlaybackEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/AudioKeyRules.h"
#include "audio/OutputOpener.h"
#include "audio/PlaySpeed.h"
#include "base/MessageSink.h"
#include "base/SampleSource.h"

namespace nv {

namespace {

// Said once when the output device fails or vanishes during a playback,
// after the playback has ended.
const char* const kDeviceLostMessage = "Playback stopped: the sound output device failed or was removed.";

std::string Format(const char* fmt, const std::string& s, double a, double b = 0) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, s.c_str(), a, b);
  return buf;
}

}  // namespace

PlaybackEngine::PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, bool& playingFlag, PlaybackView& view)
    : PlaybackEngine(
          doc, backend, [&playingFlag] { return playingFlag; }, [&playingFlag](bool p) { playingFlag = p; }, view) {}

PlaybackEngine::PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                               std::function<void(bool)> setPlaying, PlaybackView& view)
    : doc_(doc),
      backend_(backend),
      view_(view),
      workFile_(doc),
      source_(workFile_),
      session_(std::move(isPlaying), std::move(setPlaying)) {}

PlaybackEngine::PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                               std::function<void(bool)> setPlaying, PlaybackView& view, PlaybackSource& source)
    : doc_(doc),
      backend_(backend),
      view_(view),
      workFile_(doc),
      source_(source),
      session_(std::move(isPlaying), std::move(setPlaying)) {}

PlaybackEngine::~PlaybackEngine() { Abort(); }

PlaybackState PlaybackEngine::State() const {
  switch (session_.State()) {
    case StreamState::Closed: return PlaybackState::Idle;
    case StreamState::Closing: return PlaybackState::Closing;
    default: return PlaybackState::Open;
  }
}

double PlaybackEngine::SecondsOf(int64_t frame) const {
  return static_cast<double>(doc_.FramesToMicroseconds(frame)) / 1e6;
}

void PlaybackEngine::Play(const PlaybackRequest& r) {
  if (session_.Busy()) return;
  if (doc_.FrameCount() <= 0 || doc_.LastBufferIndex() < 0) {
    ShowMessage("No sound to play.");
    return;
  }
  const int64_t length = doc_.FrameCount();
  if (r.selectionStart >= 0)
    Start(r.selectionStart, r.selectionEnd, "Playing selection");
  else if (r.cursor >= 0)
    Start(r.cursor, length, "Playing from cursor");
  else
    Start(r.firstVisible, length, "Playing");
}

bool PlaybackEngine::OpenDevice(const WaveFormatEx& wanted) {
  OpenedOutput opened = OpenOutput(backend_, device_, wanted, *this);
  resampling_ = opened.resampling;
  if (opened.stream) deviceFormat_ = opened.deviceFormat;
  session_.Opened(std::move(opened.stream));
  return session_.Active();
}

bool PlaybackEngine::SetUpResampler(double ownFactor) {
  const double in = static_cast<double>(sourceRateHz_) * ownFactor;
  const double out = deviceFormat_.nSamplesPerSec;
  if (!(in > 0) || out / in > kMaxResampleRatio || in / out > kMaxResampleRatio) return false;
  if (!resampler_.Init(doc_.Format().nChannels, in, out)) return false;
  return true;
}

bool PlaybackEngine::OpenForStart() {
  WaveFormatEx fmt = doc_.Format();
  sourceRateHz_ = PlaybackRateHz(fmt.nSamplesPerSec, source_.Speed());
  fmt.SetFormat(fmt.nChannels, fmt.wBitsPerSample, sourceRateHz_);
  if (sourceRateHz_ == 0) fmt.nSamplesPerSec = 0;
  ownRate_ = false;
  ownFactor_ = 1.0;
  rateFactor_ = deviceFactor_ = 0x10000;
  if (OpenDevice(fmt) && (!resampling_ || SetUpResampler(1.0))) return true;
  session_.Abort();
  ShowMessage("Failed to open waveform output device.");
  return false;
}

bool PlaybackEngine::Start(int64_t start, int64_t end, const std::string& label) {
  if (session_.Active()) return false;
  if (start >= doc_.FrameCount() || start >= end) {
    view_.Beep();
    return false;
  }
  doc_.RecomputeBufferSize();
  blockBytes_ = doc_.BufferSize();
  // No device holds the blocks now: they take this document's block size and
  // keep it until this playback's device has closed, whatever other
  // documents are opened or made meanwhile.
  if (buffers_.BlockSize() != blockBytes_ && !buffers_.Allocate(blockBytes_)) {
    ShowMessage("Out of memory.");
    return false;
  }
  start = std::max<int64_t>(start, 0);
  end = std::min<int64_t>(end, doc_.FrameCount());
  if (end < start) std::swap(start, end);
  switch (source_.Begin(start, end, blockBytes_)) {
    case SourceStart::Started: break;
    case SourceStart::EmptyRange: view_.Beep(); return false;
    case SourceStart::Refused: return false;
  }
  if (!OpenForStart()) {
    source_.End();
    return false;
  }
  session_.Stream()->Pause();
  read_ = 0;
  end_ = PlaybackEnd::Finished;
  inFlight_.clear();
  deviceBytesWritten_ = 0;

  statusText_ = Format("%s %1.2f - %1.2f ", label, SecondsOf(start), SecondsOf(end));
  view_.ShowPlaybackStatus(statusText_);
  view_.SetPlaybackCursor(start);

  frameBytes_ = std::max<int>(1, doc_.Format().nBlockAlign);
  const int64_t fileBytes = doc_.WorkFile().Size();
  startBytes_ = std::clamp<int64_t>(start * frameBytes_, 0, fileBytes);
  endBytes_ = std::clamp<int64_t>(end * frameBytes_, 0, fileBytes);
  endFrame_ = endBytes_ / frameBytes_;
  soundBytesPerBlock_ = source_.SoundBytesPerBlock();

  // Through the resampler a slow speed makes each block long (2 s at 1/32):
  // enough blocks for two seconds ahead, at least four, are queued, so that
  // the start converts little and a rate change in our own layer is heard
  // soon.
  int inUse = blocksInUse_;
  if (resampling_ && doc_.Format().nAvgBytesPerSec > 0 && source_.Speed() > 0) {
    const double blockSeconds =
        static_cast<double>(blockBytes_) / (doc_.Format().nAvgBytesPerSec * source_.Speed());
    inUse = std::clamp(static_cast<int>(std::ceil(2.0 / blockSeconds)), std::min(4, blocksInUse_), blocksInUse_);
  }
  for (int i = 0; i < inUse; ++i) FillBlock(i);
  if (!session_.Launch()) {
    if (session_.DeviceLost()) end_ = PlaybackEnd::DeviceLost;
    session_.Close();
    view_.SetPlaybackCursor(-1);
  }
  return true;
}

void PlaybackEngine::FillBlock(int i) {
  const int64_t k = ++read_;
  WaveHeader& src = buffers_.Header(i);
  src.flags = 0;
  const int64_t offset = startBytes_ + (k - 1) * soundBytesPerBlock_;
  // A block that would start at or after the end holds nothing of the range.
  if (offset >= endBytes_) return;
  const int64_t n = source_.Fill(offset, src.data);
  if (n <= 0) {
    endBytes_ = offset - 1;
    return;
  }
  // The sound behind the block: all of it, less at the end of the sound.
  const int64_t soundBytes = n * (soundBytesPerBlock_ / blockBytes_);
  WaveHeader* block = &src;
  if (resampling_) {
    const bool last = n < static_cast<int64_t>(blockBytes_) || offset + soundBytesPerBlock_ >= endBytes_;
    ConvertBlock(i, src.data, n, last);
    block = &outHeaders_[static_cast<size_t>(i)];
  } else {
    src.bufferLength = static_cast<uint32_t>(n);
  }
  block->user = static_cast<uintptr_t>(i);
  block->flags = 0;
  block->loops = 0;
  if (!session_.Queue(block)) {
    // A device that has gone refuses every block: that is said once, when
    // the playback has ended.
    if (!session_.DeviceLost()) ShowMessage("Failed to write block to device");
    return;
  }
  deviceBytesWritten_ += block->bufferLength;
  inFlight_.push_back({deviceBytesWritten_, block->bufferLength, offset, offset + soundBytes});
}

void PlaybackEngine::ConvertBlock(int i, const uint8_t* src, int64_t n, bool last) {
  const WaveFormatEx& df = doc_.Format();
  const int channels = df.nChannels;
  const int64_t frames = n / frameBytes_;
  Resampler::Interleave(SampleSource(src, frames, df), inFrames_);
  const size_t room = resampler_.OutputRoom(static_cast<size_t>(frames));
  outFrames_.resize(room * static_cast<size_t>(channels));
  size_t made = resampler_.Process(inFrames_.data(), static_cast<size_t>(frames), outFrames_.data(), room);
  if (last) made += resampler_.Flush(outFrames_.data() + made * static_cast<size_t>(channels), room - made);

  const int bits = deviceFormat_.wBitsPerSample;
  const size_t outBytes = made * static_cast<size_t>(deviceFormat_.nBlockAlign);
  std::vector<uint8_t>& out = outBlocks_[static_cast<size_t>(i)];
  if (out.size() < outBytes) out.resize(outBytes);
  Resampler::Store(outFrames_.data(), made * static_cast<size_t>(channels), bits, out.data());
  WaveHeader& h = outHeaders_[static_cast<size_t>(i)];
  h.data = out.data();
  h.bufferLength = static_cast<uint32_t>(outBytes);
  h.bytesRecorded = 0;
}

void PlaybackEngine::OnBlockDone(WaveHeader* block) {
  if (!inFlight_.empty()) inFlight_.pop_front();
  // Blocks handed back after the end only come home.
  if (!session_.BlockBack()) return;
  const int64_t reached = startBytes_ + session_.BlocksBack() * soundBytesPerBlock_;
  const int64_t position = std::min<int64_t>(reached / frameBytes_, endFrame_);
  view_.ShowPlaybackProgress(position, Format("%s current: %1.2f", statusText_, SecondsOf(position)));
  const int i = block ? static_cast<int>(block->user) : 0;
  if (!session_.StopRequested() && i >= 0 && i < TransferBuffers::kCount) FillBlock(i);
  // The end of the range, a stop, or nothing left in the device (every
  // further block failed to write): the playback is over.
  if (reached >= endBytes_ || session_.StopRequested() || session_.Queued() <= 0) EndPlayback();
}

void PlaybackEngine::EndPlayback() {
  end_ = session_.DeviceLost()      ? PlaybackEnd::DeviceLost
         : session_.StopRequested() ? PlaybackEnd::Stopped
                                    : PlaybackEnd::Finished;
  view_.ShowPlaybackEnd(end_);
  session_.Close();
  view_.SetPlaybackCursor(-1);
}

void PlaybackEngine::OnStreamClosed() {
  session_.Closed();
  inFlight_.clear();
  source_.End();
  view_.PlaybackClosed();
  // Told only now, with the playback over and the view usable again: a
  // message that waits for the user must not hold a playback half ended.
  if (end_ == PlaybackEnd::DeviceLost) ShowMessage(kDeviceLostMessage);
}

void PlaybackEngine::Stop() {
  if (!session_.Active()) return;
  // With nothing in the device, nothing will come back to end it.
  if (!session_.RequestStop() && !session_.Closing()) EndPlayback();
}

void PlaybackEngine::Abort() {
  session_.Abort();
  inFlight_.clear();
  source_.End();
}

bool PlaybackEngine::LeftVolume(uint16_t& v) {
  uint32_t word = 0;
  if (State() != PlaybackState::Open || !session_.Stream()->GetVolume(word)) return false;
  v = static_cast<uint16_t>(word & 0xFFFF);
  return true;
}

KeyOutcome PlaybackEngine::StepVolumeKey(bool up) {
  if (State() != PlaybackState::Open) return KeyOutcome::NotPlaying;
  return StepVolume(*session_.Stream(), up) ? KeyOutcome::Changed : KeyOutcome::Refused;
}

KeyOutcome PlaybackEngine::VolumeUp() { return StepVolumeKey(true); }

KeyOutcome PlaybackEngine::VolumeDown() { return StepVolumeKey(false); }

KeyOutcome PlaybackEngine::RateDown() {
  if (State() != PlaybackState::Open) return KeyOutcome::NotPlaying;
  uint32_t next = 0;
  if (!HalvedRate(rateFactor_, next)) return KeyOutcome::Unchanged;
  return ApplyRate(next);
}

KeyOutcome PlaybackEngine::RateUp() {
  if (State() != PlaybackState::Open) return KeyOutcome::NotPlaying;
  uint32_t next = 0;
  if (!DoubledRate(rateFactor_, next)) return KeyOutcome::Unchanged;
  return ApplyRate(next);
}

KeyOutcome PlaybackEngine::ApplyRate(uint32_t next) {
  // The device changes its rate when it can; otherwise (or once our own
  // layer has taken over) the resampler does, from the next block on.
  if (!ownRate_ && session_.Stream()->SetPlaybackRate(next)) {
    deviceFactor_ = rateFactor_ = next;
    return KeyOutcome::Changed;
  }
  const double factor = static_cast<double>(next) / deviceFactor_;
  if (!SetUpResampler(factor)) {
    // Keep the resampler of the current rate when one was running.
    if (resampling_) SetUpResampler(ownFactor_);
    return KeyOutcome::Refused;
  }
  ownRate_ = resampling_ = true;
  ownFactor_ = factor;
  rateFactor_ = next;
  return KeyOutcome::Changed;
}

int64_t PlaybackEngine::HeardFrame() {
  if (State() != PlaybackState::Open) return -1;
  if (inFlight_.empty()) return std::min<int64_t>(endBytes_ / frameBytes_, endFrame_);
  const QueuedBlock& b = inFlight_.front();
  const int64_t heard = session_.Stream()->PlayedBytes();
  const int64_t begin = b.deviceEnd - b.deviceBytes;
  double t = b.deviceBytes ? static_cast<double>(heard - begin) / b.deviceBytes : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const int64_t bytes = b.sourceStart + static_cast<int64_t>(t * static_cast<double>(b.sourceEnd - b.sourceStart));
  return std::min<int64_t>(bytes / frameBytes_, endFrame_);
}

}  // namespace nv
