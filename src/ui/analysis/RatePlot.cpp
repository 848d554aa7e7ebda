#include "analysis/RatePlot.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "analysis/RateHistogram.h"
#include "document/CNorvaneDoc.h"
#include "plot/AxisRules.h"
#include "plot/TimeFormat.h"

namespace {

int64_t Nice(int64_t x) { return x > 0 ? std::max<int64_t>(1, nv::NiceStep(x)) : 1; }

// Labels every k-th tick: 1 up to 4 ticks, 2 for 5 to 9, 5 for more.
int64_t LabelEvery(int64_t ticks) { return ticks <= 4 ? 1 : ticks <= 9 ? 2 : 5; }

QFont PlotFont() {
  QFont f(QStringLiteral("Helvetica"));
  f.setPointSize(8);
  return f;
}

}  // namespace

RatePlot::RatePlot(nv::CNorvaneDoc* doc, nv::RateHistogram* histogram, QWidget* parent)
    : QWidget(parent), doc_(doc), hist_(histogram) {
  setMouseTracking(true);
  setAutoFillBackground(true);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void RatePlot::EnsureComputed() {
  if (!doc_ || hist_->Computed()) return;
  if (hist_->Compute(doc_->Samples())) emit thresholdComputed();
}

void RatePlot::ClearReference() {
  haveReference_ = false;
  readout_.clear();
  update();
}

QFont RatePlot::ScreenFont() const {
  QFont f = PlotFont();
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(8.0 * logicalDpiY() / 72.0))));
  return f;
}

RatePlot::Layout RatePlot::LayoutFor(const QSize& size) const {
  const QFontMetrics fm(ScreenFont());
  Layout l;
  const int left = 5 + fm.horizontalAdvance(QStringLiteral("00000 ")) + 4;
  const int bottom = 2 * fm.height() + 10;
  const int top = 8, right = 8;
  l.plot = QRect(left, top, std::max(1, size.width() - left - right), std::max(1, size.height() - top - bottom));
  l.textY = l.plot.bottom() + 8 + 2 * fm.height();
  return l;
}

QString RatePlot::TimeText(int64_t us, int code) const {
  return QString::fromStdString(nv::FormatTimeValue(code, us * 1000));
}

