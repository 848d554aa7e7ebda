#include "views/SoundViewPlayback.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>

#include "audio/AudioKeyRules.h"
#include "audio/PlaybackEngine.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/SampleStore.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/StatusStrip.h"
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

SoundViewPlayback::SoundViewPlayback(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

SoundViewPlayback::~SoundViewPlayback() { Stop(); }

bool SoundViewPlayback::OnCommand(int id) {
  using namespace cmd;
  nv::CNorvaneDoc* doc = view_.Document();
  if (const SpeedItem* s = SpeedOf(id)) {
    if (doc) doc->SetPlaySpeed(s->factor);
    return true;
  }
  switch (id) {
    case kSoundPlay: {
      if (!doc) return true;
      if (!player_) {
        player_ = std::make_unique<nv::PlaybackEngine>(
            *doc, host_.Audio(), [this] { return host_.IsPlaying(); },
            [this](bool playing) { host_.SetPlayingAndUpdate(playing); }, *this);
      }
      player_->SetOutputDevice(host_.OutputDevice());
      const nv::PlaybackRequest r = view_.PlaybackRequestHere();
      keyNote_.clear();
      player_->Play(r);
      if (player_->Active()) {
        if (!timer_) {
          timer_ = new QTimer(&view_);
          timer_->setInterval(kFollowMs);
          QObject::connect(timer_, &QTimer::timeout, &view_, [this] { Follow(); });
        }
        timer_->start();
      }
      host_.RequestCommandUpdate();
      return true;
    }
    case kSoundStop:
      if (player_) player_->Stop();
      return true;
    default:
      return false;
  }
}

bool SoundViewPlayback::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  const nv::CNorvaneDoc* doc = view_.Document();
  if (const SpeedItem* s = SpeedOf(id)) {
    st.enabled = doc != nullptr;
    st.checked = doc && doc->PlaySpeed() == s->factor;
    return true;
  }
  switch (id) {
    case kSoundPlay:
      st.enabled = doc && doc->FrameCount() > 0 && !host_.IsPlaying();
      return true;
    case kSoundStop:
      st.enabled = player_ && player_->Active();
      return true;
    default:
      return false;
  }
}

bool SoundViewPlayback::OnPlayKey(int key) {
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
  if (!TakeKeyOutcome(r)) return false;
  // The status strip says the volume and speed now, and a limit reached;
  // the note stays after the playback's running text until it ends.
  uint16_t volume = 0xFFFF;
  player_->LeftVolume(volume);
  const uint32_t rate = player_->RateFactor();
  nv::PlayKeyLimit limit = volumeKey ? nv::VolumeLimit(volume) : nv::RateLimit(rate);
  if (r == nv::KeyOutcome::Refused) limit = nv::PlayKeyLimit::kRefused;
  const nv::CNorvaneDoc* doc = view_.Document();
  const double speed = (doc ? doc->PlaySpeed() : 1.0) * rate / 65536.0;
  keyNote_ = "   " + nv::PlayKeyStatusText(volume, speed, limit);
  view_.Strip()->SetStatusText(QString::fromStdString(player_->StatusText() + keyNote_));
  return true;
}

bool SoundViewPlayback::OnVolumeKey(int key) {
  if (!player_ || player_->State() != nv::PlaybackState::Open) return false;
  return TakeKeyOutcome(key == Qt::Key_Up ? player_->VolumeUp() : player_->VolumeDown());
}

bool SoundViewPlayback::TakeKeyOutcome(nv::KeyOutcome r) {
  if (r == nv::KeyOutcome::NotPlaying) return false;
  if (r == nv::KeyOutcome::Refused) QApplication::beep();
  return true;
}

void SoundViewPlayback::Stop() {
  if (timer_) timer_->stop();
  if (!player_) return;
  const bool wasActive = player_->Active();
  player_->Abort();
  player_.reset();
  if (wasActive) {
    view_.Plot()->SetDragCursor(nv::CursorRecord{});
    host_.RequestCommandUpdate();
  }
}

void SoundViewPlayback::Follow() {
  if (!player_ || player_->State() != nv::PlaybackState::Open) return;
  const int64_t f = player_->HeardFrame();
  if (f >= 0) SetPlaybackCursor(f);
}

void SoundViewPlayback::ShowPlaybackStatus(const std::string& text) {
  // The running texts of a playback carry the note of the last volume or
  // speed key; "End of play" does not.
  const bool running = player_ && !player_->StatusText().empty() && text.rfind(player_->StatusText(), 0) == 0;
  view_.Strip()->SetStatusText(QString::fromStdString(running ? text + keyNote_ : text));
}

void SoundViewPlayback::SetPlaybackCursor(int64_t frame) {
  nv::CursorRecord c;
  if (frame >= 0) {
    c.position = nv::ViewFrame(frame);
    c.kind = nv::CursorKind::Marking;
    c.channel = 3;
    c.pen = nv::kCursorPenPlayback;
  }
  view_.Plot()->SetDragCursor(c);
}

void SoundViewPlayback::Beep() { QApplication::beep(); }

void SoundViewPlayback::PlaybackClosed() {
  if (timer_) timer_->stop();
  view_.Plot()->SetDragCursor(nv::CursorRecord{});
  host_.RequestCommandUpdate();
}
