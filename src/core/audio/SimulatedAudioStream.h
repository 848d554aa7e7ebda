#pragma once
// A stream of SimulatedAudioBackend: a device that does nothing on its own.
// The test says when queued blocks are done (Complete, or Deliver for input),
// makes writes fail or the device vanish, and reads back what was played and
// which device operations were called. Notifications go through the
// backend's executor like a real device's.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/AudioExecutor.h"

namespace nv {

class SimulatedAudioStream : public AudioStream {
 public:
  SimulatedAudioStream(StreamDirection dir, const WaveFormatEx& format, AudioStreamListener& listener,
                       AudioExecutor& executor, bool rateControl);
  ~SimulatedAudioStream() override;

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
  int64_t PlayedBytes() override { return playedBytes_; }
  bool Lost() const override { return lost_; }

  // The owner let go of the stream (what destroying a device's stream does):
  // queued blocks are dropped without notifications.
  void Detach();
  bool Detached() const { return !*alive_; }

  // Test controls. The oldest `n` queued output blocks have been heard
  // (only while running); returns how many came back.
  int Complete(int n = 1);
  // Fills queued input blocks from `bytes`; full ones come back. Bytes that
  // find no block wait (up to maxWaitingBytes; the rest is an overrun) and
  // fill the blocks written next, as a device's stream does.
  void Deliver(const std::vector<uint8_t>& bytes);
  // The device reports that it lost `bytes` bytes of input.
  void Overrun(int64_t bytes);
  size_t maxWaitingBytes = size_t{64} << 20;
  size_t Waiting() const { return waiting_.size(); }
  // The device vanishes: every queued block comes back, writes fail.
  void Vanish();
  // The next `n` writes fail.
  void FailWrites(int n) { failWrites_ = n; }
  // Reading the volume or rate fails from now on.
  void FailControls() { controlsFail_ = true; }

  int Queued() const { return static_cast<int>(queue_.size()); }
  bool Running() const { return running_; }
  bool Closed() const { return closed_; }
  // The device operations in call order ("write", "pause", "restart", "reset", "close").
  const std::vector<std::string>& Calls() const { return calls_; }
  // The bytes of every output block heard, in order, and their lengths.
  const std::vector<uint8_t>& Heard() const { return heard_; }
  const std::vector<uint32_t>& HeardLengths() const { return heardLengths_; }
  uint32_t Volume() const { return volume_; }
  uint32_t Rate() const { return rate_; }

 private:
  void Return(WaveHeader* block);
  // Input: fills the queued blocks from `bytes`; returns the bytes used.
  size_t Fill(const uint8_t* bytes, size_t count);

  StreamDirection dir_;
  WaveFormatEx format_;
  AudioStreamListener& listener_;
  AudioExecutor& executor_;
  std::shared_ptr<bool> alive_;
  std::deque<WaveHeader*> queue_;
  std::vector<uint8_t> waiting_;
  std::vector<std::string> calls_;
  std::vector<uint8_t> heard_;
  std::vector<uint32_t> heardLengths_;
  bool rateControl_;
  bool running_ = false;
  bool closed_ = false;
  bool reset_ = false;
  bool lost_ = false;
  bool controlsFail_ = false;
  int failWrites_ = 0;
  int64_t playedBytes_ = 0;
  uint32_t volume_ = 0xFFFFFFFFu;
  uint32_t rate_ = 0x10000;
};

}  // namespace nv
