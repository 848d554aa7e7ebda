#pragma once
// "Time Domain Filter": edits a working copy of a filter description (filter
// type, band type with its cut-off frequencies, order, pass-band ripple and
// stop-band gain) or, for a "User defined" filter, loads its coefficients from
// a filter definition file. "Show Frequency Response" designs a scratch copy
// and shows its response; OK designs the working copy and closes only when the
// design succeeds. The description passed in is changed only by Ask on OK.
// Tests replace `runner`, `fileChooser` and `responseRunner`. Interface
// thread only.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

#include "filter/FilterDescription.h"

class FrequencyResponseDialog;
class NumericEdit;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TimeDomainFilterDialog : public QDialog {
  Q_OBJECT
 public:
  TimeDomainFilterDialog(const nv::FilterDescription& desc, int64_t nyquistHz, QWidget* parent = nullptr);

  // The working copy (designed after a successful OK).
  const nv::FilterDescription& Description() const { return work_; }
  int64_t NyquistHz() const { return nyquistHz_; }

  QComboBox* FilterTypeCombo() const { return type_; }
  QRadioButton* BandButton(int band) const { return bands_[band]; }
  NumericEdit* LowPassField() const { return lowPass_; }
  NumericEdit* HighPassField() const { return highPass_; }
  NumericEdit* BandPassLowField() const { return bandPassLow_; }
  NumericEdit* BandPassHighField() const { return bandPassHigh_; }
  NumericEdit* BandStopLowField() const { return bandStopLow_; }
  NumericEdit* BandStopHighField() const { return bandStopHigh_; }
  QComboBox* OrderCombo() const { return order_; }
  QComboBox* RippleCombo() const { return ripple_; }
  QComboBox* StopBandCombo() const { return stopBand_; }
  QPushButton* ResponseButton() const { return response_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // What the user does with the filter-type combo: selects the item and,
  // for "User defined", asks for a filter definition file at once.
  void ChooseFilterType(int index);
  // Reads a filter definition file into the working copy (messages on errors).
  void LoadDefinition(const QString& path);
  // Takes the controls' values into the working copy; false after a message
  // about an edit box.
  bool TakeValues();
  // "Show Frequency Response".
  void ShowResponse();

  // The ripple (tenths of a dB) and stop-band gain (dB) of a combo text.
  static int32_t ParseRipple(const QString& text);
  static int32_t ParseStopBand(const QString& text);

  // Shows the dialog on `desc`; on OK `desc` becomes the designed working
  // copy and the result is true.
  static bool Ask(nv::FilterDescription& desc, int64_t nyquistHz, QWidget* parent);
  // Replaces exec(): returns true when the dialog ended accepted.
  static std::function<bool(TimeDomainFilterDialog&)> runner;
  // Replaces the open-file dialog: the path chosen, empty for Cancel.
  static std::function<QString(QWidget*)> fileChooser;
  // Replaces the modal run of the "Frequency Response" dialog.
  static std::function<void(FrequencyResponseDialog&)> responseRunner;

 public slots:
  void accept() override;

 private:
  void ShowValues();
  void UpdateEnabling();
  int32_t ChosenFilterType() const;

  nv::FilterDescription work_;
  int64_t nyquistHz_;
  QComboBox* type_;
  QRadioButton* bands_[4];
  QButtonGroup* bandGroup_;
  NumericEdit* lowPass_;
  NumericEdit* highPass_;
  NumericEdit* bandPassLow_;
  NumericEdit* bandPassHigh_;
  NumericEdit* bandStopLow_;
  NumericEdit* bandStopHigh_;
  QComboBox* order_;
  QComboBox* ripple_;
  QComboBox* stopBand_;
  QLabel* rippleLabel_;
  QLabel* stopBandLabel_;
  QLabel* orderLabel_;
  QPushButton* response_;
  QPushButton* ok_;
  QPushButton* cancel_;
};
