#pragma once
// The drawing of a pulse interval / pulse length histogram (the client area
// of a CRateWnd): axes with count and time ticks, the bars, the analysed
// stretch and total below, and a readout of the mouse position with a
// reference point set by a left click. The histogram is computed at the
// first paint after a set-up and kept until the next. Interface thread only;
// the histogram and the document belong to the owning window.
#include <QString>
#include <QWidget>

namespace nv {
class CNorvaneDoc;
class RateHistogram;
}

class RatePlot : public QWidget {
  Q_OBJECT
 public:
  RatePlot(nv::CNorvaneDoc* doc, nv::RateHistogram* histogram, QWidget* parent);

  // Computes the histogram when a set-up asked for it (emits
  // thresholdComputed when the threshold was found automatically).
  void EnsureComputed();
  // Draws the whole plot into any paint device of that size.
  void Render(QPainter& p, const QSize& size);
  void ClearReference();
  const QString& Readout() const { return readout_; }

 signals:
  void thresholdComputed();
  void contextMenuWanted(const QPoint& globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Layout {
    QRect plot;     // the bar area
    int textY = 0;  // baseline of the line below the time labels
  };
  Layout LayoutFor(const QSize& size) const;
  // The 8-point label font in pixels of this widget's screen, so that the
  // picture is the same on every device and only scaled by the painter.
  QFont ScreenFont() const;
  // Time (us) and count at a point of the plot; false outside it.
  bool ValueAt(const QPoint& pos, int64_t& us, int64_t& count) const;
  QString TimeText(int64_t us, int code) const;

  nv::CNorvaneDoc* doc_;
  nv::RateHistogram* hist_;
  QString readout_;
  bool haveReference_ = false;
  int64_t refUs_ = 0, refCount_ = 0;
};
