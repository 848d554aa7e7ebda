#include "views/CNvAnaViewPower.h"

#include <QApplication>
#include <QPointer>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>

#include "analysis/CPowerWnd.h"
#include "analysis/PowerSettingsDialog.h"
#include "base/CommandIds.h"
#include "base/CommandTarget.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/IntervalMark.h"
#include "views/CNvAnaView.h"
#include "views/AnalysisChannel.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"

CNvAnaViewPower::CNvAnaViewPower(CNvAnaView* view, ViewHost& host) : view_(view), host_(host) {
  mark_ = new IntervalMark(view->Plot());
  view->Windows().Attach(this);
}

CNvAnaViewPower::~CNvAnaViewPower() {
  CloseAll();
  view_->Windows().Detach(this);
}

void CNvAnaViewPower::SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) {
  for (int i = 0; i < kSlots; ++i)
    if (CPowerWnd* w = Window(i)) w->ViewChanged(start, end, channels, fullUpdate);
}

CPowerWnd* CNvAnaViewPower::Window(int slot) const {
  return slot >= 0 && slot < kSlots ? windows_[static_cast<size_t>(slot)].data() : nullptr;
}

int CNvAnaViewPower::OpenCount() const {
  return static_cast<int>(std::count_if(windows_.begin(), windows_.end(), [](const auto& w) { return !w.isNull(); }));
}

void CNvAnaViewPower::CloseAll() {
  for (auto& w : windows_) {
    if (w) delete w.data();
    w = nullptr;
  }
  band_.erase(std::remove_if(band_.begin(), band_.end(), [](const BandMark& m) { return m.owner < kRateOwner; }),
              band_.end());
  ShowBand();
}

void CNvAnaViewPower::SamplesChanged() {
  for (auto& w : windows_)
    if (w) w->Recompute();
}

CPowerWnd* CNvAnaViewPower::OpenPowerSpectrum() {
  nv::CNorvaneDoc* doc = view_->Document();
  if (!doc) return nullptr;
  int slot = -1;
  for (int i = 0; i < kSlots && slot < 0; ++i)
    if (!windows_[static_cast<size_t>(i)]) slot = i;
  if (slot < 0) {
    nv::ShowMessage("Maximum number of power spectras already open.", nv::MessageIcon::Exclamation);
    return nullptr;
  }
  // The defaults, with the channels the view shows.
  nv::PowerSettings s = host_.DefaultPower();
  const nv::AnalysisSettings& vs = view_->Settings();
  s.leftChannel = vs.leftChannel ? 1 : 0;
  s.rightChannel = vs.rightChannel ? 1 : 0;
  const bool stereo = doc->Format().nChannels >= 2;
  // One channel of a stereo sound; the one the view shows when it shows one.
  auto takeChannel = [&](int channel) {
    if (!stereo) return;
    const int c = nv::AnalysisChannel(channel, 2, vs.leftChannel != 0, vs.rightChannel != 0);
    if (c != 1 && c != 2) return;
    s.leftChannel = c == 1 ? 1 : 0;
    s.rightChannel = c == 2 ? 1 : 0;
  };
  nv::SoundPlot* plot = view_->Plot();
  int32_t start, end;
  if (view_->HasSelection()) {
    start = std::min(plot->SelectionStart().position, plot->SelectionEnd().position);
    end = std::max(plot->SelectionStart().position, plot->SelectionEnd().position);
    takeChannel(plot->SelectionStart().channel);
  } else {
    const nv::CursorRecord& c = plot->Cursor();
    start = c.position >= 0 ? c.position : static_cast<int32_t>(std::max<int64_t>(0, vs.firstVisibleSample));
    end = start + s.fftSize;
    takeChannel(c.position >= 0 ? c.channel : 3);
  }
  auto* w = new CPowerWnd(view_, this, doc, slot, s, start, end);
  windows_[static_cast<size_t>(slot)] = w;
  w->show();
  w->Recompute();
  return w;
}

bool CNvAnaViewPower::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kPowerSpectrum:
      OpenPowerSpectrum();
      return true;
    case kPowerSettingsDefault: {
      nv::CNorvaneDoc* doc = view_->Document();
      int32_t nyquist = 0;
      if (doc) {
        nyquist = static_cast<int32_t>(std::min<int64_t>(doc->Time().Repaired().NyquistHz(), INT32_MAX));
      }
      PowerSettingsDialog::Edit(host_.DefaultPower(), nyquist, view_);
      return true;
    }
    case kFilePrint:
      PrintView(false);
      return true;
    case kFilePrintPreview:
      PrintView(true);
      return true;
    case kFilePrintSetup:
      PagePrinter::PageSetup(view_);
      return true;
    default:
      return false;
  }
}

