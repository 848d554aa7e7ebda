#pragma once
// Draws a sound plot onto any QPainter: screen widget, QImage, printer or
// SVG generator. It works in logical units of 1/1440 inch with y upwards
// (the painter's world transform maps them to device pixels) and reads
// everything it draws from a PlotSetup; the pens and fonts are made by
// Prepare for the device in use.
//
// Contract: Prepare after every display set-up; Paint, DrawCursor and
// DrawSelection only read the set-up, the samples and the records. The
// caller keeps the samples mapped during a call. Interface thread only.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <array>
#include <vector>

#include "base/MarkRecord.h"
#include "plot/CursorRecord.h"
#include "plot/PlotColumns.h"
#include "plot/PlotSetup.h"
#include "plot/SpectrogramColumns.h"
#include "plot/SpectrogramPeaks.h"

class QPainter;
class QPaintDevice;

namespace nv {

class PlotRenderer {
 public:
  // The six fixed pens, in this order.
  enum class FixedPen { Black, White, Cursor1, Cursor2, ThinDotted, Grid };
  static constexpr size_t kFixedPenCount = 6;

  // Draws a whole plot of `sizePx` device pixels onto `device` (an image,
  // SVG generator or printer) from its own display set-up of a copy of
  // `settings`, with the white background first when `erase`. False when
  // the size is empty or the device can not be painted on.
  static bool Render(QPaintDevice& device, const QSize& sizePx, const AnalysisSettings& settings,
                     const SoundSource& sound, const std::vector<MarkRecord>& marks, bool erase,
                     unsigned threads = 0);

  // The same onto a painter that is already active (a printer's page),
  // into targetPx of its device at the device's own resolution, without
  // erasing.
  static bool RenderOnto(QPainter& p, const QRect& targetPx, const AnalysisSettings& settings,
                         const SoundSource& sound, const std::vector<MarkRecord>& marks,
                         unsigned threads = 0);

  // Makes the pens and fonts of `setup` for a device with `logicalDpiY`.
  void Prepare(const PlotSetup& setup, int logicalDpiY);

  // Draws the plot for the device rectangle `clip` in the painting order:
  // on a screen the clip box is first filled with `background`; then the
  // data columns of every channel, frames, titles, axes and grid lines,
  // the colour bar and the marks. `threads` is passed to the spectrogram
  // column computation (0 = every core).
  void Paint(QPainter& p, const SoundSource& sound, const QRect& clip, bool screen,
             const std::vector<MarkRecord>& marks, const QColor& background = Qt::white,
             unsigned threads = 0);

  // When the spectrogram's columns lie farther apart than its frames, a
  // column shows the strongest level of all its frames (SpectrogramPeaks);
  // the levels are kept between paints. At most `frames` frames are
  // transformed per paint and channel (0: no limit, as for pictures and
  // prints); columns left out are not drawn and IncompleteSpectrogram()
  // gives the parts of the spectrogram areas to paint again for them (a
  // paint whose clip lies inside the spectrogram areas leaves the
  // oscillogram alone).
  void SetSpectrogramBudget(int64_t frames) { frameBudget_ = frames; }
  const QRegion& IncompleteSpectrogram() const { return incomplete_; }
  // Forgets the kept levels (the samples changed).
  void ForgetSpectrogramLevels() { peaks_.Clear(); }

  // Draws a cursor by exclusive-or (the level cursor by inversion), so that
  // drawing it twice leaves the picture as it was; the playback cursor (pen
  // kCursorPenPlayback) is painted over the picture, solid and three pixels
  // wide in a black edge, on every shown channel of a channel-3 cursor. The selection start and
  // end stand in for a level cursor's unset range ends. Only on raster
  // devices (QImage, widgets).
  void DrawCursor(QPainter& p, const CursorRecord& c, int32_t selStart = -1,
                  int32_t selEnd = -1) const;
  // The selection, by inversion (drawing it twice leaves the picture): a
  // marking selection inverts the stretch between its start and end over
  // the full height of every diagram, a measuring selection (kinds 2 and 3)
  // the box between its two values in the diagram it was made in; at least
  // two pixels wide and high. A selection of channel 3 (or a stereo marking
  // one) covers both strips of a two-channel plot, else its channel's strip.
  // Only on raster devices.
  void DrawSelection(QPainter& p, const CursorRecord& start, const CursorRecord& end) const;

  // The device rectangle a cursor covers (for repainting).
  QRect CursorBounds(const CursorRecord& c) const;

  const QPen& Pen(FixedPen which) const { return pens_[static_cast<size_t>(which)]; }
  QColor LevelColor(int level) const;
  QColor UserPenColor(int pen) const;
  const QFont& LabelFont() const { return font_; }
  const QFont& SmallFont() const { return smallFont_; }

  // Logical <-> device mapping of the set-up's scale (device pixels).
  double DevX(double x) const { return x * k_; }
  double DevY(double y, int32_t shift = 0) const { return -(y - shift) * k_; }

 private:
  enum class Align { kLeftTop, kRightTop, kCenterTop, kLeftBottom, kRightBaseline, kLeftBaseline };
  void UseLogical(QPainter& p, int32_t shift) const;
  void Text(QPainter& p, double x, double y, int32_t shift, const QString& s, Align a,
            const QFont& f) const;
  void PaintChannelData(QPainter& p, const SoundSource& sound, const QRect& clip, int channel,
                        int32_t shift, unsigned threads);
  void PaintSpectrogram(QPainter& p, const SoundSource& sound, const ColumnStretch& st,
                        int32_t shift, unsigned threads);
  // The columns of a spectrogram whose columns lie farther apart than its
  // frames; false when some were left out.
  bool PeakColumns(const SoundSource& sound, const ColumnStretch& st, unsigned threads);
  void PaintFrames(QPainter& p, int32_t shift, const QString& suffix);
  void PaintGrid(QPainter& p, int32_t shift);
  void PaintTimeAxis(QPainter& p, int32_t shift);
  void PaintAmplitudeAxis(QPainter& p, int32_t shift);
  void PaintFrequencyAxis(QPainter& p, int32_t shift);
  void PaintColorBar(QPainter& p, int32_t shift);
  void PaintMark(QPainter& p, const MarkRecord& m);
  // The shapes of a cursor kind at one channel's origin shift.
  void CursorShape(QPainter& p, const CursorRecord& c, int32_t shift, int32_t selStart,
                   int32_t selEnd) const;
  int32_t ShiftOf(int32_t channel) const;
  // The device rectangle a selection covers in one diagram (`area`) of the
  // strip at `shift`; empty when the stretch is not visible.
  QRect SelectionRect(const CursorRecord& start, const CursorRecord& end, const PlotRect& area,
                      bool measuring, int32_t shift) const;

  PlotSetup s_;
  double k_ = 1.0 / 15;  // device pixels per logical unit
  std::array<QPen, kFixedPenCount> pens_;  // by FixedPen
  QPen& OwnPen(FixedPen which) { return pens_[static_cast<size_t>(which)]; }
  QPen playEdge_, playCore_;  // the playback cursor: black edge, bright core
  std::array<QRgb, 64> levelRgb_{};
  std::vector<QRgb> userRgb_;
  QFont font_, smallFont_;
  SpectrogramColumns columns_;
  SpectrogramPeaks peaks_;
  int64_t frameBudget_ = 0;
  QRegion incomplete_;  // device pixels of the columns the last Paint left out
  std::vector<int> binTop_, binBottom_;  // device rows of the bins' bands in the layer
  std::vector<OscillogramColumn> osc_;
  std::vector<ZeroCrossingPoint> zc_;
  QImage layer_;
};

}  // namespace nv
