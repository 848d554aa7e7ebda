#pragma once
// The recording view: a window on a document that records from the input
// device into it (Recorder) while its sweep display shows the incoming
// sound and its status strip the bytes recorded; it closes its frame when
// the device has closed and tells the sound view that started it, which then
// takes up the document's new length. It also plays the whole document from
// its start (" %5d bytes played.", "End of play", "Playback aborted!") and
// has "Sound &Format", "Sound &devices" and "Record view settings".
// It reaches the application through the ViewHost it is made with.
// Interface thread only; the host and the document outlive the view (Detach
// first).
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "audio/AudioStreamListener.h"
#include "audio/RecordViewSettings.h"
#include "audio/Recorder.h"
#include "base/CommandTarget.h"
#include "document/TransferBuffers.h"

namespace nv {
class CNorvaneDoc;
class AudioStream;
}  // namespace nv
class CNvAnaView;
class QTimer;
class StatusStrip;
class SweepDisplay;
class ViewHost;

// The recording view's states.
enum class RecViewState { Idle = 0, Recording = 1, Playing = 5, Refill = 7 };

class CNvRecView : public QWidget, public CommandTarget, public nv::RecorderView, public nv::AudioStreamListener {
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

  // AudioStreamListener of the view's own playback.
  void OnBlockDone(nv::WaveHeader* block) override;
  void OnStreamClosed() override;

 private:
  void StartRecording();
  void StartPlayback();
  void StopPlayback();
  void OnPlayTimer();
  void EndPlayback(const char* text);
  bool FillPlayBlock(int i);
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

  // The view's own playback.
  std::unique_ptr<nv::AudioStream> player_;
  QTimer* playTimer_ = nullptr;
  std::array<std::vector<uint8_t>, nv::TransferBuffers::kCount> playBlocks_;
  std::array<nv::WaveHeader, nv::TransferBuffers::kCount> playHeaders_{};
  int64_t playRead_ = 0;     // blocks read from the work file
  int64_t played_ = -1;      // blocks played
  int playQueued_ = 0;
  bool playStop_ = false;
  bool playEnding_ = false;
};
