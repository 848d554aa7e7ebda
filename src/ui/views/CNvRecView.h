#pragma once
// The recording view: a window on a document that records from the input
// device into it (Recorder) while its sweep display shows the incoming
// sound and its status strip the bytes recorded; it closes its frame when
// the device has closed and tells the sound view that started it, which then
// takes up the document's new length. It also plays the whole document from
// its start at the sound's own rate, through the one PlaybackEngine with a
// StoredRateSource; as its PlaybackView it shows the bytes played
// (" %5d bytes played."), "End of play", or "Playback aborted!" after a
// stop, and no playback cursor. It has "Sound &Format", "Sound &devices" and
// "Record view settings". It reaches the application through the ViewHost
// it is made with. Interface thread only; the host and the document outlive
// the view (Detach first).
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "audio/PlaybackEngine.h"
#include "audio/PlaybackView.h"
#include "audio/RecordViewSettings.h"
#include "audio/Recorder.h"
#include "audio/StoredRateSource.h"
#include "base/CommandTarget.h"

namespace nv {
class CNorvaneDoc;
}  // namespace nv
class CNvAnaView;
class StatusStrip;
class SweepDisplay;
class ViewHost;

// The recording view's states.
enum class RecViewState { Idle = 0, Recording = 1, Playing = 5, Refill = 7 };

class CNvRecView : public QWidget, public CommandTarget, public nv::RecorderView, public nv::PlaybackView {
  Q_OBJECT
 public:
  // `starter` is the sound view that asked for the recording (may be null).
  CNvRecView(ViewHost& host, nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings,
             QWidget* parent = nullptr);
  ~CNvRecView() override;

  // Set-up: shows the format text and, with the wave-input kind, starts
  // recording; with a card kind asks the frame to close at once.
  void OnInitialUpdate();
  // Closes the frame (set by the frame; runs later, from the event loop).
  std::function<void()> closeFrame;

  // Stops a recording or playback and waits (running the event loop) until
  // the device has closed, so that nothing recorded is lost; used before
  // the view, its document or the application closes.
  void StopAndWait();
  // Lets go of the document (the frame is closing).
  void Detach();

  nv::CNorvaneDoc* Document() const { return doc_; }
  nv::Recorder* Recorder() const { return recorder_.get(); }
  SweepDisplay* Display() const { return display_; }
  StatusStrip* Strip() const { return strip_; }
  RecViewState State() const;
  nv::RecordViewSettings& Settings() { return settings_; }

  // CommandTarget.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // RecorderView.
  void ShowRecordStatus(const std::string& text) override;
  void BlockRecorded(int64_t number, const uint8_t* bytes, uint32_t count) override;
  void RecordingClosed() override;

  // PlaybackView of the view's own playback.
  void ShowPlaybackStatus(const std::string& text) override;
  void SetPlaybackCursor(int64_t frame) override;
  void ShowPlaybackProgress(int64_t frame, const std::string& text) override;
  void ShowPlaybackEnd(nv::PlaybackEnd how) override;
  void Beep() override;
  void PlaybackClosed() override;

 private:
  void StartRecording();
  void StartPlayback();
  bool PlaybackActive() const { return player_ && player_->Active(); }
  void ShowBytesPlayed();
  void SetStatus(const QString& t);
  void UpdateFormatText();
  void TellStarter();

  ViewHost& host_;
  nv::CNorvaneDoc* doc_;
  QPointer<CNvAnaView> starter_;
  nv::RecordViewSettings settings_;
  SweepDisplay* display_;
  StatusStrip* strip_;
  std::unique_ptr<nv::Recorder> recorder_;
  bool starterTold_ = false;
  bool waiting_ = false;  // in StopAndWait

  // The view's own playback, made at the first "&Play sound"; the engine
  // goes before its source.
  std::unique_ptr<nv::StoredRateSource> playSource_;
  std::unique_ptr<nv::PlaybackEngine> player_;
};