bool CNvAnaViewPower::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  switch (id) {
    case kPowerSpectrum:
    case kPowerSettingsDefault:
      st.enabled = view_->Document() != nullptr;
      return true;
    // Printing is a file command: greyed while a sound plays, as the others.
    case kFilePrint:
    case kFilePrintPreview:
      st.enabled = view_->Document() != nullptr && !host_.IsPlaying();
      return true;
    case kFilePrintSetup:
      st.enabled = !host_.IsPlaying();
      return true;
    default:
      return false;
  }
}

PagePrinter::Page CNvAnaViewPower::ViewPage() const {
  PagePrinter::Page page;
  nv::CNorvaneDoc* doc = view_->Document();
  page.title = doc ? QString::fromStdString(doc->Title()) : QString();
  page.footerLeft = QStringLiteral("Norvane");
  page.footerRight = view_->Strip()->FormatText();
  nv::SoundPlot* plot = view_->Plot();
  const int tpp = std::max(1, 1440 / std::max(1, plot->logicalDpiX()));
  page.pictureTwips = QSizeF(plot->width() * tpp, plot->height() * tpp);
  QPointer<nv::SoundPlot> guard(plot);
  page.draw = [guard](QPainter& p, const QRectF& target, double) {
    // Drawn straight onto the page at the printer's resolution, so that its
    // lines (marks, grid, axes) are lines on paper and in the preview alike.
    if (guard) guard->RenderOnto(p, target.toAlignedRect());
  };
  return page;
}

void CNvAnaViewPower::PrintView(bool preview) {
  if (!view_->Document()) return;
  slots_.End();  // the view itself: both slots -1
  const PagePrinter::Page page = ViewPage();
  if (preview) PagePrinter::Preview(view_, page);
  else PagePrinter::Print(view_, page);
}

int32_t CNvAnaViewPower::MarkStart() const { return mark_ ? mark_->Start() : -1; }
int32_t CNvAnaViewPower::MarkEnd() const { return mark_ ? mark_->End() : -1; }

void CNvAnaViewPower::SetBand(int owner, int32_t start, int32_t end, int channel) {
  ReleaseBand(owner);
  band_.push_back(BandMark{owner, start, end, channel});
  ShowBand();
}

void CNvAnaViewPower::ReleaseBand(int owner) {
  band_.erase(std::remove_if(band_.begin(), band_.end(), [owner](const BandMark& m) { return m.owner == owner; }),
              band_.end());
  ShowBand();
}

void CNvAnaViewPower::ShowBand() {
  if (!mark_) return;
  if (band_.empty()) mark_->Clear();
  else mark_->Set(band_.back().start, band_.back().end, band_.back().channel);
}

void CNvAnaViewPower::MarkRateInterval(int slot, int32_t start, int32_t end, int channel) {
  SetBand(kRateOwner + slot, start, end, channel);
}

void CNvAnaViewPower::ClearRateInterval(int slot) { ReleaseBand(kRateOwner + slot); }

int CNvAnaViewPower::MarkedRateSlot() const {
  return !band_.empty() && band_.back().owner >= kRateOwner ? band_.back().owner - kRateOwner : -1;
}

void CNvAnaViewPower::MarkAnalysedInterval(int slot, int32_t start, int32_t end, int channel) {
  if (slot >= 0 && slot < kSlots) SetBand(slot, start, end, channel);
}

void CNvAnaViewPower::ClearAnalysedInterval(int slot) {
  if (slot >= 0 && slot < kSlots) ReleaseBand(slot);
}

void CNvAnaViewPower::PowerWindowClosed(int slot) {
  if (!slots_.MayClose(PrintSlots::Kind::kPower)) return;  // being printed
  CPowerWnd* w = Window(slot);
  if (!w) return;
  ReleaseBand(slot);  // whatever the window still marked goes with it
  windows_[static_cast<size_t>(slot)] = nullptr;
  w->hide();
  w->deleteLater();
  view_->activateWindow();
  view_->raise();
}

void CNvAnaViewPower::PrintPowerWindow(int slot) {
  CPowerWnd* w = Window(slot);
  if (!w) return;
  slots_.Begin(PrintSlots::Kind::kPower, slot, false);
  PagePrinter::Print(view_, w->PrintPage());
  slots_.End();
}

void CNvAnaViewPower::PreviewPowerWindow(int slot) {
  CPowerWnd* w = Window(slot);
  if (!w) return;
  if (!slots_.Begin(PrintSlots::Kind::kPower, slot, true)) {
    QApplication::beep();
    return;
  }
  PagePrinter::Preview(view_, w->PrintPage());
  slots_.End();
}
