#include "plot/SoundPlot.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "document/CNorvaneDoc.h"
#include "document/MarkList.h"

namespace nv {

namespace {

// Frames a screen paint transforms at most (as samples, divided by the FFT
// size): some tens of milliseconds of work.
constexpr int64_t kPaintBudgetSamples = int64_t{1} << 24;

int32_t UnitsPer1000PixelsOf(int logicalDpi) {
  return static_cast<int32_t>(std::lround(1440000.0 / std::max(logicalDpi, 1)));
}

}  // namespace

SoundPlot::SoundPlot(QWidget* parent)
    : QWidget(parent), repaints_([this] {
        if (!dirty_.isEmpty()) update(dirty_.boundingRect());
      }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A new plot waits for its first set-up before it draws.
  repaints_.Hold(500);
}

SoundPlot::~SoundPlot() = default;

void SoundPlot::SetSettings(AnalysisSettings* settings) { settings_ = settings ? settings : &own_; }

void SoundPlot::SetDocument(CNorvaneDoc* doc) {
  doc_ = doc;
  sound_.reset();
  SamplesChanged();
}

void SoundPlot::SetSound(const SoundSource& sound) {
  sound_ = sound;
  doc_ = nullptr;
  SamplesChanged();
}

void SoundPlot::SamplesChanged() { renderer_.ForgetSpectrogramLevels(); }

SoundSource SoundPlot::CurrentSound(bool map) {
  if (sound_) return *sound_;
  if (!doc_) return SoundSource{};
  return SoundSource::Of(*doc_, map);
}

PixelScale SoundPlot::ScreenScale() const {
  return PixelScaleFromDevice(-UnitsPer1000PixelsOf(logicalDpiY()), true);
}

void SoundPlot::Recompute() {
  // With the samples mapped: a set-up without them counts as having nothing
  // to draw, and the spectrogram would stay empty.
  const SoundSource s = CurrentSound(true);
  const bool any = sound_.has_value() || doc_ != nullptr;
  // Samples mapped elsewhere are other samples (a file opened again): the
  // kept spectrogram levels go.
  if (s.samples != keptFor_) {
    SamplesChanged();
    keptFor_ = s.samples;
  }
  setup_ = MakePlotSetup(s, *settings_, ScreenScale(), width(), height());
  setup_.hasDocument = any;
  if (setup_.spect.cursorChannel != 0) cursors_.SetChannel(setup_.spect.cursorChannel);
  renderer_.Prepare(setup_, logicalDpiY());
  InvalidatePlot();
}

void SoundPlot::SetFirstSample(int64_t s) {
  setup_.SetFirstSample(s);
  settings_->firstVisibleSample = setup_.firstVisible();
  settings_->lastVisibleSample = setup_.lastVisible();
  renderer_.Prepare(setup_, logicalDpiY());
  InvalidatePlot();
}

void SoundPlot::InvalidatePlot() {
  dirty_ = QRegion(rect());
  update();
}

void SoundPlot::paintEvent(QPaintEvent* e) {
  if (screen_.size() != size()) {
    screen_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    screen_.fill(Qt::white);
    dirty_ = QRegion(rect());
  }
  if (!dirty_.isEmpty() && repaints_.MayDrawNow(setup_.spectShown)) {
    for (const QRect& r : dirty_) RenderScreenRegion(r);
    dirty_ = QRegion();
  }
  QPainter p(this);
  p.drawImage(e->rect(), cursors_.Over(screen_, e->rect(), renderer_), e->rect());
}

void SoundPlot::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  dirty_ = QRegion(rect());
  repaints_.Hold(500);
}

