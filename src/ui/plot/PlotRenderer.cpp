#include "plot/PlotRenderer.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "dsp/BinPower.h"
#include "plot/ColorSchemes.h"

namespace nv {

namespace {

QRgb ToQRgb(uint32_t packed) { return qRgb(RedOf(packed), GreenOf(packed), BlueOf(packed)); }

QPen CosmeticPen(const QColor& c, double widthPx, Qt::PenStyle style) {
  QPen pen(c);
  pen.setCosmetic(true);
  pen.setWidthF(std::max(1.0, std::round(widthPx)));
  pen.setStyle(style);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

bool IsRaster(QPainter& p) {
  return p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
}

// Multiples of step from the first at or after `from` up to `to`.
template <typename F>
void ForMultiples(int64_t from, int64_t to, int64_t step, F f) {
  if (step <= 0) return;
  int64_t first = from >= 0 ? (from + step - 1) / step * step : -((-from) / step * step);
  for (int64_t v = first; v <= to; v += step) f(v);
}

}  // namespace

bool PlotRenderer::Render(QPaintDevice& device, const QSize& sizePx, const AnalysisSettings& settings,
                          const SoundSource& sound, const std::vector<MarkRecord>& marks, bool erase,
                          unsigned threads) {
  if (sizePx.isEmpty()) return false;
  AnalysisSettings copy = settings;
  const int dpi = device.logicalDpiY();
  const int32_t unitsPer1000 = static_cast<int32_t>(std::lround(1440000.0 / std::max(dpi, 1)));
  const PixelScale scale = PixelScaleFromDevice(-unitsPer1000, false);
  const PlotSetup ps = MakePlotSetup(sound, copy, scale, sizePx.width(), sizePx.height());
  PlotRenderer r;
  r.Prepare(ps, dpi);
  QPainter p(&device);
  if (!p.isActive()) return false;
  if (erase) p.fillRect(QRect(QPoint(0, 0), sizePx), Qt::white);
  r.Paint(p, sound, QRect(QPoint(0, 0), sizePx), false, marks, Qt::white, threads);
  return true;
}

bool PlotRenderer::RenderOnto(QPainter& p, const QRect& targetPx, const AnalysisSettings& settings,
                              const SoundSource& sound, const std::vector<MarkRecord>& marks,
                              unsigned threads) {
  if (targetPx.isEmpty() || !p.isActive() || !p.device()) return false;
  AnalysisSettings copy = settings;
  const int dpi = p.device()->logicalDpiY();
  const int32_t unitsPer1000 = static_cast<int32_t>(std::lround(1440000.0 / std::max(dpi, 1)));
  const PixelScale scale = PixelScaleFromDevice(-unitsPer1000, false);
  const PlotSetup ps = MakePlotSetup(sound, copy, scale, targetPx.width(), targetPx.height());
  PlotRenderer r;
  r.Prepare(ps, dpi);
  p.save();
  // The plot's device origin moves to the target's corner by the view
  // transform, which the drawing's own world transforms leave alone.
  p.setWindow(QRect(QPoint(0, 0), targetPx.size()));
  p.setViewport(targetPx);
  r.Paint(p, sound, QRect(QPoint(0, 0), targetPx.size()), false, marks, Qt::white, threads);
  p.restore();
  return true;
}

void PlotRenderer::Prepare(const PlotSetup& setup, int logicalDpiY) {
  s_ = setup;
  k_ = 1000.0 / std::max(setup.scale().unitsPer1000Pixels, 1);
  const double w = (setup.scale().unitsPerPixel + 1) * k_;
  OwnPen(FixedPen::Black) = CosmeticPen(Qt::black, w, Qt::SolidLine);
  OwnPen(FixedPen::White) = CosmeticPen(Qt::white, w, Qt::SolidLine);
  OwnPen(FixedPen::Cursor1) = CosmeticPen(QColor(0x20, 0x80, 0x20), w, Qt::DotLine);
  OwnPen(FixedPen::Cursor2) = CosmeticPen(QColor(0x80, 0x20, 0x20), w, Qt::DotLine);
  OwnPen(FixedPen::ThinDotted) = CosmeticPen(Qt::black, 1, Qt::DotLine);
  OwnPen(FixedPen::Grid) = CosmeticPen(QColor(0xC4, 0xC4, 0xC4), 1, Qt::DotLine);
  playEdge_ = CosmeticPen(Qt::black, 5, Qt::SolidLine);
  playCore_ = CosmeticPen(QColor(0x00, 0xC8, 0xFF), 3, Qt::SolidLine);
  for (int i = 0; i < 64; ++i) levelRgb_[i] = ToQRgb(setup.spect.levelColors[i]);
  userRgb_.clear();
  for (uint32_t c : setup.spect.userPens.colors) userRgb_.push_back(ToQRgb(c));
  // Point sizes follow the device: the painter converts them with the
  // device's resolution, which is the one the set-up's scale came from.
  (void)logicalDpiY;
  font_ = QFont("Helvetica");
  font_.setStyleHint(QFont::SansSerif);
  font_.setPointSizeF(setup.fontSize);
  smallFont_ = font_;
  smallFont_.setPointSizeF(std::max(1, setup.fontSize - 1));
}

QColor PlotRenderer::LevelColor(int level) const {
  return QColor(levelRgb_[std::clamp(level, 0, 63)]);
}

QColor PlotRenderer::UserPenColor(int pen) const {
  if (pen < 0 || pen >= static_cast<int>(userRgb_.size())) return QColor();
  return QColor(userRgb_[pen]);
}

void PlotRenderer::UseLogical(QPainter& p, int32_t shift) const {
  p.setWorldTransform(QTransform(k_, 0, 0, -k_, 0, shift * k_));
}

void PlotRenderer::Text(QPainter& p, double x, double y, int32_t shift, const QString& s, Align a,
                        const QFont& f) const {
  const QTransform saved = p.worldTransform();
  p.setWorldTransform(QTransform());
  p.setFont(f);
  const double dx = DevX(x), dy = DevY(y, shift);
  constexpr double kBig = 20000;
  switch (a) {
    case Align::kLeftTop:
      p.drawText(QRectF(dx, dy, kBig, kBig), Qt::AlignLeft | Qt::AlignTop, s);
      break;
    case Align::kRightTop:
      p.drawText(QRectF(dx - kBig, dy, kBig, kBig), Qt::AlignRight | Qt::AlignTop, s);
      break;
    case Align::kCenterTop:
      p.drawText(QRectF(dx - kBig / 2, dy, kBig, kBig), Qt::AlignHCenter | Qt::AlignTop, s);
      break;
    case Align::kLeftBottom:
      p.drawText(QRectF(dx, dy - kBig, kBig, kBig), Qt::AlignLeft | Qt::AlignBottom, s);
      break;
    case Align::kRightBaseline: {
      const QFontMetricsF m(f, p.device());
      p.drawText(QPointF(dx - m.horizontalAdvance(s), dy), s);
      break;
    }
    case Align::kLeftBaseline:
      p.drawText(QPointF(dx, dy), s);
      break;
  }
  p.setWorldTransform(saved);
}

int32_t PlotRenderer::ShiftOf(int32_t channel) const {
  return s_.bothChannels && channel == 2 ? s_.layout.channelShift : 0;
}

void PlotRenderer::Paint(QPainter& p, const SoundSource& sound, const QRect& clip, bool screen,
                         const std::vector<MarkRecord>& marks, const QColor& background,
                         unsigned threads) {
  incomplete_ = QRegion();
  if (clip.isEmpty()) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setClipRect(clip);
  if (screen) {
    p.setWorldTransform(QTransform());
    p.fillRect(clip, background);
  }
  if (!s_.hasDocument) {
    p.restore();
    return;
  }
  const bool raster = IsRaster(p);
  const int passes = s_.bothChannels ? 2 : 1;
  // Without a mask operation the grid goes under the data instead.
  if (!raster)
    for (int c = 0; c < passes; ++c) PaintGrid(p, c == 1 ? s_.layout.channelShift : 0);
  if (s_.frameCount > 0 && sound.samples) {
    for (int c = 0; c < passes; ++c) {
      const int channel = s_.bothChannels ? c : s_.singleChannel;
      PaintChannelData(p, sound, clip, channel, c == 1 ? s_.layout.channelShift : 0, threads);
    }
  }
  for (int c = 0; c < passes; ++c) {
    const int32_t shift = c == 1 ? s_.layout.channelShift : 0;
    QString suffix;
    if (s_.channels == 2)
      suffix = (s_.bothChannels ? c == 1 : s_.singleChannel == 1) ? " - Right." : " - Left.";
    if (raster) PaintGrid(p, shift);
    PaintFrames(p, shift, suffix);
    if (s_.colorBarShown) PaintColorBar(p, shift);
  }
  for (const MarkRecord& m : marks) PaintMark(p, m);
  p.restore();
}

void PlotRenderer::PaintChannelData(QPainter& p, const SoundSource& sound, const QRect& clip,
                                    int channel, int32_t shift, unsigned threads) {
  // The clip box in logical x, a pixel wider on both sides.
  const int32_t per = std::max(s_.scale().unitsPerPixel, 1);
  const int32_t left = static_cast<int32_t>(std::floor(clip.left() / k_)) - per;
  const int32_t right = static_cast<int32_t>(std::ceil((clip.right() + 1) / k_)) + per;
  const ColumnStretch st = StretchForClip(s_, left, right, channel);
  if (st.lastSample < st.firstSample) return;

  // A clip that does not reach the oscillogram (a spectrogram finished in
  // parts) does not read its samples.
  const QRectF oscPx(QPointF(DevX(s_.layout.osc.left) - 2, DevY(s_.layout.osc.top, shift) - 2),
                     QPointF(DevX(s_.layout.osc.right) + 2, DevY(s_.layout.osc.bottom, shift) + 2));
  if (s_.oscShown && oscPx.intersects(QRectF(clip))) {
    ComputeOscillogramColumns(s_, sound, st, osc_);
    UseLogical(p, shift);
    p.setPen(Pen(FixedPen::Black));
    std::vector<QLineF> lines;
    lines.reserve(osc_.size() * 2);
    for (size_t i = 0; i < osc_.size(); ++i) {
      const OscillogramColumn& c = osc_[i];
      if (s_.lineBetweenSamples && i > 0)
        lines.emplace_back(osc_[i - 1].x, osc_[i - 1].yMax, c.x, c.yMin);
      const bool flat = std::abs(c.yMax - c.yMin) < per;
      lines.emplace_back(c.x, c.yMin, flat ? c.x + per + 1 : c.x, c.yMax);
    }
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
  }
  if (s_.spectShown && s_.spect.drawable) PaintSpectrogram(p, sound, st, shift, threads);
  if (s_.zcShown) {
    ComputeZeroCrossingColumns(s_, sound, st, zc_);
    UseLogical(p, shift);
    p.setPen(Pen(FixedPen::Black));
    std::vector<QLineF> lines;
    const ZeroCrossingPoint* prev = nullptr;
    for (const ZeroCrossingPoint& z : zc_) {
      if (z.hz < 0) {
        // The end of a line: its last point gets a one-pixel stroke upwards.
        if (s_.zc.lineBetweenValues && prev) lines.emplace_back(prev->x, prev->y, prev->x, prev->y + per);
        prev = nullptr;
        continue;
      }
      if (s_.zc.lineBetweenValues) {
        if (prev) lines.emplace_back(prev->x, prev->y, z.x, z.y);
        prev = &z;
      } else {
        lines.emplace_back(z.x, z.y - per, z.x, z.y + per);
      }
    }
    if (s_.zc.lineBetweenValues && prev) lines.emplace_back(prev->x, prev->y, prev->x, prev->y + per);
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
  }
}

void PlotRenderer::PaintSpectrogram(QPainter& p, const SoundSource& sound, const ColumnStretch& st,
                                    int32_t shift, unsigned threads) {
  if (!SpectrogramPeaks::Applies(s_.spect)) {
    ComputeSpectrogramColumns(s_.spect, sound, st, columns_, threads);
  } else if (!PeakColumns(sound, st, threads)) {
    // The columns left out, over the spectrogram area, a pixel larger on
    // each side.
    const SpectrogramPeaks::XRange m = peaks_.MissingColumns();
    const PlotRect& r = s_.layout.spect;
    incomplete_ += QRect(QPoint(static_cast<int>(std::floor(DevX(m.first))) - 1,
                                static_cast<int>(std::floor(DevY(r.top, shift))) - 1),
                         QPoint(static_cast<int>(std::ceil(DevX(m.last))) + 1,
                                static_cast<int>(std::ceil(DevY(r.bottom, shift))) + 1));
  }
  if (columns_.columnCount() == 0) return;
  // The columns go into a transparent layer of device pixels over the
  // spectrogram area; bins without a level stay transparent.
  const PlotRect& r = s_.layout.spect;
  const int x0 = static_cast<int>(std::lround(DevX(columns_.x.front())));
  const int x1 = static_cast<int>(std::lround(DevX(columns_.x.back())));
  const int y0 = static_cast<int>(std::lround(DevY(r.top, shift)));
  const int y1 = static_cast<int>(std::lround(DevY(r.bottom, shift)));
  const int w = x1 - x0 + 1, h = y1 - y0 + 1;
  if (w <= 0 || h <= 0) return;
  if (layer_.width() < w || layer_.height() < h)
    layer_ = QImage(std::max(w, layer_.width()), std::max(h, layer_.height()),
                    QImage::Format_ARGB32_Premultiplied);
  layer_.fill(Qt::transparent);
  const qsizetype bpl = layer_.bytesPerLine() / 4;
  QRgb* bits = reinterpret_cast<QRgb*>(layer_.bits());
  // The device rows of every visible bin's band: runs of equal value are
  // drawn from the lower boundary of their first bin to the row of their
  // last bin.
  const SpectrogramSetup& sp = s_.spect;
  const int bins = columns_.binCount;
  binTop_.resize(static_cast<size_t>(bins));
  binBottom_.resize(static_cast<size_t>(bins));
  for (int i = 0; i < bins; ++i) {
    const int k = columns_.firstBin + i;
    const int32_t lower = k == sp.firstVisibleBin ? sp.spectBottom : sp.binRow[k - 1];
    binTop_[i] = std::max(static_cast<int>(std::lround(DevY(sp.binRow[k], shift))) - y0, 0);
    binBottom_[i] = std::min(static_cast<int>(std::lround(DevY(lower, shift))) - y0, h - 1);
  }
  const int* binTop = binTop_.data();
  const int* binBottom = binBottom_.data();
  for (size_t c = 0; c < columns_.columnCount(); ++c) {
    const int px = static_cast<int>(std::lround(DevX(columns_.x[c]))) - x0;
    if (px < 0 || px >= w) continue;
    auto fill = [&](int first, int last, QRgb color) {
      QRgb* q = bits + static_cast<qsizetype>(binTop[last]) * bpl + px;
      for (int y = binTop[last]; y <= binBottom[first]; ++y, q += bpl) *q = color;
    };
    if (columns_.userScheme) {
      const int32_t pens = static_cast<int32_t>(userRgb_.size());
      ForEachRun(columns_.penRow(c), bins, [&](int first, int last, int32_t value) {
        if (value < pens) fill(first, last, userRgb_[value]);
      });
    } else {
      ForEachRun(columns_.levelRow(c), bins, [&](int first, int last, int32_t value) {
        fill(first, last, levelRgb_[std::min(value, 63)]);
      });
    }
  }
  const QTransform saved = p.worldTransform();
  p.setWorldTransform(QTransform());
  p.drawImage(QPoint(x0, y0), layer_, QRect(0, 0, w, h));
  p.setWorldTransform(saved);
}

bool PlotRenderer::PeakColumns(const SoundSource& sound, const ColumnStretch& st, unsigned threads) {
  // Each column covers the samples of its device pixel on the whole plot,
  // whatever part of the plot is painted.
  std::vector<int32_t> xs = ColumnPositions(s_.spect, st);
  std::vector<int64_t> bounds(xs.size() + 1);
  const double per1000 = std::max(s_.scale().unitsPer1000Pixels, 1);
  auto pixelStart = [&](long px) { return std::lround(px * per1000 / 1000.0); };
  for (size_t c = 0; c < xs.size(); ++c) bounds[c] = s_.XToSample(pixelStart(std::lround(DevX(xs[c]))));
  if (!xs.empty()) bounds[xs.size()] = s_.XToSample(pixelStart(std::lround(DevX(xs.back())) + 1));
  return peaks_.Compute(s_.spect, sound, st.channel, std::move(xs), bounds, columns_, threads,
                        frameBudget_);
}

void PlotRenderer::PaintFrames(QPainter& p, int32_t shift, const QString& suffix) {
  const PlotLayout& l = s_.layout;
  const int32_t per = s_.scale().unitsPerPixel;
  UseLogical(p, shift);
  p.setPen(Pen(FixedPen::Black));
  p.setBrush(Qt::NoBrush);
  if (s_.oscShown) {
    const PlotRect& r = l.osc;
    const QPointF pts[] = {{double(r.left - per), double(r.top + per)},
                           {double(r.right + per), double(r.top + per)},
                           {double(r.right + per), double(r.bottom - per)},
                           {double(r.left - per), double(r.bottom - per)},
                           {double(r.left - per), double(r.top + per)}};
    p.drawPolyline(pts, 5);
    Text(p, r.left + 60, r.top + 20, shift, QString::fromStdString(s_.oscTitle) + suffix,
         Align::kLeftBottom, font_);
    PaintAmplitudeAxis(p, shift);
  }
  if (s_.spectAreaShown()) {
    const PlotRect& r = l.spect;
    UseLogical(p, shift);
    p.setPen(Pen(FixedPen::Black));
    const QPointF pts[] = {{double(r.left - per), double(r.top)},
                           {double(r.right + per), double(r.top)},
                           {double(r.right + per), double(r.bottom)},
                           {double(r.left - per), double(r.bottom)},
                           {double(r.left - per), double(r.top)}};
    p.drawPolyline(pts, 5);
    const std::string& title = s_.spectShown ? s_.spectTitle : s_.zcTitle;
    QString text = QString::fromStdString(title) + suffix;
    if (s_.colorBarShown && l.bar.width() > 0) {
      // The title ends before the colour bar beside it; a shortened title
      // keeps its channel.
      const QFontMetricsF m(font_, p.device());
      const double room = std::max(DevX(l.bar.left - (r.left + 60) - 2 * per), 0.0);
      if (m.horizontalAdvance(text) > room) {
        const double forTitle = room - m.horizontalAdvance(suffix);
        text = forTitle > 0
                   ? m.elidedText(QString::fromStdString(title), Qt::ElideRight, forTitle) + suffix
                   : m.elidedText(text, Qt::ElideRight, room);
      }
    }
    Text(p, r.left + 60, r.top + 20, shift, text, Align::kLeftBottom, font_);
    PaintFrequencyAxis(p, shift);
  }
  PaintTimeAxis(p, shift);
}

void PlotRenderer::PaintTimeAxis(QPainter& p, int32_t shift) {
  const PlotLayout& l = s_.layout;
  const int64_t start = s_.startTimeNs, end = s_.startTimeNs + s_.durationNs;
  const int64_t step = s_.tickNs;
  UseLogical(p, shift);
  p.setPen(Pen(FixedPen::Black));
  const double y = l.timeLineY;
  p.drawLine(QLineF(l.plotLeft, y, l.plotRight, y));
  const std::vector<TimeTick> ticks = TimeAxisTicks(start, s_.durationNs);
  for (const TimeTick& t : ticks) {
    const double x = s_.TimeToX(t.ns);
    p.drawLine(QLineF(x, y - 40, x, y + 40));
    if (l.combined) p.drawLine(QLineF(x, l.spect.bottom - 40, x, l.spect.bottom + 40));
  }
  // Every tick gets its time, centred under it (in the combined view under
  // the spectrogram); a label that would touch the one before it, or run
  // out of the client, is left out so that the others stay legible.
  const QFontMetricsF labelMetrics(font_, p.device());
  const double gap = 2.0 * s_.scale().unitsPerPixel;
  double lastRight = -1e18;
  for (const TimeTick& t : ticks) {
    const QString label = QString::fromStdString(t.label);
    const double x = s_.TimeToX(t.ns);
    const double half = labelMetrics.horizontalAdvance(label) / k_ / 2;
    if (x - half < lastRight + gap || x + half > l.clientWidth) continue;
    Text(p, x, l.timeLabelY, shift, label, Align::kCenterTop, font_);
    lastRight = x + half;
  }
  if (!l.combined) return;
  const CombinedTimeTexts t = MakeCombinedTimeTexts(s_.readoutCode, end, step);
  const int32_t f = s_.fontSize;
  // The texts start 120 units right of the plot; one that would run past
  // the client's right edge is moved left until it ends there.
  const QFontMetricsF metrics(font_, p.device());
  auto rightText = [&](double y, const std::string& text) {
    const QString q = QString::fromStdString(text);
    double x = l.plotRight + 120;
    const double room = l.clientWidth - 4 * s_.scale().unitsPerPixel - x;
    const double need = metrics.horizontalAdvance(q) / k_;
    if (need > room) x = std::max<double>(l.plotRight, x - (need - room));
    Text(p, x, y, shift, q, Align::kLeftTop, font_);
  };
  rightText(l.timeAxisY + 20 * f + 140, std::string(t.end).append(" ").append(t.unit));
  if (t.interval.size() >= 5) {
    rightText(l.timeAxisY, t.interval);
    rightText(l.timeAxisY - (20 * f + 40), std::string("  ").append(t.unit).append("/div"));
  } else {
    rightText(l.timeAxisY, std::string(t.interval).append(" ").append(t.unit).append("/div"));
  }
}

void PlotRenderer::PaintAmplitudeAxis(QPainter& p, int32_t shift) {
  const PlotLayout& l = s_.layout;
  const AmplitudeAxis& a = s_.amp;
  UseLogical(p, shift);
  p.setPen(Pen(FixedPen::Black));
  auto tick = [&](int64_t v) {
    const double y = s_.AmplitudeToY(v);
    p.drawLine(QLineF(l.plotLeft - 40, y, l.plotLeft + 20, y));
    p.drawLine(QLineF(l.plotRight + 40, y, l.plotRight - 20, y));
    if (a.labelStep > 0 && v % a.labelStep == 0) {
      Text(p, l.plotLeft - 40, y - 60, shift,
           QString::fromStdString(AmplitudeLabel(a, static_cast<int32_t>(v))), Align::kRightBaseline,
           font_);
      UseLogical(p, shift);
      p.setPen(Pen(FixedPen::Black));
    }
  };
  const int64_t step = std::max(a.tickStep, 1);
  ForMultiples(std::max(a.min, 0), a.max, step, tick);
  // Downwards from the last multiple at or below min(max, 0).
  const int64_t top = std::min(a.max, 0);
  int64_t v = top >= 0 ? top / step * step : -((-top + step - 1) / step * step);
  // Zero was drawn with the upward ticks already.
  if (v == 0 && a.min <= 0 && a.max >= 0) v -= step;
  for (; v >= a.min; v -= step) tick(v);
}

void PlotRenderer::PaintFrequencyAxis(QPainter& p, int32_t shift) {
  const PlotLayout& l = s_.layout;
  const FrequencyAxis& f = s_.freq;
  if (f.max <= f.min) return;
  UseLogical(p, shift);
  p.setPen(Pen(FixedPen::Black));
  for (int64_t i = f.min / f.labelStep + 1; i * f.labelStep <= f.max; ++i) {
    const int64_t hz = i * f.labelStep;
    if (hz <= f.min) continue;
    const double y = s_.FrequencyToY(hz);
    p.drawLine(QLineF(l.plotLeft - 80, y, l.plotLeft + 100, y));
    Text(p, l.plotLeft - 140, y - 40, shift, QString::fromStdString(FrequencyLabel(hz)),
         Align::kRightBaseline, font_);
    UseLogical(p, shift);
    p.setPen(Pen(FixedPen::Black));
  }
  ForMultiples(f.min, f.max, f.minorStep, [&](int64_t hz) {
    const double y = s_.FrequencyToY(hz);
    p.drawLine(QLineF(l.plotLeft - 40, y, l.plotLeft + 60, y));
  });
}

void PlotRenderer::PaintGrid(QPainter& p, int32_t shift) {
  const PlotLayout& l = s_.layout;
  UseLogical(p, shift);
  p.save();
  if (IsRaster(p)) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  p.setPen(Pen(FixedPen::Grid));
  auto timeGrid = [&](const PlotRect& r, int32_t k) {
    if (k < 1 || s_.tickNs / k <= 1) return;
    ForMultiples(s_.startTimeNs, s_.startTimeNs + s_.durationNs, s_.tickNs / k, [&](int64_t t) {
      const double x = s_.TimeToX(t);
      p.drawLine(QLineF(x, r.bottom, x, r.top));
    });
  };
  if (s_.oscShown) {
    timeGrid(l.osc, s_.oscGridX);
    const int32_t k = s_.oscGridY;
    if (k >= 1 && s_.amp.tickStep / k > 1) {
      ForMultiples(s_.amp.min, s_.amp.max, s_.amp.tickStep / k, [&](int64_t v) {
        const double y = s_.AmplitudeToY(v);
        p.drawLine(QLineF(l.plotLeft, y, l.plotRight, y));
      });
    }
  }
  if (s_.spectAreaShown()) {
    timeGrid(l.spect, s_.spectShown ? s_.spectGridX : s_.freqGridX);
    const int32_t k = s_.spectShown ? s_.spectGridY : s_.freqGridY;
    int64_t spacing = 0;
    if (k == 0) spacing = s_.freq.labelStep;
    if (k >= 1) spacing = s_.freq.minorStep / k;
    if (k >= 0 && spacing > 1 && s_.freq.max > s_.freq.min) {
      ForMultiples(int64_t{s_.freq.min} + 1, s_.freq.max, spacing, [&](int64_t hz) {
        const double y = s_.FrequencyToY(hz);
        p.drawLine(QLineF(l.plotLeft, y, l.plotRight, y));
      });
    }
  }
  p.restore();
}

void PlotRenderer::PaintColorBar(QPainter& p, int32_t shift) {
  const PlotLayout& l = s_.layout;
  const PlotRect& b = l.bar;
  if (b.width() <= 0 || b.height() <= 0) return;
  UseLogical(p, shift);
  const double width = b.width();
  const int32_t colorTop = l.barColorTop;
  if (!s_.spect.userScheme) {
    // From 0 dB (right) to -100 dB (left) in 10 dB segments; each segment
    // holds the levels between the levels of its two boundaries.
    auto levelAt = [&](double db) {
      return s_.spect.levels.ExactLevel(FullScalePower * std::pow(10.0, db / 10.0));
    };
    int prev = levelAt(0);
    for (int seg = 0; seg < 10; ++seg) {
      const int next = levelAt(-10.0 * (seg + 1));
      const double segRight = b.right - width * seg / 10.0;
      const double segWidth = width / 10.0;
      if (prev >= 0) {
        const int lo = std::max(next, -1);
        const int count = std::max(prev - lo, 1);
        for (int i = 0; i < count; ++i) {
          const int level = prev - i;
          const double r = segRight - segWidth * i / count;
          const double lft = segRight - segWidth * (i + 1) / count;
          p.fillRect(QRectF(lft, colorTop, r - lft, b.bottom - colorTop), LevelColor(level));
        }
      }
      prev = next;
    }
  } else {
    const int32_t step = std::max((s_.scale().unitsPer1000Pixels - 250) / 1000, 1);
    for (int32_t d = 0; d <= b.width(); d += step) {
      const int32_t key = static_cast<int32_t>(-100000LL * d / std::max(b.width(), 1));
      const int32_t pen = s_.spect.userPens.FindPen(key);
      if (pen == kNoPen) continue;
      QPen q = Pen(FixedPen::Black);
      q.setColor(UserPenColor(pen));
      p.setPen(q);
      p.drawLine(QLineF(b.right - d, b.bottom, b.right - d, colorTop));
    }
  }
  const int32_t per = s_.scale().unitsPerPixel;
  p.setPen(Pen(FixedPen::Black));
  // The labels get the band between the bar's top and the ticks: a font
  // too high for it is made smaller, down to 5 points, and labels wider
  // than their spacing leave out every other one; a bar without room for
  // them shows its colours and ticks only.
  QFont labelFont = smallFont_;
  int labelEvery = 20;
  bool labels = l.barLabels;
  if (labels) {
    const double band = (l.barLabelTop - (colorTop + 2.0 * per)) * k_;  // device pixels
    auto fits = [&](const QFont& f) { return QFontMetricsF(f, p.device()).height() <= band; };
    while (!fits(labelFont) && labelFont.pointSizeF() > 5)
      labelFont.setPointSizeF(std::max(5.0, labelFont.pointSizeF() - 0.5));
    labels = fits(labelFont);
    const double widest = QFontMetricsF(labelFont, p.device()).horizontalAdvance("-90 dB") + 2;
    if (widest > DevX(width) / 5) labelEvery = 40;
    if (widest > DevX(width) * 2 / 5) labels = false;
  }
  const double tickTop = l.barLabels ? colorTop + 2 * per : colorTop;
  const double tickBottom = l.barLabels ? colorTop - per : colorTop - 2 * per;
  for (int db = -10; db >= -90; db -= 10) {
    const double x = b.right + width * db / 100.0;
    p.drawLine(QLineF(x, tickBottom, x, tickTop));
    if (labels && (db + 10) % labelEvery == 0) {
      Text(p, x, l.barLabelTop, shift, QString::fromStdString(FormatDouble("%1.0f dB", db)),
           Align::kCenterTop, labelFont);
      UseLogical(p, shift);
      p.setPen(Pen(FixedPen::Black));
    }
  }
  const QPointF pts[] = {{double(b.left), double(b.top)}, {double(b.right), double(b.top)},
                         {double(b.right), double(b.bottom)}, {double(b.left), double(b.bottom)},
                         {double(b.left), double(b.top)}};
  p.drawPolyline(pts, 5);
}

void PlotRenderer::CursorShape(QPainter& p, const CursorRecord& c, int32_t shift,
                               int32_t selStart, int32_t selEnd) const {
  const PlotLayout& l = s_.layout;
  const int32_t per = s_.scale().unitsPerPixel;
  UseLogical(p, shift);
  const double x = s_.SampleToX(c.position);
  switch (c.kind) {
    case CursorKind::Marking:
    case CursorKind::MarkingStereo:
    default: {
      if (s_.spectAreaShown() && x >= l.spect.left && x <= l.spect.right) {
        p.drawLine(QLineF(x, l.spect.bottom, x, l.spect.top));
        if (c.value > 0 && c.inSpectrogram) {
          const double y = s_.FrequencyToY(c.value);
          p.drawLine(QLineF(x - 400, y, x + 400, y));
        }
      }
      if (s_.oscShown && x >= l.osc.left && x <= l.osc.right)
        p.drawLine(QLineF(x, l.osc.bottom, x, l.osc.top));
      break;
    }
    case CursorKind::Measurement: {
      const double y = c.inSpectrogram ? s_.FrequencyToY(c.value) : s_.AmplitudeToY(c.value);
      const double h = 20.0 * per;
      p.drawLine(QLineF(x - h, y, x + h, y));
      p.drawLine(QLineF(x, y - h, x, y + h));
      break;
    }
    case CursorKind::LargeMeasurement: {
      const PlotRect& r = c.inSpectrogram ? l.spect : l.osc;
      const double y = c.inSpectrogram ? s_.FrequencyToY(c.value) : s_.AmplitudeToY(c.value);
      p.drawLine(QLineF(l.plotLeft, y, l.plotRight, y));
      p.drawLine(QLineF(x, r.bottom, x, r.top));
      break;
    }
    case CursorKind::Level: {
      if (!s_.oscShown) break;
      const int32_t start = c.rangeStart >= 0 ? c.rangeStart : selStart;
      const int32_t end = c.rangeEnd >= 0 ? c.rangeEnd : selEnd;
      const double xa = s_.SampleToX(std::max(s_.firstVisible(), start));
      const double xb = s_.SampleToX(std::min(s_.lastVisible(), end));
      const int32_t level = std::abs(c.value);
      p.drawLine(QLineF(xa, s_.AmplitudeToY(level), xb, s_.AmplitudeToY(level)));
      p.drawLine(QLineF(xa, s_.AmplitudeToY(-level), xb, s_.AmplitudeToY(-level)));
      if (start >= s_.firstVisible() && start <= s_.lastVisible())
        p.drawLine(QLineF(xa, l.osc.bottom, xa, l.osc.top));
      if (end >= s_.firstVisible() && end <= s_.lastVisible())
        p.drawLine(QLineF(xb, l.osc.bottom, xb, l.osc.top));
      break;
    }
  }
}

void PlotRenderer::DrawCursor(QPainter& p, const CursorRecord& c, int32_t selStart,
                              int32_t selEnd) const {
  if (!s_.hasDocument || c.position < 0) return;
  const bool visible = c.position >= s_.firstVisible() && c.position <= s_.lastVisible();
  if (c.kind != CursorKind::Level && !visible) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  if (c.pen == kCursorPenPlayback) {
    const bool both = s_.bothChannels && (c.channel == 3 || c.kind == CursorKind::MarkingStereo);
    for (const QPen& pen : {playEdge_, playCore_}) {
      p.setPen(pen);
      CursorShape(p, c, both ? 0 : ShiftOf(c.channel), selStart, selEnd);
      if (both) CursorShape(p, c, s_.layout.channelShift, selStart, selEnd);
    }
    p.restore();
    return;
  }
  if (c.kind == CursorKind::Level) {
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(Pen(FixedPen::Black));
  } else {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Pen(c.pen == 1 ? FixedPen::Cursor2 : FixedPen::Cursor1));
  }
  if (c.kind == CursorKind::MarkingStereo && s_.bothChannels) {
    CursorShape(p, c, 0, selStart, selEnd);
    CursorShape(p, c, s_.layout.channelShift, selStart, selEnd);
  } else {
    CursorShape(p, c, ShiftOf(c.channel), selStart, selEnd);
  }
  p.restore();
}

QRect PlotRenderer::SelectionRect(const CursorRecord& start, const CursorRecord& end,
                                  const PlotRect& area, bool measuring, int32_t shift) const {
  const int32_t first = std::max(std::min(start.position, end.position), s_.firstVisible());
  const int32_t last = std::min(std::max(start.position, end.position), s_.lastVisible());
  if (last < first) return QRect();
  // Whole device pixels, so that the two edges land on the same columns
  // every time the stretch is drawn; at least two pixels wide.
  int x0 = static_cast<int>(std::lround(DevX(std::max<double>(s_.SampleToX(first), area.left))));
  int x1 = static_cast<int>(std::lround(DevX(std::min<double>(s_.SampleToX(last), area.right))));
  if (x1 - x0 < 2) {
    const int mid = (x0 + x1) / 2;
    x0 = mid - 1;
    x1 = mid + 1;
  }
  double top = area.top, bottom = area.bottom;
  if (measuring) {
    auto y = [&](int32_t v) {
      return start.inSpectrogram ? s_.FrequencyToY(v) : s_.AmplitudeToY(v);
    };
    top = std::max(y(start.value), y(end.value));
    bottom = std::min(y(start.value), y(end.value));
  }
  int y0 = static_cast<int>(std::lround(DevY(top, shift)));
  int y1 = static_cast<int>(std::lround(DevY(bottom, shift)));
  if (y1 - y0 < 2) {
    const int mid = (y0 + y1) / 2;
    y0 = mid - 1;
    y1 = mid + 1;
  }
  return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

void PlotRenderer::DrawSelection(QPainter& p, const CursorRecord& start,
                                 const CursorRecord& end) const {
  if (!s_.hasDocument || end.position <= 0 || end.position == start.position) return;
  const bool measuring = start.kind == CursorKind::Measurement || start.kind == CursorKind::LargeMeasurement;
  // A selection of both channels covers both strips; one of a single
  // channel only that channel's strip.
  std::vector<int32_t> shifts;
  if (s_.bothChannels && (start.channel == 3 || start.kind == CursorKind::MarkingStereo))
    shifts = {0, s_.layout.channelShift};
  else
    shifts = {ShiftOf(start.channel)};
  std::vector<QRect> rects;
  for (int32_t shift : shifts) {
    // A marking selection in every diagram; a measuring one as the box
    // between its two values in the diagram it was made in.
    if (s_.oscShown && (!measuring || !start.inSpectrogram))
      rects.push_back(SelectionRect(start, end, s_.layout.osc, measuring, shift));
    if (s_.spectAreaShown() && (!measuring || start.inSpectrogram))
      rects.push_back(SelectionRect(start, end, s_.layout.spect, measuring, shift));
  }
  p.save();
  p.resetTransform();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  for (const QRect& r : rects)
    if (!r.isEmpty()) p.fillRect(r, Qt::black);
  p.restore();
}

QRect PlotRenderer::CursorBounds(const CursorRecord& c) const {
  (void)c;
  // Cursors span whole diagrams; the whole client is the simple bound.
  return QRect(0, 0, static_cast<int>(std::ceil(DevX(s_.layout.clientWidth))) + 1,
               static_cast<int>(std::ceil(DevY(-s_.layout.clientHeight))) + 1);
}

void PlotRenderer::PaintMark(QPainter& p, const MarkRecord& m) {
  if (m.displayMark != 1 && !(m.displayLabel == 1 && !m.label.empty())) return;
  if (m.position < s_.firstVisible() || m.position > s_.lastVisible()) return;
  const bool channelVisible = s_.bothChannels || s_.channels == 1 || m.channel == 3 ||
                              m.channel == s_.singleChannel + 1;
  if (!channelVisible) return;
  const bool inSpect = m.inSpectrogram == 1;
  const CursorKind stored = CursorKindOfStored(m.kind);
  const CursorKind kind = stored == CursorKind::MarkingStereo ? CursorKind::Marking : stored;
  if (kind != CursorKind::Marking) {
    if (inSpect && !s_.spectAreaShown()) return;
    if (!inSpect && !s_.oscShown) return;
  }
  CursorRecord c;
  c.position = m.position;
  c.value = m.value;
  c.channel = m.channel;
  c.inSpectrogram = inSpect;
  c.kind = kind;
  c.rangeStart = m.rangeStart;
  c.rangeEnd = m.rangeEnd;
  const int32_t shift = m.channel == 3 ? 0 : ShiftOf(m.channel);
  p.save();
  QPen pen = Pen(FixedPen::Black);
  pen.setColor(m.active == 1 ? QColor(0, 0, 0x80) : QColor(0x80, 0, 0));
  p.setPen(pen);
  if (m.displayMark == 1) {
    CursorShape(p, c, shift, m.rangeStart, m.rangeEnd);
    if (m.channel == 3 && s_.bothChannels) CursorShape(p, c, s_.layout.channelShift, -1, -1);
  }
  if (m.displayLabel == 1 && !m.label.empty()) {
    const int32_t per = s_.scale().unitsPerPixel;
    double y;
    // A mark without a value (a marking cursor, or no frequency) has its
    // label at the top; an amplitude may be negative.
    if (kind == CursorKind::Marking || (inSpect && m.value <= 0))
      y = s_.spectAreaShown() ? s_.layout.spect.top - 20 * s_.fontSize : s_.layout.osc.top - 20 * s_.fontSize;
    else
      y = inSpect ? s_.FrequencyToY(m.value) : s_.AmplitudeToY(m.value);
    p.setPen(pen);
    Text(p, s_.SampleToX(m.position) + 2 * per, y + per, shift, QString::fromStdString(m.label),
         Align::kLeftBottom, smallFont_);
  }
  p.restore();
}

}  // namespace nv
