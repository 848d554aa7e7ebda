#pragma once
// Playback through the virtual detector for one sound view: the one
// PlaybackEngine with a DetectorSource. The range and labels of an ordinary
// playback; the device opened in the document's own format (no play speed:
// the speed factor does the speeding up); four blocks queued, each made by
// the detector just before it is queued and remade as the device hands it
// back, so a new detector frequency is heard within the four blocks queued.
// The detector line follows the blocks heard, and the view shows its text;
// "End of play" at the end. The rate and volume keys act as for an ordinary
// playback.
//
// The engine's reports reach the view as a DetectorPlaybackView: the
// playback cursor is the detector line, the running text the line's own.
// Ownership, the playing flag and threads as for PlaybackEngine (interface
// thread; the caller owns the flag). Destroying it (the view or the document
// closes) stops a running playback at once, releases the detector's mapping
// and clears the playing flag.
#include <cstdint>
#include <functional>
#include <string>

#include "audio/AudioBackend.h"
#include "audio/DetectorSource.h"
#include "audio/PlaybackEngine.h"
#include "audio/PlaybackView.h"
#include "document/CNorvaneDoc.h"

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

class DetectorPlayback : private PlaybackView {
 public:
  static constexpr int kBuffers = 4;

  DetectorPlayback(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                   std::function<void(bool)> setPlaying, DetectorPlaybackView& view);
  ~DetectorPlayback() override = default;
  DetectorPlayback(const DetectorPlayback&) = delete;
  DetectorPlayback& operator=(const DetectorPlayback&) = delete;

  void SetOutputDevice(const std::string& id) { engine_.SetOutputDevice(id); }

  // "&Play sound" with the detector on: nothing while anything plays; "No
  // sound to play." for an empty document; otherwise the selection, the
  // cursor to the end or the first visible sample to the end, as an
  // ordinary playback, through `filter` (designed) at speed factor `k` and
  // the detector frequency `frequencyHz` (real).
  void Play(const PlaybackRequest& request, const FilterDescription& filter, int k, int32_t frequencyHz);
  bool Start(int64_t startFrame, int64_t endFrame, const std::string& label, const FilterDescription& filter,
             int k, int32_t frequencyHz);
  // The detector frequency of the blocks made from now on.
  void SetFrequencyHz(int32_t hz) { source_.SetFrequencyHz(hz); }
  void Stop() { engine_.Stop(); }
  void Abort() { engine_.Abort(); }
  // Left / Right while playing: the playback rate halved or doubled, as for
  // an ordinary playback.
  KeyOutcome RateDown() { return engine_.RateDown(); }
  KeyOutcome RateUp() { return engine_.RateUp(); }
  // The volume keys while playing: the device's output volume doubled or
  // halved, as for an ordinary playback (Up and Down themselves retune the
  // detector).
  KeyOutcome VolumeUp() { return engine_.VolumeUp(); }
  KeyOutcome VolumeDown() { return engine_.VolumeDown(); }

  bool Active() const { return engine_.Active(); }
  PlaybackState State() const { return engine_.State(); }
  const std::string& StatusText() const { return engine_.StatusText(); }
  int BlocksQueued() const { return engine_.BlocksQueued(); }
  int64_t BlocksPlayed() const { return engine_.BlocksPlayed(); }
  const DetectorStream& Stream() const { return source_.Stream(); }
  bool Resampling() const { return engine_.Resampling(); }
  const WaveFormatEx& DeviceFormat() const { return engine_.DeviceFormat(); }
  const PlaybackEngine& Engine() const { return engine_; }

 private:
  // PlaybackView: the engine's reports as the detector view's.
  void ShowPlaybackStatus(const std::string& text) override { view_.ShowDetectorPlaybackStatus(text); }
  void SetPlaybackCursor(int64_t frame) override { view_.MoveDetectorLine(frame); }
  void ShowPlaybackProgress(int64_t frame, const std::string& text) override;
  void Beep() override { view_.RefuseDetectorPlayback(); }
  void PlaybackClosed() override { view_.DetectorPlaybackClosed(); }

  DetectorPlaybackView& view_;
  // The source outlives the engine, which ends it when it goes.
  DetectorSource source_;
  PlaybackEngine engine_;
};

}  // namespace nv
