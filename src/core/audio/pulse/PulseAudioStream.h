#pragma once
// One stream on the sound server (PulseAudio, or PipeWire through its
// PulseAudio interface), made by PulseAudioBackend; the AudioStream contract
// holds (interface thread only; notifications through the executor).
//
// Output: blocks are handed to the server as it asks for data. A timer of
// the server connection's event thread asks for the stream's timing every
// 20 ms; a block is done when the server has read it and its sink latency
// has passed, so it has been heard. The rate keys change the rate in the
// server (a variable-rate stream) within what the server takes.
// Input: the recorded bytes fill the queued blocks in order; a full block
// comes back with bytesRecorded set. The server may hand over seconds of
// sound at once (a source with a long latency does), more than the queued
// blocks hold: the rest waits here, in order, and fills the blocks as they
// are queued again, so nothing is dropped or reordered. A hole the server
// reports becomes silence of its length; it, and sound beyond what may wait
// (kMaxWaitingUs), are reported as overruns.
//
// The server's event thread and the interface thread share this object's
// state under the event loop's lock.
#include <pulse/pulseaudio.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/AudioExecutor.h"

namespace nv {

class PulseAudioStream : public AudioStream {
 public:
  // Creates and connects the stream; null with `status` set on failure.
  static std::unique_ptr<PulseAudioStream> Connect(pa_threaded_mainloop* loop, pa_context* context,
                                                   StreamDirection dir, const char* device,
                                                   const WaveFormatEx& format, AudioStreamListener& listener,
                                                   AudioExecutor& executor, OpenStatus& status);
  ~PulseAudioStream() override;

  const WaveFormatEx& Format() const override { return format_; }
  bool Write(WaveHeader* block) override;
  void Pause() override;
  void Restart() override;
  void Reset() override;
  void Close() override;
  bool GetVolume(uint32_t& leftRight) override;
  bool SetVolume(uint32_t leftRight) override;
  bool GetPlaybackRate(uint32_t& factor) override;
  bool SetPlaybackRate(uint32_t factor) override;
  int64_t PlayedBytes() override;
  bool Lost() const override;

 private:
  struct Entry {
    WaveHeader* block;
    int64_t end;     // stream position of the block's end (output)
    uint32_t handed; // bytes given to the server (output)
  };

  PulseAudioStream(pa_threaded_mainloop* loop, pa_context* context, StreamDirection dir,
                   const WaveFormatEx& format, AudioStreamListener& listener, AudioExecutor& executor);

  // Event thread (or the interface thread with the loop locked).
  static void OnState(pa_stream* s, void* self);
  static void OnWritable(pa_stream* s, size_t bytes, void* self);
  static void OnReadable(pa_stream* s, size_t bytes, void* self);
  static void OnUnderflow(pa_stream* s, void* self);
  static void OnStarted(pa_stream* s, void* self);
  static void OnTimer(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);
  static void OnTiming(pa_stream* s, int success, void* self);
  void Feed();
  void UpdateHeard();
  void ReturnDone();
  void ReturnAll();
  void MarkLost();
  void PostBlock(WaveHeader* block);
  void PostOverrun(int64_t bytes);
  // Input: takes recorded bytes (null: silence) in order, after any that wait.
  void TakeInput(const uint8_t* src, size_t n);
  // Input: copies into the queued blocks, returning full ones; bytes used.
  size_t FillBlocks(const uint8_t* src, size_t n);
  void FillFromWaiting();
  void PostClosed();
  void Trigger();
  void Release();

  pa_threaded_mainloop* loop_;
  pa_context* context_;
  pa_stream* stream_ = nullptr;
  pa_time_event* timer_ = nullptr;
  pa_operation* timing_ = nullptr;  // the timing request in flight
  StreamDirection dir_;
  WaveFormatEx format_;
  pa_sample_spec spec_{};
  AudioStreamListener& listener_;
  AudioExecutor& executor_;
  std::shared_ptr<bool> alive_;

  std::deque<Entry> blocks_;
  std::vector<uint8_t> waiting_;  // input that found no block yet, from waitingAt_
  size_t waitingAt_ = 0;
  size_t maxWaiting_ = 0;
  size_t firstUnhanded_ = 0;  // index in blocks_ of the first block not wholly handed over
  int64_t queuedEnd_ = 0;     // stream position after the last block queued
  int64_t written_ = 0;       // bytes handed to the server
  int64_t heard_ = 0;         // bytes heard (output) or recorded (input)
  pa_usec_t drainStart_ = 0;  // when the server had read everything handed to it
  pa_usec_t drainLatency_ = 0;
  bool running_ = false;
  bool started_ = false;
  bool reset_ = false;
  bool closed_ = false;
  bool lost_ = false;
  uint32_t volume_ = 0xFFFFFFFFu;
  uint32_t rate_ = 0x10000;
};

}  // namespace nv
