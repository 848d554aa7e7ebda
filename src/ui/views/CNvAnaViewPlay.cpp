// The Sound menu's part of the sound view: "&Play sound", "&Stop Play
// sound", the "Play speed" items with their check mark, the arrow keys while
// playing, the moving playback cursor and "Sound &devices".
#include <QApplication>
#include <QTimer>

#include "audio/AudioKeyRules.h"
#include "audio/PlaybackEngine.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/SoundDevicesDialog.h"
#include "views/ViewHost.h"

namespace {

struct SpeedItem {
  int id;
  double factor;
};

constexpr SpeedItem kSpeedItems[] = {
    {cmd::kSoundSpeed1of32, 1.0 / 32}, {cmd::kSoundSpeed1of20, 1.0 / 20}, {cmd::kSoundSpeed1of16, 1.0 / 16},
    {cmd::kSoundSpeed1of10, 1.0 / 10}, {cmd::kSoundSpeed1of8, 1.0 / 8},   {cmd::kSoundSpeedQuarter, 0.25},
    {cmd::kSoundSpeedHalf, 0.5},       {cmd::kSoundSpeedOne, 1.0},        {cmd::kSoundSpeedTwo, 2.0},
    {cmd::kSoundSpeedFour, 4.0},
};

const SpeedItem* SpeedOf(int id) {
  for (const SpeedItem& s : kSpeedItems)
    if (s.id == id) return &s;
  return nullptr;
}

// How often the playback cursor follows the device between blocks.
constexpr int kFollowMs = 40;

}  // namespace

bool CNvAnaView::OnPlayCommand(int id) {
  using namespace cmd;
  if (const SpeedItem* s = SpeedOf(id)) {
    if (doc_) doc_->SetPlaySpeed(s->factor);
    return true;
  }
  switch (id) {
    case kSoundPlay: {
      if (!doc_) return true;
      if (!player_) {
        player_ = std::make_unique<nv::PlaybackEngine>(
            *doc_, ViewHost::Get().Audio(), &CNvAnaView::HostIsPlaying, &CNvAnaView::HostSetPlaying, *this);
      }
      player_->SetOutputDevice(ViewHost::Get().OutputDevice());
      const nv::PlaybackRequest r = PlaybackRequestHere();
      playKeyNote_.clear();
      player_->Play(r);
      if (player_->Active()) {
        if (!playTimer_) {
          playTimer_ = new QTimer(this);
          playTimer_->setInterval(kFollowMs);
          connect(playTimer_, &QTimer::timeout, this, [this] { FollowPlayback(); });
        }
        playTimer_->start();
      }
      ViewHost::Get().RequestCommandUpdate();
      return true;
    }
    case kSoundStop:
      if (player_) player_->Stop();
      return true;
    case kSoundDevices:
      SoundDevicesDialog::ChooseForHost(this);
      return true;
    default:
      return false;
  }
}

nv::PlaybackRequest CNvAnaView::PlaybackRequestHere() const {
  nv::PlaybackRequest r;
  if (plot_->SelectionStart().position >= 0) {
    r.selectionStart = plot_->SelectionStart().position;
    r.selectionEnd = plot_->SelectionEnd().position;
  }
  r.cursor = plot_->Cursor().position;
  r.firstVisible = static_cast<int32_t>(plot_->Setup().firstVisible());
  return r;
}

bool CNvAnaView::HostIsPlaying() { return ViewHost::Get().IsPlaying(); }

void CNvAnaView::HostSetPlaying(bool playing) {
  ViewHost::Get().SetPlaying(playing);
  ViewHost::Get().RequestCommandUpdate();
}

bool CNvAnaView::OnUpdatePlayCommand(int id, CommandState& st) {
  using namespace cmd;
  if (const SpeedItem* s = SpeedOf(id)) {
    st.enabled = doc_ != nullptr;
    st.checked = doc_ && doc_->PlaySpeed() == s->factor;
    return true;
  }
  switch (id) {
    case kSoundPlay:
      st.enabled = doc_ && doc_->FrameCount() > 0 && !ViewHost::Get().IsPlaying();
      return true;
    case kSoundStop:
      st.enabled = player_ && player_->Active();
      return true;
    case kSoundDevices:
      st.enabled = true;
      return true;
    default:
      return false;
  }
}

bool CNvAnaView::OnPlayKey(int key) {
  if (!player_ || player_->State() != nv::PlaybackState::Open) return false;
  nv::KeyOutcome r = nv::KeyOutcome::NotPlaying;
  const bool volumeKey = key == Qt::Key_Up || key == Qt::Key_Down;
  switch (key) {
    case Qt::Key_Up: r = player_->VolumeUp(); break;
    case Qt::Key_Down: r = player_->VolumeDown(); break;
    case Qt::Key_Left: r = player_->RateDown(); break;
    case Qt::Key_Right: r = player_->RateUp(); break;
    default: return false;
  }
  if (r == nv::KeyOutcome::NotPlaying) return false;
  if (r == nv::KeyOutcome::Refused) QApplication::beep();
  // The status strip says the volume and speed now, and a limit reached;
  // the note stays after the playback's running text until it ends.
  uint16_t volume = 0xFFFF;
  player_->LeftVolume(volume);
  const uint32_t rate = player_->RateFactor();
  nv::PlayKeyLimit limit = volumeKey ? nv::VolumeLimit(volume) : nv::RateLimit(rate);
  if (r == nv::KeyOutcome::Refused) limit = nv::PlayKeyLimit::kRefused;
  const double speed = (doc_ ? doc_->PlaySpeed() : 1.0) * rate / 65536.0;
  playKeyNote_ = "   " + nv::PlayKeyStatusText(volume, speed, limit);
  SetStatus(QString::fromStdString(player_->StatusText() + playKeyNote_));
  return true;
}

void CNvAnaView::StopPlayback() {
  if (playTimer_) playTimer_->stop();
  if (!player_) return;
  const bool wasActive = player_->Active();
  player_->Abort();
  player_.reset();
  if (wasActive) {
    plot_->SetDragCursor(nv::CursorRecord{});
    ViewHost::Get().RequestCommandUpdate();
  }
}

void CNvAnaView::FollowPlayback() {
  if (!player_ || player_->State() != nv::PlaybackState::Open) return;
  const int64_t f = player_->HeardFrame();
  if (f >= 0) SetPlaybackCursor(f);
}

void CNvAnaView::ShowPlaybackStatus(const std::string& text) {
  // The running texts of a playback carry the note of the last volume or
  // speed key; "End of play" does not.
  const bool running = player_ && !player_->StatusText().empty() && text.rfind(player_->StatusText(), 0) == 0;
  SetStatus(QString::fromStdString(running ? text + playKeyNote_ : text));
}

void CNvAnaView::SetPlaybackCursor(int64_t frame) {
  nv::CursorRecord c;
  if (frame >= 0) {
    c.position = static_cast<int32_t>(std::min<int64_t>(frame, INT32_MAX));
    c.kind = nv::kCursorMarking;
    c.channel = 3;
    c.pen = nv::kCursorPenPlayback;
  }
  plot_->SetDragCursor(c);
}

void CNvAnaView::Beep() { QApplication::beep(); }

void CNvAnaView::PlaybackClosed() {
  if (playTimer_) playTimer_->stop();
  plot_->SetDragCursor(nv::CursorRecord{});
  ViewHost::Get().RequestCommandUpdate();
}
