#include "analysis/PowerPlot.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "analysis/PowerLayout.h"

namespace {

constexpr int kPt = nv::kTwipsPerPoint;

QFont PlotFont() {
  QFont f(QStringLiteral("Helvetica"));
  f.setPointSizeF(nv::kPowerFontPoints);
  return f;
}

// Device coordinates of twips (x right, y up from the rectangle's bottom).
struct Mapper {
  QRectF r;
  double k = 1.0 / 15;
  QPointF operator()(double x, double y) const { return {r.left() + x * k, r.bottom() - y * k}; }
};

enum class Anchor { kLeft, kRight, kCenter };

// Text with its top at y (twips), anchored at x.
void TextTop(QPainter& p, const Mapper& m, double x, double y, const QString& s, Anchor a) {
  const QPointF d = m(x, y);
  constexpr double kBig = 100000;
  switch (a) {
    case Anchor::kLeft:
      p.drawText(QRectF(d.x(), d.y(), kBig, kBig), Qt::AlignLeft | Qt::AlignTop, s);
      break;
    case Anchor::kRight:
      p.drawText(QRectF(d.x() - kBig, d.y(), kBig, kBig), Qt::AlignRight | Qt::AlignTop, s);
      break;
    case Anchor::kCenter:
      p.drawText(QRectF(d.x() - kBig / 2, d.y(), kBig, kBig), Qt::AlignHCenter | Qt::AlignTop, s);
      break;
  }
}

// Text vertically centred on y (twips), right-aligned at x.
void TextRightMiddle(QPainter& p, const Mapper& m, double x, double y, const QString& s) {
  const QPointF d = m(x, y);
  constexpr double kBig = 100000;
  p.drawText(QRectF(d.x() - kBig, d.y() - kBig / 2, kBig, kBig), Qt::AlignRight | Qt::AlignVCenter, s);
}

}  // namespace

