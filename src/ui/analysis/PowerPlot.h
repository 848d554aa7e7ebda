#pragma once
// The drawing area of a power-spectrum window: the curve, the axes with
// their labels, the readout and interval line and the reference cross,
// drawn from a PowerWindowModel in twips (1/1440 inch) with y upwards. One
// routine (Draw) serves the widget, a QImage, a printer and an SVG
// generator: the painter's world transform maps twips to the device.
//
// The widget shows the readout of the mouse position, sets the reference
// point on a left click and passes right clicks to its window (the context
// menu). It does not own the model. Interface thread only.
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "analysis/PowerWindowModel.h"
#include "base/SampleSource.h"

class QPainter;
class QPaintDevice;

class PowerPlot : public QWidget {
  Q_OBJECT

 public:
  explicit PowerPlot(QWidget* parent = nullptr);

  // The model drawn and the source of its samples (called before every
  // recompute; an empty source draws the frame without a curve).
  void SetModel(nv::PowerWindowModel* model) { model_ = model; }
  std::function<nv::SampleSource()> samples;
  std::function<nv::PowerSoundFormat()> format;
  // Called on a right click with the global position.
  std::function<void(const QPoint&)> contextMenu;
  // Called after every recompute (the window sets its caption).
  std::function<void()> recomputed;

  // Set-up for the widget's size and the spectrum recomputed; repaints.
  void Recompute();
  const QString& Readout() const { return readout_; }

  // Twips per device pixel of a device.
  static int TwipsPerPixel(const QPaintDevice& device);
  // Draws `model` (set up for a layout of deviceRect's size in twips and
  // computed) into deviceRect of the painter's device, the readout text
  // `readout` at the bottom left. `raster`: the reference cross is drawn by
  // inversion (on vector devices with a plain pen).
  // `labelRects`, when given, receives each frequency label with the
  // rectangle it was drawn in.
  static void Draw(QPainter& p, const nv::PowerWindowModel& model, const QRectF& deviceRect,
                   const QString& readout, bool raster,
                   std::vector<std::pair<QString, QRectF>>* labelRects = nullptr);
  // Sets up a copy of `model` for a picture at targetPx of a device with
  // `twipsPerPixel` (1440 / its dots per inch, not rounded), with the FFT
  // size the window shows, computes it from `samples` and draws it: the
  // bitmap, SVG and print path.
  static void Render(QPainter& p, const nv::PowerWindowModel& model, const nv::PowerSoundFormat& f,
                     const nv::SampleSource& samples, const QRectF& targetPx, double twipsPerPixel,
                     const QString& readout, bool raster);
  // The copy of `model` that Render draws.
  static nv::PowerWindowModel PictureModel(const nv::PowerWindowModel& model, const nv::PowerSoundFormat& f,
                                           const QRectF& targetPx, double twipsPerPixel);

  // The frequency labels of the last paint with their rectangles (pixels).
  const std::vector<std::pair<QString, QRectF>>& DrawnFrequencyLabels() const { return labels_; }
  // Test access: the plot coordinates (twips) of a widget position.
  QPoint ToTwips(const QPoint& px) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  nv::PowerWindowModel* model_ = nullptr;
  QString readout_;
  bool overPlot_ = false;
  std::vector<std::pair<QString, QRectF>> labels_;
};
