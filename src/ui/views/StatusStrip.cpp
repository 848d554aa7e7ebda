#include "views/StatusStrip.h"

#include <QPainter>

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("NrChild");
  setFixedHeight(kHeight);
  QFont f(QStringLiteral("Helvetica"));
  f.setPointSize(8);
  setFont(f);
  setAutoFillBackground(true);
}

void StatusStrip::SetStatusText(const QString& t) {
  if (t == status_) return;
  status_ = t;
  // Only the status field is drawn again, at least 200 pixels of it.
  update(QRect(0, 0, std::max(200, width() - 210), height()));
}

void StatusStrip::SetFormatText(const QString& t) {
  if (t == format_) return;
  format_ = t;
  update();
}

void StatusStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  const int baseline = 1 + fontMetrics().ascent();
  p.drawText(6, baseline, status_);
  // 210 pixels from the right edge, further left when the text is longer.
  const int fromRight = std::max(210, fontMetrics().horizontalAdvance(format_) + 6);
  p.drawText(std::max(206, width() - fromRight), baseline, format_);
}
