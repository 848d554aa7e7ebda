#include "views/CNvRecView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "audio/AudioStream.h"
#include "base/CommandIds.h"
#include "base/FileRead.h"
#include "base/MessageSink.h"
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

constexpr int kPlayTimerMs = 100;

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
  if (playTimer_) playTimer_->stop();
  if (player_) {
    player_->Reset();
    player_->Close();
    player_.reset();
    host_.SetPlayingAndUpdate(false);
  }
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
  if (player_) return RecViewState::Playing;
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
  if (player_) StopPlayback();
  // The blocks come back through the event loop; wait for the device to
  // close, but not for ever.
  QElapsedTimer t;
  t.start();
  while (((recorder_ && recorder_->Active()) || player_) && t.elapsed() < 3000)
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
  if (recorder_ && recorder_->Active()) {
    recorder_->Abort();
    host_.SetPlayingAndUpdate(false);
    TellStarter();
  }
  if (player_) EndPlayback("Playback aborted!");
  waiting_ = false;
}

// ---- The view's own playback -------------------------------------------

bool CNvRecView::FillPlayBlock(int i) {
  const uint32_t size = doc_->BufferSize();
  const int64_t offset = playRead_ * static_cast<int64_t>(size);
  const int64_t total = doc_->FramesToBytes(doc_->FrameCount());
  if (offset >= total) return false;
  std::vector<uint8_t>& b = playBlocks_[static_cast<size_t>(i)];
  b.resize(size);
  const int64_t want = std::min<int64_t>(size, total - offset);
  const nv::TempFile& work = doc_->WorkFile();
  const int64_t got =
      static_cast<int64_t>(nv::ReadAt(work.Fd(), work.FileOffset(offset), b.data(), static_cast<size_t>(want)));
  if (got <= 0) return false;
  nv::WaveHeader& h = playHeaders_[static_cast<size_t>(i)];
  h = nv::WaveHeader{};
  h.data = b.data();
  h.bufferLength = static_cast<uint32_t>(got);
  h.user = static_cast<uintptr_t>(i);
  if (!player_->Write(&h)) {
    nv::ShowMessage("Failed to write block to device");
    return false;
  }
  ++playRead_;
  ++playQueued_;
  return true;
}

void CNvRecView::StartPlayback() {
  if (!doc_ || host_.IsPlaying()) return;
  if (doc_->FrameCount() <= 0) {
    nv::ShowMessage("No sound to play.");
    return;
  }
  nv::OpenStatus status = nv::OpenStatus::Failed;
  player_ = host_.Audio().Open(nv::StreamDirection::Output, host_.OutputDevice(),
                                          doc_->Format(), *this, status);
  if (!player_) {
    nv::ShowMessage("Failed to open waveform output device.");
    return;
  }
  host_.SetPlayingAndUpdate(true);
  played_ = -1;
  playRead_ = 0;
  playQueued_ = 0;
  playStop_ = false;
  playEnding_ = false;
  if (!playTimer_) {
    playTimer_ = new QTimer(this);
    playTimer_->setInterval(kPlayTimerMs);
    connect(playTimer_, &QTimer::timeout, this, [this] { OnPlayTimer(); });
  }
  playTimer_->start();
  player_->Pause();
  for (int i = 0; i < nv::TransferBuffers::kCount; ++i)
    if (!FillPlayBlock(i)) break;
  player_->Restart();
}

void CNvRecView::OnBlockDone(nv::WaveHeader* block) {
  // Counts the block and flags its buffer; the timer does the rest.
  ++played_;
  --playQueued_;
  if (block) block->flags = 1;
}

void CNvRecView::OnPlayTimer() {
  if (!player_ || playEnding_ || !doc_) return;
  char text[64];
  std::snprintf(text, sizeof text, " %5lld bytes played.",
                static_cast<long long>((played_ + 1) * static_cast<int64_t>(doc_->BufferSize())));
  SetStatus(QString::fromLatin1(text));
  if (playStop_ && playQueued_ <= 0) {
    EndPlayback("Playback aborted!");
    return;
  }
  if (!playStop_)
    for (int i = 0; i < nv::TransferBuffers::kCount; ++i) {
      nv::WaveHeader& h = playHeaders_[static_cast<size_t>(i)];
      if (h.flags == 1) {
        h.flags = 0;
        FillPlayBlock(i);
      }
    }
  const int64_t blocks = (doc_->FramesToBytes(doc_->FrameCount()) + doc_->BufferSize() - 1) / doc_->BufferSize();
  if (played_ + 1 >= blocks || playStop_ || player_->Lost()) EndPlayback("End of play");
}

void CNvRecView::EndPlayback(const char* text) {
  if (!player_) return;
  SetStatus(QString::fromLatin1(text));
  if (playTimer_) playTimer_->stop();
  playEnding_ = true;
  player_->Reset();
  player_->Close();
}

void CNvRecView::OnStreamClosed() {
  player_.reset();
  playQueued_ = 0;
  playEnding_ = false;
  host_.SetPlayingAndUpdate(false);
}

void CNvRecView::StopPlayback() {
  if (!player_) return;
  playStop_ = true;
  player_->Reset();
}

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
      else
        StopPlayback();
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
