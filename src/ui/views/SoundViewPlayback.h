#pragma once
// The playback of a sound view: "&Play sound" and "&Stop Play sound" while
// the virtual detector is off, the "Play speed" items with their check
// mark, the arrow keys while playing (volume and rate, with their note in
// the status strip), and the moving playback cursor.
//
// Contract: owned by its view's controllers (SoundViewControllers); the view
// stops it (Stop) before its document goes. It owns the view's
// `PlaybackEngine` (made at the first "&Play sound" on ViewHost::Audio() with
// the host's output device) and the 40 ms timer that moves the playback
// cursor between blocks; it reads the view's document, selection and cursor,
// and writes only the plot's playback cursor and the status strip. Interface
// thread only; the engine's device notifications reach it through the event
// loop. Positions are frames of the document; the speed items are factors of
// the document's play speed.
#include <QPointer>
#include <memory>
#include <string>

#include "audio/PlaybackEngine.h"
#include "audio/PlaybackView.h"
#include "base/CommandTarget.h"

class CNvAnaView;
class QTimer;
class ViewHost;

class SoundViewPlayback : public CommandTarget, public nv::PlaybackView {
 public:
  SoundViewPlayback(CNvAnaView& view, ViewHost& host);
  ~SoundViewPlayback() override;

  // CommandTarget: kSoundPlay, kSoundStop and the play speeds.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // This view's playback, null before the first "&Play sound".
  nv::PlaybackEngine* Player() const { return player_.get(); }
  // Ends this view's playback at once (the view or its document closes).
  void Stop();
  // Up/Down/Left/Right while this view plays: volume and rate, with their
  // note in the status strip; false when nothing plays here.
  bool OnPlayKey(int key);
  // Shift+Up / Shift+Down while this view plays: the device's volume
  // doubled or halved (a device that cannot be asked beeps); false when
  // nothing plays here.
  bool OnVolumeKey(int key);

  // The answer to an arrow key of a playback: false when nothing played,
  // a beep when the device refused it, true otherwise.
  static bool TakeKeyOutcome(nv::KeyOutcome outcome);

  // PlaybackView: progress of this view's playback.
  void ShowPlaybackStatus(const std::string& text) override;
  void SetPlaybackCursor(int64_t frame) override;
  void Beep() override;
  void PlaybackClosed() override;

 private:
  void Follow();

  CNvAnaView& view_;
  ViewHost& host_;
  std::unique_ptr<nv::PlaybackEngine> player_;
  QPointer<QTimer> timer_;  // moves the playback cursor between blocks
  std::string keyNote_;     // volume and speed after the last arrow key while playing
};
