#include "audio/pulse/PulseAudioStream.h"

#include <algorithm>
#include <cstring>

#include "audio/InputBlockFill.h"
#include "audio/pulse/PulseWait.h"

namespace nv {

namespace {

constexpr pa_usec_t kTimingPeriodUs = 20000;
constexpr pa_usec_t kServerLatencyUs = 200000;  // what we ask the server to buffer
constexpr pa_usec_t kConnectTimeoutUs = 5000000;
// Recorded sound that may wait for blocks: far more than any source's
// latency, so that only an interface thread held up for this long loses any.
constexpr pa_usec_t kMaxWaitingUs = 30000000;

void Unref(pa_operation* o) {
  if (o) pa_operation_unref(o);
}

}  // namespace

PulseAudioStream::PulseAudioStream(pa_threaded_mainloop* loop, pa_context* context, StreamDirection dir,
                                   const WaveFormatEx& format, AudioStreamListener& listener,
                                   AudioExecutor& executor)
    : loop_(loop),
      context_(context),
      dir_(dir),
      format_(format),
      listener_(listener),
      executor_(executor),
      alive_(std::make_shared<bool>(true)) {}

std::unique_ptr<PulseAudioStream> PulseAudioStream::Connect(pa_threaded_mainloop* loop, pa_context* context,
                                                            StreamDirection dir, const char* device,
                                                            const WaveFormatEx& format,
                                                            AudioStreamListener& listener,
                                                            AudioExecutor& executor, OpenStatus& status) {
  pa_sample_spec ss;
  ss.format = format.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
  ss.channels = static_cast<uint8_t>(format.nChannels);
  ss.rate = format.nSamplesPerSec;
  if ((format.wBitsPerSample != 8 && format.wBitsPerSample != 16) || !pa_sample_spec_valid(&ss)) {
    status = OpenStatus::FormatRefused;
    return nullptr;
  }
  std::unique_ptr<PulseAudioStream> p(new PulseAudioStream(loop, context, dir, format, listener, executor));
  p->spec_ = ss;
  PulseAudioStream* self = p.get();
  LoopLock lock(loop);
  if (pa_context_get_state(context) != PA_CONTEXT_READY) {
    status = OpenStatus::Failed;
    return nullptr;
  }
  pa_channel_map map;
  pa_channel_map_init_extend(&map, ss.channels, PA_CHANNEL_MAP_DEFAULT);
  p->stream_ = pa_stream_new(context, "Norvane", &ss, &map);
  if (!p->stream_) {
    status = pa_context_errno(context) == PA_ERR_INVALID ? OpenStatus::FormatRefused : OpenStatus::Failed;
    return nullptr;
  }
  pa_stream_set_state_callback(p->stream_, OnState, self);
  pa_buffer_attr attr;
  std::memset(&attr, 0xff, sizeof attr);
  int r;
  if (dir == StreamDirection::Output) {
    pa_stream_set_write_callback(p->stream_, OnWritable, self);
    pa_stream_set_underflow_callback(p->stream_, OnUnderflow, self);
    pa_stream_set_started_callback(p->stream_, OnStarted, self);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kServerLatencyUs, &ss));
    r = pa_stream_connect_playback(
        p->stream_, device, &attr,
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_VARIABLE_RATE | PA_STREAM_ADJUST_LATENCY),
        nullptr, nullptr);
  } else {
    pa_stream_set_read_callback(p->stream_, OnReadable, self);
    p->maxWaiting_ = pa_usec_to_bytes(kMaxWaitingUs, &ss);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kServerLatencyUs / 2, &ss));
    r = pa_stream_connect_record(p->stream_, device, &attr,
                                 static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY));
  }
  pa_stream* s = p->stream_;
  const bool ready = r >= 0 && WaitForPulse(
                                   loop,
                                   [s] {
                                     const pa_stream_state_t st = pa_stream_get_state(s);
                                     return st == PA_STREAM_READY || st == PA_STREAM_FAILED ||
                                            st == PA_STREAM_TERMINATED;
                                   },
                                   kConnectTimeoutUs) &&
                     pa_stream_get_state(s) == PA_STREAM_READY;
  if (!ready) {
    // The server answers but would not make this stream: take it as the
    // format refused (servers differ in the error they give for a rate
    // they do not take), unless the device is not there at all.
    const int err = pa_context_errno(context);
    status = pa_context_get_state(context) == PA_CONTEXT_READY && err != PA_ERR_NOENTITY && err != PA_ERR_TIMEOUT
                 ? OpenStatus::FormatRefused
                 : OpenStatus::Failed;
    p->Release();
    return nullptr;
  }
  if (dir == StreamDirection::Output)
    p->timer_ = pa_context_rttime_new(context, pa_rtclock_now() + kTimingPeriodUs, OnTimer, self);
  status = OpenStatus::Opened;
  std::shared_ptr<bool> alive = p->alive_;
  AudioStreamListener* l = &listener;
  executor.Post([alive, l] {
    if (*alive) l->OnStreamOpened();
  });
  return p;
}

