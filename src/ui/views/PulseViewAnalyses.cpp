#include "views/PulseViewAnalyses.h"

#include <QApplication>
#include <QPointer>
#include <algorithm>

#include "analysis/PagePrinter.h"
#include "analysis/PulseTransform.h"
#include "analysis/PowerPlot.h"
#include "analysis/RatePlot.h"
#include "analysis/RateSettingsDialog.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/AnalysisChannel.h"
#include "views/AttachedWindow.h"
#include "views/CNvAnaView.h"
#include "views/CNvAnaViewPower.h"
#include "views/CursorMode.h"
#include "views/ViewHost.h"

namespace {

// Forwards the view's notices to the pulse characteristics dialog; the
// level only when the level cursor belongs to the dialog.
class DialogAttachment : public AttachedWindow {
 public:
  DialogAttachment(PulseAnalysisDialog* d, const PulseViewAnalyses* owner) : d_(d), owner_(owner) {}
  void SelectionChanged(int32_t start, int32_t end, int channels, bool) override {
    if (d_) d_->SetRange(start, end, channels);
  }
  void LevelChanged(int32_t level) override {
    if (d_ && owner_->DialogHoldsThreshold()) d_->SetLevel(level);
  }

 private:
  QPointer<PulseAnalysisDialog> d_;
  const PulseViewAnalyses* owner_;
};

// Forwards them to a histogram window; the level only when the level cursor
// belongs to that window.
class RateAttachment : public AttachedWindow {
 public:
  RateAttachment(CRateWnd* w, const PulseViewAnalyses* owner) : w_(w), owner_(owner) {}
  void SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) override {
    if (w_) w_->SelectionChanged(start, end, channels, fullUpdate);
  }
  void LevelChanged(int32_t level) override {
    if (w_ && owner_->ThresholdSlot() == w_->Slot()) w_->LevelDragged(level);
  }

 private:
  QPointer<CRateWnd> w_;
  const PulseViewAnalyses* owner_;
};

}  // namespace

PulseViewAnalyses::PulseViewAnalyses(CNvAnaView* view, ViewHost& host, CNvAnaViewPower& power)
    : view_(view), host_(host), power_(power) {}

PulseViewAnalyses::~PulseViewAnalyses() { CloseAll(); }

int PulseViewAnalyses::OpenRateWindows() const {
  return static_cast<int>(std::count_if(rate_.begin(), rate_.end(), [](const auto& w) { return !w.isNull(); }));
}

bool PulseViewAnalyses::OnCommand(int id) {
  switch (id) {
    case cmd::kPulseCharacteristics: OpenPulseCharacteristics(); return true;
    case cmd::kPulseInterval: OpenRateWindow(true); return true;
    case cmd::kPulseLength: OpenRateWindow(false); return true;
    case cmd::kRateSettingsDefault: {
      nv::RateSettings& defaults = host_.DefaultRate();
      RateSettingsDialog dialog(defaults, view_);
      if (dialog.exec() == QDialog::Accepted) defaults = dialog.Settings();
      return true;
    }
    default: return false;
  }
}

bool PulseViewAnalyses::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kPulseCharacteristics:
    case cmd::kPulseInterval:
    case cmd::kPulseLength:
      state.enabled = view_->Document() && view_->Document()->FrameCount() > 0;
      return true;
    case cmd::kRateSettingsDefault: state.enabled = true; return true;
    default: return false;
  }
}