void SoundPlot::RenderScreenRegion(const QRect& r, bool inParts) {
  QPainter p(&screen_);
  const SoundSource s = CurrentSound(true);
  const int64_t n = std::max(setup_.spect.fftSize, 1);
  renderer_.SetSpectrogramBudget(inParts ? std::max<int64_t>(kPaintBudgetSamples / n, 1) : 0);
  renderer_.Paint(p, s, r, true, marks_, Qt::white, threads_);
  const QRegion left = renderer_.IncompleteSpectrogram() & r;
  unfinished_ -= r;
  if (left.isEmpty()) return;
  unfinished_ += left;
  if (!continuing_) {
    continuing_ = true;
    QMetaObject::invokeMethod(this, &SoundPlot::ContinueSpectrogram, Qt::QueuedConnection);
  }
}

void SoundPlot::ContinueSpectrogram() {
  continuing_ = false;
  if (unfinished_.isEmpty() || screen_.isNull()) return;
  const QRegion parts = unfinished_ & screen_.rect();
  unfinished_ = QRegion();
  for (const QRect& r : parts) {
    RenderScreenRegion(r);
    update(r);
  }
}

void SoundPlot::SetCursor(const CursorRecord& c) {
  if (cursors_.SetCursor(c)) update();
}

void SoundPlot::SetDragCursor(const CursorRecord& c) {
  if (cursors_.SetDragCursor(c)) update();
}

void SoundPlot::SetDetectorLine(const CursorRecord& c) {
  if (cursors_.SetDetectorLine(c)) update();
}

void SoundPlot::SetSelection(const CursorRecord& start, const CursorRecord& end) {
  if (cursors_.SetSelection(start, end)) update();
}

void SoundPlot::SyncMarks() {
  if (!doc_) {
    if (!marks_.empty()) SetMarks({});
    return;
  }
  // Only a change of a display copy costs a repaint.
  if (!SyncMarkCopies(marks_, doc_->Marks()).empty()) InvalidatePlot();
}

void SoundPlot::SetMarks(const std::vector<MarkRecord>& marks) {
  marks_ = marks;
  std::stable_sort(marks_.begin(), marks_.end(),
                   [](const MarkRecord& a, const MarkRecord& b) { return a.number < b.number; });
  InvalidatePlot();
}

nv::PlotArea SoundPlot::HitTest(const QPoint& globalPos) const {
  const QPoint local = mapFromGlobal(globalPos);
  const int64_t per1000 = setup_.scale().unitsPer1000Pixels;
  return setup_.HitTest(int64_t{local.x()} * per1000 / 1000, -int64_t{local.y()} * per1000 / 1000);
}

bool SoundPlot::RenderTo(QPaintDevice& device, const QSize& sizePx, bool erase) {
  if (!sound_ && !doc_) {
    QPainter p(&device);
    if (!p.isActive()) return false;
    if (erase) p.fillRect(QRect(QPoint(0, 0), sizePx), Qt::white);
    return true;
  }
  return Render(device, sizePx, PictureSettings(), CurrentSound(true), marks_, erase, threads_);
}

bool SoundPlot::RenderOnto(QPainter& p, const QRect& targetPx) {
  if (!sound_ && !doc_) return p.isActive();
  return PlotRenderer::RenderOnto(p, targetPx, PictureSettings(), CurrentSound(true), marks_, threads_);
}

AnalysisSettings SoundPlot::PictureSettings() const {
  AnalysisSettings s = *settings_;
  if (s.fftSize == 0 && setup_.hasDocument && setup_.spectShown)
    s.fftSize = setup_.spect.fftSize;
  return s;
}

bool SoundPlot::Render(QPaintDevice& device, const QSize& sizePx, const AnalysisSettings& settings,
                       const SoundSource& sound, const std::vector<MarkRecord>& marks, bool erase,
                       unsigned threads) {
  return PlotRenderer::Render(device, sizePx, settings, sound, marks, erase, threads);
}

QImage SoundPlot::Grab() {
  if (screen_.size() != size()) {
    screen_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    dirty_ = QRegion(rect());
  }
  for (const QRect& r : dirty_) RenderScreenRegion(r, false);
  dirty_ = QRegion();
  const QRegion parts = unfinished_;
  for (const QRect& r : parts) RenderScreenRegion(r, false);
  return cursors_.Over(screen_, rect(), renderer_);
}

}  // namespace nv
