#pragma once
// "Pulse Interval / Pulse Length Analysis Settings": edits a RateSettings
// copy; OK checks the histogram range and bar count and keeps the dialog open
// with a message when they do not fit. Modal; interface thread only.
#include <QDialog>

#include "settings/RateSettings.h"

class NumericEdit;
class QCheckBox;

class RateSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit RateSettingsDialog(const nv::RateSettings& settings, QWidget* parent = nullptr);
  const nv::RateSettings& Settings() const { return settings_; }

  // The threshold field's percent of a 16-bit threshold, and back.
  static int32_t PercentOfThreshold(int32_t threshold);
  static int32_t ThresholdOfPercent(int32_t percent);

  NumericEdit* DelayField() const { return delay_; }
  NumericEdit* StartField() const { return start_; }
  NumericEdit* EndField() const { return end_; }
  NumericEdit* BarsField() const { return bars_; }
  NumericEdit* ThresholdField() const { return threshold_; }
  QCheckBox* AutomaticBox() const { return automatic_; }
  QCheckBox* ContinuousBox() const { return continuous_; }

 public slots:
  void accept() override;

 private:
  nv::RateSettings settings_;
  NumericEdit* delay_;
  NumericEdit* start_;
  NumericEdit* end_;
  NumericEdit* bars_;
  NumericEdit* threshold_;
  QCheckBox* automatic_;
  QCheckBox* continuous_;
};