PulseViewAnalyses::Range PulseViewAnalyses::CurrentRange() const {
  Range r;
  nv::SoundPlot* plot = view_->Plot();
  int gesture = 3;
  if (view_->HasSelection()) {
    const int32_t a = plot->SelectionStart().position, b = plot->SelectionEnd().position;
    r.start = std::min(a, b);
    r.end = std::max(a, b);
    gesture = plot->SelectionStart().channel;
  } else {
    r.start = plot->Cursor().position >= 0
                  ? plot->Cursor().position
                  : static_cast<int32_t>(std::max<int64_t>(0, view_->Settings().firstVisibleSample));
    r.end = -1;
    if (plot->Cursor().position >= 0) gesture = plot->Cursor().channel;
  }
  // As the view tells its windows later: a channel it does not show is
  // replaced by the one it shows.
  const nv::AnalysisSettings& s = view_->Settings();
  const int documentChannels = view_->Document() ? view_->Document()->Format().nChannels : 1;
  r.channels = nv::AnalysisChannel(gesture, documentChannels, s.leftChannel != 0, s.rightChannel != 0);
  return r;
}

void PulseViewAnalyses::SetChannelFlags(uint8_t& left, uint8_t& right, int channels) const {
  const nv::AnalysisSettings& s = view_->Settings();
  left = s.leftChannel;
  right = s.rightChannel;
  if (!view_->Document() || view_->Document()->Format().nChannels != 2) return;
  if (channels == 1) {
    left = 1;
    right = 0;
  } else if (channels == 2) {
    left = 0;
    right = 1;
  }
}

bool PulseViewAnalyses::InThresholdMode() const {
  return (dialogThreshold_ || thresholdSlot_ >= 0) && host_.CursorMode() == nv::CursorMode::Level;
}

void PulseViewAnalyses::HoldThreshold(int slot) {
  if (!InThresholdMode()) {
    // Entering threshold mode: what the user had comes back afterwards.
    userMode_ = host_.CursorMode();
    const nv::CursorRecord& c = view_->Plot()->Cursor();
    userCursor_ = c.kind == nv::CursorKind::Level ? nv::CursorRecord{} : c;
  }
  dialogThreshold_ = slot < 0;
  thresholdSlot_ = slot < 0 ? -1 : slot;
  if (host_.CursorMode() != nv::CursorMode::Level) {
    host_.SetCursorMode(nv::CursorMode::Level);
    host_.RequestCommandUpdate();
  }
}

void PulseViewAnalyses::ReleaseThreshold(int slot) {
  const bool held = slot < 0 ? dialogThreshold_ : thresholdSlot_ == slot;
  if (!held) return;
  const bool inMode = InThresholdMode();
  dialogThreshold_ = false;
  thresholdSlot_ = -1;
  // The level cursor goes with its analysis, and the user's cursor returns;
  // so does the user's mode, unless the user has left threshold mode already.
  if (view_->Plot()->Cursor().kind == nv::CursorKind::Level) view_->Plot()->SetCursor(userCursor_);
  if (!inMode) return;
  host_.SetCursorMode(userMode_);
  host_.RequestCommandUpdate();
}

int PulseViewAnalyses::MarkedSlot() const { return power_.MarkedRateSlot(); }


void PulseViewAnalyses::ShowLevel(int32_t level, int channel, int32_t start, int32_t end) {
  nv::CNorvaneDoc* doc = view_->Document();
  if (!doc) return;
  nv::CursorRecord c;
  c.position = std::max(0, start);
  c.kind = nv::CursorKind::Level;
  c.value = level;
  c.channel = channel;
  c.rangeStart = std::max(0, start);
  c.rangeEnd = end < 0 ? nv::ViewFrame(doc->FrameCount()) : end;
  view_->Plot()->SetCursor(c);
  host_.SetCursorMode(nv::CursorMode::Level);
  host_.RequestCommandUpdate();
}

void PulseViewAnalyses::Detach(AttachedWindow* a) {
  if (!a) return;
  view_->Windows().Detach(a);
  attachments_.erase(std::remove_if(attachments_.begin(), attachments_.end(),
                                    [a](const auto& p) { return p.get() == a; }),
                     attachments_.end());
}

