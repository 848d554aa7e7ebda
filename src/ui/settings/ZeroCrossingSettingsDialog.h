#pragma once
// "Zero Crossing Analysis settings": time per plot in whole milliseconds,
// frequency range, samples per estimate, detection threshold, channels, font
// size, line between values and the grid lines of the zero-crossing diagram.
// Modeless; see SettingsDialogBase for OK, Apply and Cancel.
#include "settings/FrequencyRangeFields.h"
#include "settings/SettingsDialogBase.h"

class NumericEdit;
class QCheckBox;
class QComboBox;

class ZeroCrossingSettingsDialog : public SettingsDialogBase {
  Q_OBJECT
 public:
  ZeroCrossingSettingsDialog(const nv::AnalysisSettings& settings, bool editingDefaults,
                             const DocumentRates& rates, QWidget* parent = nullptr);

  bool ReadFields(nv::AnalysisSettings& out) override;

  NumericEdit* MinFrequencyField() const { return frequencies_.MinField(); }
  NumericEdit* MaxFrequencyField() const { return frequencies_.MaxField(); }
  NumericEdit* ThresholdField() const { return threshold_; }
  NumericEdit* FontSizeField() const { return fontSize_; }
  QComboBox* SamplesBox() const { return samples_; }
  QCheckBox* LineBox() const { return line_; }
  QComboBox* TimeGridBox() const { return timeGrid_; }
  QComboBox* FrequencyGridBox() const { return freqGrid_; }

 private:
  FrequencyRangeFields frequencies_{editingDefaults_, rates_};
  QComboBox* samples_;
  NumericEdit* threshold_;
  NumericEdit* fontSize_;
  QCheckBox* line_;
  QComboBox* timeGrid_;
  QComboBox* freqGrid_;
};