PowerPlot::PowerPlot(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

int PowerPlot::TwipsPerPixel(const QPaintDevice& device) {
  const int dpi = std::max(1, device.logicalDpiX());
  return std::max(1, 1440 / dpi);
}

void PowerPlot::Recompute() {
  if (!model_) return;
  const int tpp = TwipsPerPixel(*this);
  const nv::PowerSoundFormat f = format ? format() : nv::PowerSoundFormat{};
  model_->SetUp(f, nv::MakePowerLayout(width() * tpp, height() * tpp, tpp));
  const nv::SampleSource s = samples ? samples() : nv::SampleSource();
  model_->Compute(s);
  if (recomputed) recomputed();
  update();
}

void PowerPlot::Draw(QPainter& p, const nv::PowerWindowModel& model, const QRectF& rect,
                     const QString& readout, bool raster, std::vector<std::pair<QString, QRectF>>* labelRects) {
  const nv::PowerSetup& s = model.Setup();
  const nv::PowerLayout& l = s.layout;
  if (l.widthTw <= 0 || rect.width() <= 0) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  Mapper m{rect, rect.width() / l.widthTw};
  const double pen = std::max(1.0, l.penWidth * m.k);
  QPen axisPen(Qt::black, pen);
  axisPen.setCapStyle(Qt::FlatCap);
  p.setPen(axisPen);
  p.setFont(PlotFont());
  // Axes along the bottom and the left of the plot.
  const int left = l.plotLeft, bottom = l.plotBottom, right = l.PlotRight(), top = l.PlotTop();
  p.drawLine(m(left, bottom), m(right, bottom));
  p.drawLine(m(left, bottom), m(left, top));
  // Level labels with their ticks.
  for (const nv::PowerLabel& lab : model.LevelLabels()) {
    p.drawLine(m(left - 2 * kPt, lab.y), m(left + 3 * kPt, lab.y));
    TextRightMiddle(p, m, left - 3 * kPt, lab.y, QString::fromStdString(lab.text));
  }
  // Frequency ticks and labels. A label is centred on its tick but kept
  // inside the picture, so that the last one ("150 kHz") is not cut at the
  // right edge.
  const QFontMetricsF metrics(p.font(), p.device());
  if (labelRects) labelRects->clear();
  for (const nv::PowerTick& t : model.FrequencyTicks()) {
    p.drawLine(m(t.x, bottom), m(t.x, bottom - (t.major ? 5 : 3) * kPt));
    if (!t.major) continue;
    const QString text = QString::fromStdString(t.text);
    const QPointF at = m(t.x, bottom - 5 * kPt);
    const double w = metrics.horizontalAdvance(text);
    const double x = std::clamp(at.x() - w / 2, rect.left(), std::max(rect.left(), rect.right() - w));
    const QRectF box(x, at.y(), w, metrics.height());
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    if (labelRects) labelRects->push_back({text, box});
  }
  // The curve.
  const std::vector<nv::PowerPoint> curve = model.Curve();
  if (curve.size() > 1) {
    QPen curvePen(QColor(0, 0, 160), pen);
    curvePen.setJoinStyle(Qt::BevelJoin);
    p.setPen(curvePen);
    QPolygonF poly;
    poly.reserve(static_cast<int>(curve.size()));
    for (const nv::PowerPoint& pt : curve) poly << m(pt.x, pt.y);
    p.drawPolyline(poly);
    p.setPen(axisPen);
  }
  // The readout on the left and the analysed interval on the right, below
  // the frequency labels.
  const double lineTop = l.readoutBaseline;
  TextTop(p, m, 2 * kPt, lineTop, readout, Anchor::kLeft);
  TextTop(p, m, right, lineTop, QString::fromStdString(model.IntervalText()), Anchor::kRight);
  // The reference cross.
  int cx = 0, cy = 0;
  if (model.ReferencePoint(cx, cy)) {
    if (raster) p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(QPen(Qt::black, pen));
    p.drawLine(m(cx - 400, cy), m(cx + 400, cy));
    p.drawLine(m(cx, cy - 400), m(cx, cy + 400));
  }
  p.restore();
}

nv::PowerWindowModel PowerPlot::PictureModel(const nv::PowerWindowModel& model, const nv::PowerSoundFormat& f,
                                             const QRectF& target, double tpp) {
  // The target's size in twips, so that one twip of the layout is one twip
  // on the device whatever its resolution.
  return model.ForPicture(f, nv::MakePowerLayout(static_cast<int>(std::lround(target.width() * tpp)),
                                                 static_cast<int>(std::lround(target.height() * tpp)), tpp));
}

void PowerPlot::Render(QPainter& p, const nv::PowerWindowModel& model, const nv::PowerSoundFormat& f,
                       const nv::SampleSource& samples, const QRectF& target, double tpp,
                       const QString& readout, bool raster) {
  nv::PowerWindowModel copy = PictureModel(model, f, target, tpp);
  copy.Compute(samples);
  Draw(p, copy, target, readout, raster);
}

QPoint PowerPlot::ToTwips(const QPoint& px) const {
  const int tpp = TwipsPerPixel(*this);
  return {px.x() * tpp, (height() - px.y()) * tpp};
}

void PowerPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  if (!model_ || !model_->HasSpectrum()) return;
  Draw(p, *model_, QRectF(rect()), readout_, true, &labels_);
}

void PowerPlot::resizeEvent(QResizeEvent*) { Recompute(); }

void PowerPlot::mouseMoveEvent(QMouseEvent* e) {
  if (!model_) return;
  const QPoint t = ToTwips(e->position().toPoint());
  const std::string text = model_->ReadoutAt(t.x(), t.y());
  const bool inside = !text.empty();
  if (inside != overPlot_) {
    overPlot_ = inside;
    if (inside) setCursor(Qt::CrossCursor);
    else unsetCursor();
  }
  const QString q = QString::fromStdString(text);
  if (q != readout_) {
    readout_ = q;
    update();
  }
}

void PowerPlot::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {
    if (contextMenu) contextMenu(e->globalPosition().toPoint());
    return;
  }
  if (e->button() != Qt::LeftButton || !model_) return;
  const QPoint t = ToTwips(e->position().toPoint());
  const std::string text = model_->ClickAt(t.x(), t.y());
  if (text.empty()) return;
  readout_ = QString::fromStdString(text);
  update();
}

void PowerPlot::leaveEvent(QEvent*) {
  overPlot_ = false;
  unsetCursor();
  if (!readout_.isEmpty()) {
    readout_.clear();
    update();
  }
}