void PulseViewAnalyses::CloseDialog(bool keepSettings) {
  if (!dialog_) return;
  PulseAnalysisDialog* d = dialog_;
  d->StopWorker();
  if (keepSettings) {
    working_ = d->Settings();
    host_.DefaultPulse() = working_;
  }
  Detach(dialogAttachment_);
  dialogAttachment_ = nullptr;
  dialog_ = nullptr;
  ReleaseThreshold(-1);
  d->disconnect(this);
  d->deleteLater();
  host_.RequestCommandUpdate();
}

void PulseViewAnalyses::OpenPulseCharacteristics() {
  nv::CNorvaneDoc* doc = view_->Document();
  if (!doc) return;
  if (dialog_) {
    PulseAnalysisDialog* old = dialog_;
    CloseDialog(false);
    delete old;  // stopped and joined; nothing of it stays
  }
  const nv::AnalysisSettings& s = view_->Settings();
  working_ = host_.DefaultPulse();
  // The transform of the view's spectrogram settings, automatic values
  // resolved as norvane-cli resolves them (not as drawn at this zoom).
  nv::PulseTransform::Of(s).ApplyTo(working_);
  working_.fontSize = s.fontSize;
  const Range r = CurrentRange();
  SetChannelFlags(working_.leftChannel, working_.rightChannel, r.channels);
  const std::string warning = PulseAnalysisDialog::AutomaticFftWarning(s.fftSize == 0, s.fftOverlap < 0);
  if (!warning.empty()) nv::ShowMessage(warning, nv::MessageIcon::Exclamation);

  auto* d = new PulseAnalysisDialog(doc, working_, r.start, r.end, view_);
  d->setWindowFlag(Qt::Window);
  dialog_ = d;
  connect(d, &PulseAnalysisDialog::closeRequested, this, [this](bool keep) { CloseDialog(keep); });
  connect(d, &PulseAnalysisDialog::levelCursorRequested, this,
          [this](int32_t level, int channel, int32_t start, int32_t end) {
            // A new threshold moves the level cursor while the view shows
            // the dialog's threshold.
            if (dialogThreshold_ && InThresholdMode()) ShowLevel(level, channel, start, end);
          });
  connect(d, &PulseAnalysisDialog::workerStateChanged, this, [this] { host_.RequestCommandUpdate(); });
  auto attachment = std::make_unique<DialogAttachment>(d, this);
  dialogAttachment_ = attachment.get();
  view_->Windows().Attach(attachment.get());
  attachments_.push_back(std::move(attachment));
  d->show();
  HoldThreshold(-1);
  ShowLevel(PulseAnalysisDialog::LevelOfThreshold(working_.ampThreshold), d->AnalysedChannel(), r.start, r.end);
}

void PulseViewAnalyses::OpenRateWindow(bool intervalMode) {
  nv::CNorvaneDoc* doc = view_->Document();
  if (!doc) return;
  int slot = -1;
  for (int i = 0; i < CRateWnd::kMaxWindows && slot < 0; ++i)
    if (rate_[static_cast<size_t>(i)].isNull()) slot = i;
  if (slot < 0) {
    nv::ShowMessage(CRateWnd::kTooManyMessage, nv::MessageIcon::Exclamation);
    return;
  }
  nv::RateSettings s = host_.DefaultRate();
  s.intervalMode = intervalMode ? 1 : 0;
  const Range r = CurrentRange();
  SetChannelFlags(s.leftChannel, s.rightChannel, r.channels);
  auto* w = new CRateWnd(doc, slot, s, r.start, r.end, view_);
  rate_[static_cast<size_t>(slot)] = w;
  connect(w, &CRateWnd::closed, this, &PulseViewAnalyses::RateCloseRequested);
  connect(w, &CRateWnd::intervalShown, this, &PulseViewAnalyses::MarkInterval);
  connect(w, &CRateWnd::printRequested, this, [this](int s) { PrintRate(s, false); });
  connect(w, &CRateWnd::previewRequested, this, [this](int s) { PrintRate(s, true); });
  connect(w, &CRateWnd::levelCursorRequested, this,
          [this, slot](int32_t level, int channel, int32_t start, int32_t end) {
            HoldThreshold(slot);
            ShowLevel(level, channel, start, end);
          });
  connect(w, &CRateWnd::thresholdFound, this,
          [this, slot](int32_t level, int channel, int32_t start, int32_t end) {
            if (thresholdSlot_ == slot && InThresholdMode()) ShowLevel(level, channel, start, end);
          });
  auto attachment = std::make_unique<RateAttachment>(w, this);
  rateAttachments_[static_cast<size_t>(slot)] = attachment.get();
  view_->Windows().Attach(attachment.get());
  attachments_.push_back(std::move(attachment));
  w->show();
  w->ShowInterval();
  // The window's threshold becomes the level cursor; one still to be found
  // shows as soon as the histogram is computed.
  HoldThreshold(slot);
  if (w->Histogram().Threshold() >= 0) w->RequestLevelCursor();
}

