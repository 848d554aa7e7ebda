#pragma once
// The virtual detector of a sound view: the "&Virtual Bat detector" command
// with its dialog, the detector line in the spectrogram and its status
// text, the arrow keys that move the line and retune a playback, the volume
// keys (Shift+Up, Shift+Down) of a playback through the detector, and
// "&Play sound" and "&Stop Play sound" through the detector while it is on.
//
// Contract: owned by its view's controllers (SoundViewControllers); the view
// stops its playback (StopDetectorPlayback) before its document goes. It owns
// the view's `DetectorMode` (on or off, the speed factor, the line) and its
// `DetectorPlayback`, made at the first "&Play sound" with the detector on,
// on ViewHost::Audio() with the host's output device and playing flag. It
// reads the view's document, selection, cursor and plot set-up, and writes
// only the plot's detector line and the status strip. Interface thread only;
// the playback's device notifications reach it through the event loop. Line
// positions are frames of the document; its value and the tuning are Hz at
// the effective rate (the stored rate times the time-expansion factor).
#include <memory>
#include <string>

#include "audio/DetectorMode.h"
#include "audio/DetectorPlayback.h"
#include "base/CommandTarget.h"

class CNvAnaView;
class ViewHost;

class SoundViewDetector : public CommandTarget, public nv::DetectorPlaybackView {
 public:
  SoundViewDetector(CNvAnaView& view, ViewHost& host);
  ~SoundViewDetector() override;

  // CommandTarget: kSoundVirtualDetector, and kSoundPlay / kSoundStop
  // while the detector is on or plays.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  const nv::DetectorMode& Mode() const { return detector_; }
  bool IsOn() const { return detector_.IsOn(); }
  // This view's playback through the detector, null before the first.
  nv::DetectorPlayback* DetectorPlayer() const { return detectorPlayer_.get(); }
  // Switches the detector on (after its dialog) or off.
  void ToggleDetector();
  // Up/Down retune the line, Left/Right move it in time when nothing plays
  // (or halve and double the rate while it plays); refused moves beep.
  // Only while the detector is on.
  void MoveDetectorLineByKey(int key);
  // Shift+Up / Shift+Down while the detector plays: the device's volume
  // doubled or halved; false when it does not play.
  bool OnVolumeKey(int key);
  // The line's "Detector: ..." text in the status strip.
  void ShowDetectorStatus();
  // Ends a playback through the detector at once (the view or its document
  // closes).
  void StopDetectorPlayback();

  // DetectorPlaybackView: progress of this view's playback through the detector.
  void ShowDetectorPlaybackStatus(const std::string& text) override;
  void MoveDetectorLine(int64_t frame) override;
  void ShowDetectorLineStatus() override;
  void RefuseDetectorPlayback() override;
  void DetectorPlaybackClosed() override;

 private:
  bool Playing() const;

  CNvAnaView& view_;
  ViewHost& host_;
  nv::DetectorMode detector_;
  std::unique_ptr<nv::DetectorPlayback> detectorPlayer_;
  int32_t lineBeforePlay_ = -1;  // where the line stood when the detector started playing
};
