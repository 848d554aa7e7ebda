#include "views/CNvRecView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundFormatDialog.h"
#include "document/SoundFormatEdit.h"
#include "views/CNvAnaView.h"
#include "views/CursorMode.h"
#include "views/RecordViewSettingsDialog.h"
#include "views/SoundDevicesDialog.h"
#include "views/StatusStrip.h"
#include "views/SweepDisplay.h"
#include "views/ViewHost.h"

namespace {

constexpr const char* kPlaybackAborted = "Playback aborted!";

}  // namespace

CNvRecView::CNvRecView(ViewHost& host, nv::CNorvaneDoc* doc, CNvAnaView* starter,
                       const nv::RecordViewSettings& settings, QWidget* parent)
    : QWidget(parent), host_(host), doc_(doc), starter_(starter), settings_(settings) {
  setWindowTitle(QStringLiteral("Record sound"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  display_ = new SweepDisplay(this);
  strip_ = new StatusStrip(this);
  strip_->setFixedHeight(StatusStrip::kHeight);
  layout->addWidget(display_, 1);
  layout->addWidget(strip_);
  setFocusPolicy(Qt::StrongFocus);
}

CNvRecView::~CNvRecView() { Detach(); }

void CNvRecView::Detach() {
  // Stops a playback at once and clears the playing flag it set.
  player_.reset();
  playSource_.reset();
  if (recorder_) {
    const bool active = recorder_->Active();
    recorder_->Abort();  // keeps what was written and sets the length
    recorder_.reset();
    if (active) {
      host_.SetPlayingAndUpdate(false);
      TellStarter();
    }
  }
  doc_ = nullptr;
}

RecViewState CNvRecView::State() const {
  if (recorder_ && recorder_->Active()) return RecViewState::Recording;
  if (PlaybackActive()) return RecViewState::Playing;
  return RecViewState::Idle;
}

void CNvRecView::OnInitialUpdate() {
  UpdateFormatText();
  if (host_.InputKind() != nv::InputKind::WaveInput) {
    // Acquisition cards record with their own software: nothing to do here.
    host_.SetPlayingAndUpdate(false);
    TellStarter();
    if (closeFrame) closeFrame();
    return;
  }
  StartRecording();
}

void CNvRecView::UpdateFormatText() {
  if (!doc_) return;
  const auto& f = doc_->Format();
  strip_->SetFormatText(QString::fromStdString(
      nv::FormatStatusText(f.nChannels, f.wBitsPerSample, f.nSamplesPerSec, doc_->Info().TimeExpansion())));
}

void CNvRecView::SetStatus(const QString& t) { strip_->SetStatusText(t); }

void CNvRecView::StartRecording() {
  if (!doc_ || host_.IsPlaying()) return;
  if (!recorder_) {
    recorder_ = std::make_unique<nv::Recorder>(
        *doc_, host_.Audio(), [this] { return host_.IsPlaying(); },
        [this](bool playing) { host_.SetPlayingAndUpdate(playing); }, *this);
  }
  recorder_->SetInputDevice(host_.InputDevice());
  doc_->RecomputeBufferSize();
  display_->Reset(doc_->Format(), doc_->Info().TimeExpansion(), settings_);
  starterTold_ = false;
  recorder_->Start();
  host_.RequestCommandUpdate();
}

void CNvRecView::ShowRecordStatus(const std::string& text) { SetStatus(QString::fromStdString(text)); }

void CNvRecView::BlockRecorded(int64_t number, const uint8_t* bytes, uint32_t count) {
  display_->AddBlock(number, bytes, count);
}

void CNvRecView::TellStarter() {
  if (starterTold_) return;
  starterTold_ = true;
  CNvAnaView* v = starter_.data();
  if (!v || !v->Document()) return;
  // The document has its new length: recompute, scroll to the end, redraw.
  v->Recompute();
  v->ScrollTo(v->Document()->FrameCount());
  v->update();
}

void CNvRecView::RecordingClosed() {
  TellStarter();
  host_.RequestCommandUpdate();
  // While StopAndWait runs, its caller closes the frame.
  if (closeFrame && !waiting_) closeFrame();
}

void CNvRecView::StopAndWait() {
  waiting_ = true;
  if (recorder_ && recorder_->Active()) recorder_->Stop();
  if (PlaybackActive()) player_->Stop();
  // The blocks come back through the event loop; wait for the device to
  // close, but not for ever.
  QElapsedTimer t;
  t.start();
  while (((recorder_ && recorder_->Active()) || PlaybackActive()) && t.elapsed() < 3000)
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
  if (recorder_ && recorder_->Active()) {
    recorder_->Abort();
    host_.SetPlayingAndUpdate(false);
    TellStarter();
  }
  if (PlaybackActive()) {
    player_->Abort();
    SetStatus(QString::fromLatin1(kPlaybackAborted));
  }
  waiting_ = false;
}

// ---- The view's own playback -------------------------------------------

void CNvRecView::StartPlayback() {
  if (!doc_) return;
  if (!player_) {
    playSource_ = std::make_unique<nv::StoredRateSource>(*doc_);
    player_ = std::make_unique<nv::PlaybackEngine>(
        *doc_, host_.Audio(), [this] { return host_.IsPlaying(); },
        [this](bool playing) { host_.SetPlayingAndUpdate(playing); }, *this, *playSource_);
  }
  player_->SetOutputDevice(host_.OutputDevice());
  // The whole document, from its start.
  nv::PlaybackRequest whole;
  whole.selectionStart = 0;
  whole.selectionEnd = doc_->FrameCount();
  player_->Play(whole);
}

void CNvRecView::ShowBytesPlayed() {
  if (!player_ || !doc_) return;
  char text[64];
  std::snprintf(text, sizeof text, " %5lld bytes played.",
                static_cast<long long>(player_->BlocksPlayed() * static_cast<int64_t>(doc_->BufferSize())));
  SetStatus(QString::fromLatin1(text));
}

// The recording view counts the bytes played instead of showing the range
// and the time reached.
void CNvRecView::ShowPlaybackStatus(const std::string&) { ShowBytesPlayed(); }

void CNvRecView::ShowPlaybackProgress(int64_t, const std::string&) { ShowBytesPlayed(); }

// No playback cursor: the sweep display shows what was recorded.
void CNvRecView::SetPlaybackCursor(int64_t) {}

void CNvRecView::ShowPlaybackEnd(nv::PlaybackEnd how) {
  SetStatus(QString::fromLatin1(how == nv::PlaybackEnd::Stopped ? kPlaybackAborted : nv::kEndOfPlayText));
}

void CNvRecView::Beep() { QApplication::beep(); }

void CNvRecView::PlaybackClosed() { host_.RequestCommandUpdate(); }

// ---- Commands ------------------------------------------------------------

bool CNvRecView::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kSoundRecord:
      if (!host_.IsPlaying()) StartRecording();
      return true;
    case kSoundStop:
      if (recorder_ && recorder_->Active())
        recorder_->Stop();
      else if (player_)
        player_->Stop();
      return true;
    case kSoundPlay:
      StartPlayback();
      return true;
    case kSoundFormat: {
      if (!doc_) return true;
      const auto choice = SoundFormatDialog::Ask(*doc_, host_.OutputFormatQuery(), window());
      if (!choice || !doc_) return true;
      nv::ApplySoundFormat(*doc_, *choice);
      doc_->RecomputeBufferSize();
      doc_->SetModifiedFlag();
      UpdateFormatText();
      host_.RequestCommandUpdate();
      return true;
    }
    case kRecordViewSettings: {
      nv::RecordViewSettings s = settings_;
      if (RecordViewSettingsDialog::Ask(s, window())) {
        settings_ = s;
        if (doc_) display_->Reset(doc_->Format(), doc_->Info().TimeExpansion(), settings_);
      }
      return true;
    }
    case kSoundDevices:
      SoundDevicesDialog::ChooseForHost(host_, this);
      return true;
    default:
      return false;
  }
}

bool CNvRecView::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  const bool busy = host_.IsPlaying();
  switch (id) {
    case kSoundRecord: st.enabled = doc_ && !busy; return true;
    case kSoundStop: st.enabled = State() != RecViewState::Idle; return true;
    case kSoundPlay: st.enabled = doc_ && !busy && doc_->FrameCount() > 0; return true;
    case kSoundFormat: st.enabled = doc_ && !busy; return true;
    case kRecordViewSettings: st.enabled = true; return true;
    case kSoundDevices: st.enabled = true; return true;
    default: return false;
  }
}