void PulseViewAnalyses::MarkInterval(int slot, int32_t start, int32_t end, int channel) {
  power_.MarkRateInterval(slot, start, end, channel);
}

void PulseViewAnalyses::RateCloseRequested(int slot) {
  if (!power_.Slots().MayClose(PrintSlots::Kind::kRate)) return;  // being printed
  RateClosed(slot);
}

void PulseViewAnalyses::RateClosed(int slot) {
  if (slot < 0 || slot >= CRateWnd::kMaxWindows) return;
  QPointer<CRateWnd>& w = rate_[static_cast<size_t>(slot)];
  Detach(rateAttachments_[static_cast<size_t>(slot)]);
  rateAttachments_[static_cast<size_t>(slot)] = nullptr;
  ReleaseThreshold(slot);
  // The band goes with its window; the interval another open window marked
  // takes its place.
  power_.ClearRateInterval(slot);
  if (w) {
    w->disconnect(this);
    w->hide();
    w->deleteLater();
  }
  w = nullptr;
}

void PulseViewAnalyses::PrintRate(int slot, bool preview) {
  CRateWnd* w = RateWindow(slot);
  if (!w) return;
  PagePrinter::Page page;
  nv::CNorvaneDoc* doc = view_->Document();
  page.title = doc ? QString::fromStdString(doc->Title()) : QString();
  page.footerLeft = QStringLiteral("Norvane by Quellmark");
  page.footerRight = w->Caption();
  const int tpp = PowerPlot::TwipsPerPixel(*w->Plot());
  page.pictureTwips = QSizeF(w->Plot()->width() * tpp, w->Plot()->height() * tpp);
  QPointer<CRateWnd> guard(w);
  page.draw = [guard](QPainter& p, const QRectF& target, int) {
    if (guard) guard->RenderPicture(p, target);
  };
  // The window keeps its print slot until the print or preview ends, so
  // that it cannot close meanwhile; a preview waits for any other.
  PrintSlots& printSlots = power_.Slots();
  if (!printSlots.Begin(PrintSlots::Kind::kRate, slot, preview)) {
    QApplication::beep();
    return;
  }
  if (preview) PagePrinter::Preview(view_, page);
  else PagePrinter::Print(view_, page);
  printSlots.End();
}

void PulseViewAnalyses::DocumentChanged() {
  for (const QPointer<CRateWnd>& w : rate_)
    if (w) w->SetUp();
}

void PulseViewAnalyses::CloseAll() {
  if (dialog_) {
    PulseAnalysisDialog* d = dialog_;
    CloseDialog(false);
    delete d;  // stops and joins its worker before the document can go
  }
  for (int i = 0; i < CRateWnd::kMaxWindows; ++i) {
    CRateWnd* w = rate_[static_cast<size_t>(i)];
    RateClosed(i);
    delete w;
  }
  attachments_.clear();
}
