#pragma once
// The common frame of the modeless display settings dialogs: a copy of the
// record being edited, the OK, Cancel and Apply buttons, the "- Default values"
// caption when the application defaults are edited, and the "Milliseconds per
// plot" field with its accelerating spin buttons.
//
// OK and Apply read and validate the fields; on success they store them into
// the dialog's copy and emit `applied` with it (OK then closes). A failure has
// shown its message and the dialog stays open. Cancel closes without storing.
// The dialog deletes itself when it closes and emits `closed` first.
#include <QDialog>

#include "settings/AnalysisSettings.h"
#include "settings/DocumentRates.h"

class HoldSpinButtons;
class NumericEdit;
class QDialogButtonBox;
class QPushButton;

class SettingsDialogBase : public QDialog {
  Q_OBJECT
 public:
  SettingsDialogBase(const QString& title, const nv::AnalysisSettings& settings,
                     bool editingDefaults, const DocumentRates& rates, QWidget* parent);

  bool EditingDefaults() const { return editingDefaults_; }
  // The record with the fields stored at the last OK or Apply.
  const nv::AnalysisSettings& Settings() const { return settings_; }
  // Reads and validates the fields into `out`, showing the first failure.
  virtual bool ReadFields(nv::AnalysisSettings& out) = 0;

  QPushButton* OkButton() const;
  QPushButton* CancelButton() const;
  QPushButton* ApplyButton() const;
  NumericEdit* TimeField() const { return timeField_; }
  HoldSpinButtons* TimeSpin() const { return timeSpin_; }

 public slots:
  bool Ok();
  bool Apply();

 signals:
  // OK (closing true) or Apply (closing false) with the stored record.
  void applied(const nv::AnalysisSettings& settings, bool closing);
  void closed();

 protected:
  // Refreshes what depends on the stored record (after Apply).
  virtual void AfterApply() {}
  void done(int result) override;
  // Builds the time field: in milliseconds with three decimals on a
  // microsecond value, or in whole milliseconds.
  QWidget* MakeTimeField(bool wholeMilliseconds);
  QDialogButtonBox* Buttons() const { return buttons_; }

  nv::AnalysisSettings settings_;
  const bool editingDefaults_;
  const DocumentRates rates_;
  NumericEdit* timeField_ = nullptr;
  HoldSpinButtons* timeSpin_ = nullptr;

 private:
  QDialogButtonBox* buttons_;
};
