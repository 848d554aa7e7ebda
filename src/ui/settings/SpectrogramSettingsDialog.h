#pragma once
// "Spectrogram settings": time per plot, frequency range, FFT size, window and
// overlap with their read-outs, channels, threshold, colour mapping (built-in
// schemes and the application's user colour maps), contrast, de-emphasis,
// font size, colour bar and grid lines of the spectrogram. Modeless; see
// SettingsDialogBase for OK, Apply and Cancel. The user colour maps are the
// list it is made with (not owned; it outlives the dialog).
#include <functional>
#include <optional>

#include "settings/ColorMapList.h"
#include "settings/FrequencyRangeFields.h"
#include "settings/SettingsDialogBase.h"

class NumericEdit;
class HoldSpinButtons;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

class SpectrogramSettingsDialog : public SettingsDialogBase {
  Q_OBJECT
 public:
  SpectrogramSettingsDialog(nv::SharedColorMaps& colorMaps, const nv::AnalysisSettings& settings,
                            bool editingDefaults, const DocumentRates& rates, QWidget* parent = nullptr);

  bool ReadFields(nv::AnalysisSettings& out) override;

  // The read-outs: empty when they cannot be computed.
  static QString FrequencyResolutionText(int fftSize, int windowCode, const DocumentRates& rates);
  static QString TimeBetweenFftsText(int fftSize, int overlapPercent, const DocumentRates& rates);

  // Replaces what "User Colors" runs (tests); by default the modal
  // "User defined color mappings" dialog.
  std::function<void()> runUserColors;

  NumericEdit* MinFrequencyField() const { return frequencies_.MinField(); }
  NumericEdit* MaxFrequencyField() const { return frequencies_.MaxField(); }
  NumericEdit* OverlapField() const { return overlap_; }
  HoldSpinButtons* OverlapSpin() const { return overlapSpin_; }
  NumericEdit* FontSizeField() const { return fontSize_; }
  QComboBox* FftSizeBox() const { return fftSize_; }
  QComboBox* WindowBox() const { return window_; }
  QComboBox* ColorMapBox() const { return colorMap_; }
  QComboBox* TimeGridBox() const { return timeGrid_; }
  QComboBox* FrequencyGridBox() const { return freqGrid_; }
  QCheckBox* AutoOverlapBox() const { return autoOverlap_; }
  QCheckBox* DeEmphasisBox() const { return deEmphasis_; }
  QCheckBox* ColorBarBox() const { return colorBar_; }
  QSlider* ThresholdSlider() const { return threshold_; }
  QSlider* ContrastSlider() const { return contrast_; }
  QLabel* ThresholdValue() const { return thresholdValue_; }
  QLabel* ContrastValue() const { return contrastValue_; }
  QLineEdit* ResolutionReadout() const { return resolution_; }
  QLineEdit* TimeBetweenReadout() const { return timeBetween_; }
  QPushButton* UserColorsButton() const { return userColors_; }

  // Chooses colour list entry `index` as the user would.
  void ChooseColorMap(int index);

 protected:
  void AfterApply() override;

 private:
  void ShowRecord();
  void FillColorList();
  void SelectColorForRecord();
  void UpdateColorControls();
  void UpdateReadouts();
  void OnAutoOverlapToggled(bool checked);
  void OnOverlapEdited();
  void OnUserColors();

  nv::SharedColorMaps& colorMaps_;
  FrequencyRangeFields frequencies_{editingDefaults_, rates_};
  QComboBox* fftSize_;
  QComboBox* window_;
  NumericEdit* overlap_;
  HoldSpinButtons* overlapSpin_;
  QCheckBox* autoOverlap_;
  QLineEdit* resolution_;
  QLineEdit* timeBetween_;
  QSlider* threshold_;
  QLabel* thresholdValue_;
  QComboBox* colorMap_;
  QSlider* contrast_;
  QLabel* contrastValue_;
  QCheckBox* deEmphasis_;
  NumericEdit* fontSize_;
  QCheckBox* colorBar_;
  QComboBox* timeGrid_;
  QComboBox* freqGrid_;
  QPushButton* userColors_;
  int64_t rememberedOverlap_ = 50;
  bool colorChosen_ = false;
  // A stored window code the list does not hold, kept until the user
  // chooses a window.
  std::optional<int32_t> unlistedWindow_;
};