PulseAudioStream::~PulseAudioStream() {
  {
    LoopLock lock(loop_);
    Release();
    blocks_.clear();
  }
  *alive_ = false;
}

void PulseAudioStream::Release() {
  if (timing_) {
    // Its callback must not reach this object any more.
    pa_operation_cancel(timing_);
    pa_operation_unref(timing_);
    timing_ = nullptr;
  }
  if (timer_) {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    api->time_free(timer_);
    timer_ = nullptr;
  }
  if (stream_) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    pa_stream_set_started_callback(stream_, nullptr, nullptr);
    if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
}

void PulseAudioStream::PostBlock(WaveHeader* block) {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l, block] {
    if (*alive) l->OnBlockDone(block);
  });
}

void PulseAudioStream::PostOverrun(int64_t bytes) {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l, bytes] {
    if (*alive) l->OnOverrun(bytes);
  });
}

void PulseAudioStream::PostClosed() {
  std::shared_ptr<bool> alive = alive_;
  AudioStreamListener* l = &listener_;
  executor_.Post([alive, l] {
    if (*alive) l->OnStreamClosed();
  });
}

void PulseAudioStream::OnState(pa_stream* s, void* p) {
  PulseAudioStream* self = static_cast<PulseAudioStream*>(p);
  pa_threaded_mainloop_signal(self->loop_, 0);
  const pa_stream_state_t st = pa_stream_get_state(s);
  if ((st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED) && !self->closed_) self->MarkLost();
}

void PulseAudioStream::MarkLost() {
  if (lost_) return;
  lost_ = true;
  running_ = false;
  ReturnAll();
}

void PulseAudioStream::ReturnAll() {
  for (const Entry& e : blocks_) PostBlock(e.block);
  blocks_.clear();
  std::vector<uint8_t>().swap(waiting_);
  waitingAt_ = 0;
  firstUnhanded_ = 0;
  heard_ = written_;
}

void PulseAudioStream::Trigger() {
  if (stream_ && running_ && !started_ && written_ > heard_) Unref(pa_stream_trigger(stream_, nullptr, nullptr));
}

