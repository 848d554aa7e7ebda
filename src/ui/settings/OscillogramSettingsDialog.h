#pragma once
// "Oscillogram settings": time per plot, amplitude range in whole percent,
// channels, line between samples and the grid lines of the oscillogram.
// Modeless; see SettingsDialogBase for OK, Apply and Cancel.
#include "settings/SettingsDialogBase.h"

class NumericEdit;
class QCheckBox;
class QComboBox;

class OscillogramSettingsDialog : public SettingsDialogBase {
  Q_OBJECT
 public:
  OscillogramSettingsDialog(const nv::AnalysisSettings& settings, bool editingDefaults,
                            const DocumentRates& rates = {}, QWidget* parent = nullptr);

  bool ReadFields(nv::AnalysisSettings& out) override;

  NumericEdit* MinAmplitudeField() const { return minAmp_; }
  NumericEdit* MaxAmplitudeField() const { return maxAmp_; }
  QCheckBox* LineBox() const { return line_; }
  QComboBox* AmplitudeGridBox() const { return ampGrid_; }
  QComboBox* TimeGridBox() const { return timeGrid_; }

 private:
  NumericEdit* minAmp_;
  NumericEdit* maxAmp_;
  QCheckBox* line_;
  QComboBox* ampGrid_;
  QComboBox* timeGrid_;
};