void RatePlot::Render(QPainter& p, const QSize& size) {
  EnsureComputed();
  p.setFont(ScreenFont());
  const QFontMetrics fm = p.fontMetrics();
  const Layout l = LayoutFor(size);
  const QRect& r = l.plot;
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.bottomLeft(), r.topLeft());
  if (!doc_ || doc_->FrameCount() <= 0) return;

  const int64_t S = hist_->HistStartUs(), E = hist_->HistEndUs();
  const int first = hist_->FirstBar(), last = hist_->LastBar();
  const int64_t largest = std::max<int64_t>(1, hist_->LargestCount());
  auto yOf = [&](int64_t count) { return r.bottom() - static_cast<int>(count * r.height() / largest); };

  // Count axis.
  const int64_t cstep = Nice(largest);
  const int64_t cticks = largest / cstep + 1;
  const int64_t cevery = LabelEvery(cticks);
  for (int64_t k = 0; k * cstep <= largest; ++k) {
    const int y = yOf(k * cstep);
    if (k % cevery == 0) {
      p.drawLine(r.left() - 3, y, r.left() + 4, y);
      const QString t = QString::asprintf("%d ", static_cast<int>(k * cstep));
      p.drawText(r.left() - 4 - fm.horizontalAdvance(t), y + fm.ascent() / 2, t);
    } else {
      p.drawLine(r.left() - 1, y, r.left() + 1, y);
    }
  }

  // Time axis.
  const int axisCode = hist_->AxisFormatCode();
  if (E > S) {
    const int64_t tstep = Nice(E - S);
    const int64_t tticks = (E - S) / tstep;
    const int64_t tevery = LabelEvery(tticks);
    for (int64_t k = 0; S + k * tstep < E; ++k) {
      const int x = r.left() + static_cast<int>((k * tstep) * r.width() / (E - S));
      if (k % tevery == 0) {
        p.drawLine(x, r.bottom(), x, r.bottom() + 5);
        const QString t = TimeText(S + k * tstep, axisCode);
        p.drawText(x - fm.horizontalAdvance(t) / 2, r.bottom() + 6 + fm.ascent(), t);
      } else {
        p.drawLine(x, r.bottom(), x, r.bottom() + 3);
      }
    }
  }

  // Bars.
  const int shown = last - first + 1;
  if (shown > 0) {
    for (int i = first; i <= last; ++i) {
      const int64_t c = hist_->Count(i);
      if (c <= 0) continue;
      const int x0 = r.left() + static_cast<int>(static_cast<int64_t>(i - first) * r.width() / shown);
      const int x1 = r.left() + static_cast<int>(static_cast<int64_t>(i - first + 1) * r.width() / shown);
      p.fillRect(QRect(QPoint(x0, yOf(c)), QPoint(std::max(x0, x1 - 1), r.bottom())), Qt::black);
    }
  }

  // Below the plot: the readout and the analysed stretch with the total.
  const int64_t t0 = doc_->FramesToMicroseconds(hist_->RangeStart());
  const int64_t t1 = doc_->FramesToMicroseconds(hist_->RangeEnd());
  const QString right = QStringLiteral("     ") + TimeText(t0, axisCode) + QStringLiteral(" - ") +
                        QString::fromStdString(nv::FormatTimeWithUnit(axisCode, t1 * 1000)) +
                        QString::asprintf(", %d ", static_cast<int>(hist_->Total())) +
                        (hist_->Settings().intervalMode ? QStringLiteral("pulse intervals.")
                                                        : QStringLiteral("pulses."));
  p.drawText(r.right() - fm.horizontalAdvance(right), l.textY, right);
  p.drawText(2, l.textY, readout_);
}

void RatePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  Render(p, size());
}

bool RatePlot::ValueAt(const QPoint& pos, int64_t& us, int64_t& count) const {
  const Layout l = LayoutFor(size());
  if (!l.plot.contains(pos) || !hist_->Computed()) return false;
  const int64_t S = hist_->HistStartUs(), E = hist_->HistEndUs();
  us = S + static_cast<int64_t>(pos.x() - l.plot.left()) * (E - S) / std::max(1, l.plot.width());
  count = static_cast<int64_t>(l.plot.bottom() - pos.y()) * std::max<int64_t>(1, hist_->LargestCount()) /
          std::max(1, l.plot.height());
  return true;
}

void RatePlot::mouseMoveEvent(QMouseEvent* event) {
  int64_t us, count;
  if (!ValueAt(event->position().toPoint(), us, count)) {
    unsetCursor();
    if (!readout_.isEmpty() && !haveReference_) {
      readout_.clear();
      update();
    }
    return;
  }
  setCursor(Qt::CrossCursor);
  readout_ = QString::fromStdString(nv::FormatTimeWithUnit(hist_->ReadoutFormatCode(), us * 1000)) +
             QString::asprintf(", #%d ", static_cast<int>(count));
  update();
}

void RatePlot::mousePressEvent(QMouseEvent* event) {
  int64_t us, count;
  if (event->button() != Qt::LeftButton || !ValueAt(event->position().toPoint(), us, count)) return;
  haveReference_ = true;
  refUs_ = us;
  refCount_ = count;
  readout_ = QString::fromStdString(nv::FormatTimeWithUnit(hist_->ReadoutFormatCode(), us * 1000)) +
             QString::asprintf(" #%d", static_cast<int>(count));
  update();
}

void RatePlot::leaveEvent(QEvent*) {
  unsetCursor();
  readout_.clear();
  update();
}

void RatePlot::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuWanted(event->globalPos()); }