void PulseAudioStream::Feed() {
  if (!stream_ || dir_ != StreamDirection::Output || lost_ || reset_) return;
  size_t room = pa_stream_writable_size(stream_);
  bool fed = false;
  while (room > 0 && room != static_cast<size_t>(-1) && firstUnhanded_ < blocks_.size()) {
    Entry& e = blocks_[firstUnhanded_];
    const size_t left = e.block->bufferLength - e.handed;
    const size_t n = std::min(left, room);
    if (n > 0) {
      if (pa_stream_write(stream_, e.block->data + e.handed, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
      e.handed += static_cast<uint32_t>(n);
      written_ += static_cast<int64_t>(n);
      room -= n;
      fed = true;
    }
    if (e.handed == e.block->bufferLength) ++firstUnhanded_;
  }
  if (fed) {
    drainStart_ = 0;
    Trigger();
  }
}

void PulseAudioStream::OnWritable(pa_stream*, size_t, void* p) { static_cast<PulseAudioStream*>(p)->Feed(); }

void PulseAudioStream::OnUnderflow(pa_stream*, void* p) { static_cast<PulseAudioStream*>(p)->started_ = false; }

void PulseAudioStream::OnStarted(pa_stream*, void* p) { static_cast<PulseAudioStream*>(p)->started_ = true; }

void PulseAudioStream::OnReadable(pa_stream* s, size_t, void* p) {
  PulseAudioStream* self = static_cast<PulseAudioStream*>(p);
  while (pa_stream_readable_size(s) > 0) {
    const void* data = nullptr;
    size_t n = 0;
    if (pa_stream_peek(s, &data, &n) < 0 || n == 0) break;
    if (self->running_ && !self->reset_) {
      // A hole in the recording (data null): the server lost that much; it
      // becomes silence, so that what follows keeps its time.
      if (!data) self->PostOverrun(static_cast<int64_t>(n));
      self->TakeInput(static_cast<const uint8_t*>(data), n);
    }
    pa_stream_drop(s);
  }
}

size_t PulseAudioStream::FillBlocks(const uint8_t* src, size_t n) {
  const uint8_t silence = format_.wBitsPerSample == 8 ? 0x80 : 0;
  return FillInputBlocks(
      blocks_, [](const Entry& e) { return e.block; }, src, n, silence, heard_,
      [this](WaveHeader* b) { PostBlock(b); });
}

void PulseAudioStream::FillFromWaiting() {
  if (waitingAt_ >= waiting_.size()) return;
  waitingAt_ += FillBlocks(waiting_.data() + waitingAt_, waiting_.size() - waitingAt_);
  if (waitingAt_ >= waiting_.size()) {
    waiting_.clear();
    waitingAt_ = 0;
  } else if (waitingAt_ >= (1u << 20) && waitingAt_ * 2 >= waiting_.size()) {
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(waitingAt_));
    waitingAt_ = 0;
  }
}

void PulseAudioStream::TakeInput(const uint8_t* src, size_t n) {
  // What waits is older: it goes first.
  FillFromWaiting();
  size_t at = waitingAt_ >= waiting_.size() ? FillBlocks(src, n) : 0;
  if (at == n) return;
  const size_t held = waiting_.size() - waitingAt_;
  const size_t room = maxWaiting_ > held ? maxWaiting_ - held : 0;
  const size_t keep = std::min(room, n - at);
  if (src)
    waiting_.insert(waiting_.end(), src + at, src + at + keep);
  else
    waiting_.insert(waiting_.end(), keep, format_.wBitsPerSample == 8 ? 0x80 : 0);
  if (keep < n - at) PostOverrun(static_cast<int64_t>(n - at - keep));
}

void PulseAudioStream::OnTimer(pa_mainloop_api*, pa_time_event* e, const struct timeval*, void* p) {
  PulseAudioStream* self = static_cast<PulseAudioStream*>(p);
  if (self->stream_ && !self->timing_ && pa_stream_get_state(self->stream_) == PA_STREAM_READY && !self->lost_)
    self->timing_ = pa_stream_update_timing_info(self->stream_, OnTiming, self);
  pa_context_rttime_restart(self->context_, e, pa_rtclock_now() + kTimingPeriodUs);
}

void PulseAudioStream::OnTiming(pa_stream*, int success, void* p) {
  PulseAudioStream* self = static_cast<PulseAudioStream*>(p);
  if (self->timing_) {
    pa_operation_unref(self->timing_);
    self->timing_ = nullptr;
  }
  if (!success || !self->stream_) return;
  self->UpdateHeard();
  self->ReturnDone();
}

void PulseAudioStream::UpdateHeard() {
  const pa_timing_info* ti = pa_stream_get_timing_info(stream_);
  if (!ti || ti->read_index_corrupt) return;
  const int64_t read = ti->read_index;
  int64_t heard;
  if (read >= written_) {
    // The server has everything; what it read last is heard once the sink's
    // latency at that moment has passed.
    const pa_usec_t now = pa_rtclock_now();
    if (!drainStart_) {
      drainStart_ = now;
      drainLatency_ = ti->sink_usec;
    }
    const pa_usec_t passed = now - drainStart_;
    const pa_usec_t remaining = passed >= drainLatency_ ? 0 : drainLatency_ - passed;
    heard = written_ - static_cast<int64_t>(pa_usec_to_bytes(remaining, &spec_));
  } else {
    drainStart_ = 0;
    heard = read - static_cast<int64_t>(pa_usec_to_bytes(ti->sink_usec, &spec_));
  }
  heard_ = std::clamp<int64_t>(std::max(heard_, heard), 0, written_);
}

void PulseAudioStream::ReturnDone() {
  while (!blocks_.empty() && firstUnhanded_ > 0 && blocks_.front().end <= heard_) {
    PostBlock(blocks_.front().block);
    blocks_.pop_front();
    --firstUnhanded_;
  }
  // Empty blocks behind the heard position come back too.
  while (!blocks_.empty() && blocks_.front().block->bufferLength == 0 && blocks_.front().end <= heard_) {
    PostBlock(blocks_.front().block);
    blocks_.pop_front();
    if (firstUnhanded_ > 0) --firstUnhanded_;
  }
}

bool PulseAudioStream::Write(WaveHeader* block) {
  if (!block) return false;
  LoopLock lock(loop_);
  if (!stream_ || closed_ || lost_ || reset_) return false;
  block->bytesRecorded = 0;
  if (dir_ == StreamDirection::Output) {
    queuedEnd_ += block->bufferLength;
    blocks_.push_back({block, queuedEnd_, 0});
    Feed();
  } else {
    blocks_.push_back({block, 0, 0});
    // Sound recorded while no block was queued fills this one first.
    FillFromWaiting();
  }
  return true;
}

void PulseAudioStream::Pause() {
  LoopLock lock(loop_);
  if (!stream_ || lost_) return;
  running_ = false;
  Unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
}

void PulseAudioStream::Restart() {
  LoopLock lock(loop_);
  if (!stream_ || lost_ || closed_) return;
  running_ = true;
  Unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
  started_ = false;
  Feed();
  Trigger();
}

void PulseAudioStream::Reset() {
  LoopLock lock(loop_);
  if (stream_ && !lost_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
    Unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
    if (dir_ == StreamDirection::Output) Unref(pa_stream_flush(stream_, nullptr, nullptr));
  }
  running_ = false;
  reset_ = true;
  ReturnAll();
}

void PulseAudioStream::Close() {
  {
    LoopLock lock(loop_);
    if (closed_) return;
    closed_ = true;
    running_ = false;
    reset_ = true;
    ReturnAll();
    Release();
  }
  PostClosed();
}

bool PulseAudioStream::GetVolume(uint32_t& v) {
  LoopLock lock(loop_);
  if (!stream_ || lost_ || dir_ != StreamDirection::Output) return false;
  v = volume_;
  return true;
}

bool PulseAudioStream::SetVolume(uint32_t v) {
  LoopLock lock(loop_);
  if (!stream_ || lost_ || dir_ != StreamDirection::Output) return false;
  pa_cvolume cv;
  pa_cvolume_init(&cv);
  cv.channels = spec_.channels;
  cv.values[0] = pa_sw_volume_from_linear((v & 0xFFFF) / 65535.0);
  if (cv.channels > 1) cv.values[1] = pa_sw_volume_from_linear((v >> 16) / 65535.0);
  pa_operation* o = pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_), &cv, nullptr, nullptr);
  if (!o) return false;
  pa_operation_unref(o);
  volume_ = v;
  return true;
}

bool PulseAudioStream::GetPlaybackRate(uint32_t& f) {
  LoopLock lock(loop_);
  if (!stream_ || lost_ || dir_ != StreamDirection::Output) return false;
  f = rate_;
  return true;
}

bool PulseAudioStream::SetPlaybackRate(uint32_t f) {
  LoopLock lock(loop_);
  if (!stream_ || lost_ || dir_ != StreamDirection::Output || f == 0) return false;
  const uint64_t rate = (static_cast<uint64_t>(format_.nSamplesPerSec) * f) >> 16;
  if (rate < 1 || rate > PA_RATE_MAX) return false;
  pa_operation* o = pa_stream_update_sample_rate(stream_, static_cast<uint32_t>(rate), nullptr, nullptr);
  if (!o) return false;
  pa_operation_unref(o);
  spec_.rate = static_cast<uint32_t>(rate);
  rate_ = f;
  return true;
}

int64_t PulseAudioStream::PlayedBytes() {
  LoopLock lock(loop_);
  return heard_;
}

bool PulseAudioStream::Lost() const {
  LoopLock lock(loop_);
  return lost_;
}

}  // namespace nv
