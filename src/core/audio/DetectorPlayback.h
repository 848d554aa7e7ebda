#pragma once
// Playback through the virtual detector for one sound view: the range and
// labels of an ordinary playback, the output device opened in the document's
// own format (no play speed: the speed factor does the speeding up), four
// blocks queued, each filled by a DetectorStream just before it is queued
// and refilled as the device hands it back. A new detector frequency is
// heard from the next block filled, so within the four blocks queued. The
// detector line follows the blocks heard, and the view shows its text;
// "End of play" at the end.
//
// One playback in the whole application: the caller owns the playing flag,
// shared by every playback and recording, read and set through the two
// functions given. Interface thread only; device
// notifications arrive there through the backend's executor. Destroying it
// (the view or the document closes) stops a running playback at once,
// releases its mapping and clears the playing flag.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/Resampler.h"
#include "audio/DetectorDocument.h"
#include "audio/DetectorStream.h"
#include "audio/PlaybackEngine.h"
#include "document/CNorvaneDoc.h"
#include "document/TransferBuffers.h"

namespace nv {

// What a detector playback tells the view that started it.
class DetectorPlaybackView {
 public:
  virtual ~DetectorPlaybackView() = default;
  // A new text for the view's status strip.
  virtual void ShowDetectorPlaybackStatus(const std::string& text) = 0;
  // Moves the detector line to `frame`, keeping its frequency; -1: the
  // playback no longer holds the line.
  virtual void MoveDetectorLine(int64_t frame) = 0;
  // Shows the detector line's status text ("Detector: ...").
  virtual void ShowDetectorLineStatus() = 0;
  // An empty or inverted range: the view beeps.
  virtual void RefuseDetectorPlayback() = 0;
  // The device closed: the playback is over and the playing flag is clear.
  virtual void DetectorPlaybackClosed() {}
};

class DetectorPlayback : public AudioStreamListener {
 public:
  static constexpr int kBuffers = 4;

  DetectorPlayback(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                   std::function<void(bool)> setPlaying, DetectorPlaybackView& view);
  ~DetectorPlayback() override;
  DetectorPlayback(const DetectorPlayback&) = delete;
  DetectorPlayback& operator=(const DetectorPlayback&) = delete;

  void SetOutputDevice(const std::string& id) { device_ = id; }

  // "&Play sound" with the detector on: nothing while anything plays; "No
  // sound to play." for an empty document; otherwise the selection, the
  // cursor to the end or the first visible sample to the end, as an
  // ordinary playback, through `filter` (designed) at speed factor `k` and
  // the detector frequency `frequencyHz` (real).
  void Play(const PlaybackRequest& request, const FilterDescription& filter, int k, int32_t frequencyHz);
  bool Start(int64_t startFrame, int64_t endFrame, const std::string& label, const FilterDescription& filter,
             int k, int32_t frequencyHz);
  // The detector frequency of the blocks filled from now on.
  void SetFrequencyHz(int32_t hz) { stream_.SetFrequencyHz(hz); }
  void Stop();
  void Abort();
  // Left / Right while playing: the device's playback rate halved or
  // doubled, as for an ordinary playback.
  KeyOutcome RateDown();
  KeyOutcome RateUp();
  // The volume keys while playing: the device's output volume doubled or
  // halved, as for an ordinary playback (Up and Down themselves retune the
  // detector).
  KeyOutcome VolumeUp();
  KeyOutcome VolumeDown();

  bool Active() const { return state_ != PlaybackState::Idle; }
  PlaybackState State() const { return state_; }
  const std::string& StatusText() const { return statusText_; }
  int BlocksQueued() const { return queued_; }
  int64_t BlocksPlayed() const { return played_; }
  const DetectorStream& Stream() const { return stream_; }
  bool Resampling() const { return resampling_; }
  const WaveFormatEx& DeviceFormat() const { return deviceFormat_; }

  void OnStreamOpened() override;
  void OnBlockDone(WaveHeader* block) override;
  void OnStreamClosed() override;

 private:
  void FillBlock(int i);
  // The next device block through the resampler; its bytes (0 at the end).
  uint32_t FillResampled(std::vector<uint8_t>& block);
  void EndPlayback();
  KeyOutcome ApplyRate(uint32_t factor16_16);
  KeyOutcome ApplyVolume(bool up);
  void ReleaseSound();
  double SecondsOf(int64_t frame) const;

  CNorvaneDoc& doc_;
  AudioBackend& backend_;
  std::function<bool()> isPlaying_;
  std::function<void(bool)> setPlaying_;
  DetectorPlaybackView& view_;
  std::string device_;
  std::unique_ptr<AudioStream> out_;
  DetectorSoundMapping mapping_;
  DetectorStream stream_;

  PlaybackState state_ = PlaybackState::Idle;
  bool stopRequested_ = false;
  std::string statusText_;
  int64_t endFrame_ = 0;
  int64_t played_ = 0;
  int queued_ = 0;
  uint32_t rateFactor_ = 0x10000;
  std::array<std::vector<uint8_t>, kBuffers> blocks_;
  std::array<WaveHeader, kBuffers> headers_{};
  // A device that does not take the document's rate plays the stream's
  // blocks through the resampler at a rate it takes, one stream block (two
  // while the converter's delay still swallows a whole block) per device
  // block.
  bool resampling_ = false;
  bool flushed_ = false;
  WaveFormatEx deviceFormat_;
  Resampler resampler_;
  std::vector<uint8_t> raw_;
  std::vector<float> inFrames_;
  std::vector<float> outFrames_;
};

}  // namespace nv
