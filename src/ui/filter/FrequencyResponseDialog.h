#pragma once
// "Frequency Response": the magnitude of a designed filter in dB against
// frequency, 0 Hz to the Nyquist frequency, -50 dB on the bottom edge and a
// margin of 3 dB above 0 dB. The curve is drawn from the 100 points of
// nv::FilterResponse. Interface thread only.
#include <QDialog>
#include <array>
#include <cstdint>

#include "filter/FilterDesign.h"

class FrequencyResponsePlot;

class FrequencyResponseDialog : public QDialog {
  Q_OBJECT
 public:
  FrequencyResponseDialog(const std::array<double, nv::kFilterResponsePoints>& magnitudes,
                          int64_t nyquistHz, QWidget* parent = nullptr);
  QWidget* Plot() const;
  const std::array<double, nv::kFilterResponsePoints>& Magnitudes() const { return magnitudes_; }
  int64_t NyquistHz() const { return nyquistHz_; }

 private:
  std::array<double, nv::kFilterResponsePoints> magnitudes_;
  int64_t nyquistHz_;
  FrequencyResponsePlot* plot_;
};

// The drawing area of the dialog.
class FrequencyResponsePlot : public QWidget {
  Q_OBJECT
 public:
  FrequencyResponsePlot(const FrequencyResponseDialog* owner, QWidget* parent);
  QSize sizeHint() const override { return QSize(480, 300); }
  QSize minimumSizeHint() const override { return QSize(240, 150); }
  // The level axis: the y of `db` in a plot area from `top` to `bottom`.
  static double LevelY(double db, double top, double bottom);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  const FrequencyResponseDialog* owner_;
};
