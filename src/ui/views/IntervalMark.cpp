#include "views/IntervalMark.h"

#include <QPainter>
#include <QPaintEvent>
#include <algorithm>

#include "plot/SoundPlot.h"

IntervalMark::IntervalMark(nv::SoundPlot* plot) : QWidget(plot), plot_(plot) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  hide();
}

void IntervalMark::Set(int32_t start, int32_t end, int channel) {
  start_ = start;
  end_ = end;
  channel_ = channel;
  setGeometry(plot_->rect());
  show();
  raise();
  update();
}

void IntervalMark::Clear() {
  start_ = end_ = -1;
  hide();
}

void IntervalMark::paintEvent(QPaintEvent*) {
  if (start_ < 0 || geometry() != plot_->rect()) {
    if (start_ >= 0) setGeometry(plot_->rect());
    return;
  }
  const nv::PlotSetup& s = plot_->Setup();
  const double k = 1000.0 / std::max(1, s.scale().unitsPer1000Pixels);
  const double x0 = s.SampleToX(start_) * k, x1 = s.SampleToX(end_) * k;
  const double left = s.layout.plotLeft * k, right = s.layout.plotRight * k;
  const double a = std::max(left, x0), b = std::min(right, std::max(x1, x0 + 2));
  if (b <= a) return;
  double top = 0, height = this->height();
  if (s.layout.channelShift > 0 && (channel_ == 1 || channel_ == 2)) {
    height = s.layout.channelHeight * k;
    if (channel_ == 2) top = s.layout.channelShift * k;
  }
  QPainter p(this);
  p.fillRect(QRectF(a, top, b - a, height), QColor(255, 170, 0, 60));
  p.setPen(QColor(200, 120, 0));
  p.drawLine(QPointF(a, top), QPointF(a, top + height));
  p.drawLine(QPointF(b, top), QPointF(b, top + height));
}
