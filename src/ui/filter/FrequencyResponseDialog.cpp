#include "filter/FrequencyResponseDialog.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "plot/AxisRules.h"

namespace {

// The levels of the horizontal lines, 0 dB down to the bottom edge.
constexpr int kTopDb = 0;
constexpr int kBottomDb = -50;
constexpr int kStepDb = 10;
// dB shown between 0 dB and the top edge.
constexpr int kHeadroomDb = 3;

}  // namespace

FrequencyResponseDialog::FrequencyResponseDialog(
    const std::array<double, nv::kFilterResponsePoints>& magnitudes, int64_t nyquistHz, QWidget* parent)
    : QDialog(parent), magnitudes_(magnitudes), nyquistHz_(nyquistHz) {
  setWindowTitle(QStringLiteral("Frequency Response"));
  plot_ = new FrequencyResponsePlot(this, this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* v = new QVBoxLayout(this);
  v->addWidget(plot_, 1);
  v->addWidget(buttons);
}

QWidget* FrequencyResponseDialog::Plot() const { return plot_; }

FrequencyResponsePlot::FrequencyResponsePlot(const FrequencyResponseDialog* owner, QWidget* parent)
    : QWidget(parent), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

double FrequencyResponsePlot::LevelY(double db, double top, double bottom) {
  const double height = bottom - top;
  return bottom - (db - kBottomDb) * height / (kTopDb - kBottomDb + kHeadroomDb);
}

void FrequencyResponsePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QFontMetrics fm = p.fontMetrics();
  const int left = fm.horizontalAdvance(QStringLiteral("-50 dB")) + 10;
  const int right = width() - fm.horizontalAdvance(QStringLiteral("000000 Hz")) / 2 - 4;
  const int top = fm.height() / 2 + 4;
  const int bottom = height() - fm.height() - 8;
  if (right <= left + 10 || bottom <= top + 10) return;
  const QRectF area(left, top, right - left, bottom - top);

  // Level lines with their labels.
  p.setPen(QPen(QColor(200, 200, 200), 0));
  for (int db = kTopDb; db >= kBottomDb; db -= kStepDb) {
    const double y = LevelY(db, area.top(), area.bottom());
    p.setPen(QPen(QColor(205, 205, 205), 0));
    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    p.setPen(Qt::black);
    const QString t = QString::asprintf("%d dB", db);
    p.drawText(QRectF(0, y - fm.height() / 2.0, left - 6, fm.height()), Qt::AlignRight | Qt::AlignVCenter, t);
  }

  // Frequency ticks, labelled where the labels have room.
  const int64_t nyquist = owner_->NyquistHz();
  if (nyquist > 0) {
    const int64_t step = std::max<int64_t>(nv::NiceStep(nyquist), 1);
    double lastLabelEnd = -1e9;
    for (int64_t f = 0; f <= nyquist; f += step) {
      const double x = area.left() + static_cast<double>(f) * area.width() / static_cast<double>(nyquist);
      p.setPen(QPen(QColor(205, 205, 205), 0));
      p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
      p.setPen(Qt::black);
      p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
      const QString t = QString::asprintf("%lld Hz", static_cast<long long>(f));
      const double w = fm.horizontalAdvance(t);
      if (x - w / 2 > lastLabelEnd + 6) {
        p.drawText(QRectF(x - w / 2, area.bottom() + 5, w + 1, fm.height()), Qt::AlignCenter, t);
        lastLabelEnd = x + w / 2;
      }
    }
  }
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(area);

  // The curve; levels below the bottom edge lie on it.
  const auto& m = owner_->Magnitudes();
  QPainterPath path;
  for (int k = 0; k < nv::kFilterResponsePoints; ++k) {
    double db = m[static_cast<size_t>(k)] > 0 ? 20.0 * std::log10(m[static_cast<size_t>(k)]) : kBottomDb;
    if (!std::isfinite(db) || db < kBottomDb) db = kBottomDb;
    const double x = area.left() + k * area.width() / (nv::kFilterResponsePoints - 1);
    const double y = std::max(LevelY(db, area.top(), area.bottom()), area.top());
    if (k == 0)
      path.moveTo(x, y);
    else
      path.lineTo(x, y);
  }
  p.setPen(QPen(QColor(0, 0, 200), 2));
  p.drawPath(path);
}
