#pragma once
// The common frame of the modeless display settings dialogs: a copy of the
// record being edited, the OK, Cancel and Apply buttons, the "- Default values"
// caption when the application defaults are edited, and the pieces every
// display dialog has: the "Milliseconds per plot" field with its accelerating
// spin buttons, the "If stereo, view" channel boxes and a grid-lines group.
//
// OK and Apply read and validate the fields; on success they store them into
// the record as it is at that moment (the one `SetLiveRecord` supplies, else
// the dialog's own copy), so that whatever the dialog does not show keeps
// its current value, and emit `applied` with it (OK then closes). A failure has
// shown its message and the dialog stays open. Cancel closes without storing.
// The dialog deletes itself when it closes and emits `closed` first.
#include <QDialog>

#include "settings/AnalysisSettings.h"
#include "settings/DocumentRates.h"

#include <cstdint>
#include <functional>
#include <initializer_list>

class FrequencyRangeFields;
class HoldSpinButtons;
class NumericEdit;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QPushButton;

class SettingsDialogBase : public QDialog {
  Q_OBJECT
 public:
  SettingsDialogBase(const QString& title, const nv::AnalysisSettings& settings,
                     bool editingDefaults, const DocumentRates& rates, QWidget* parent);

  bool EditingDefaults() const { return editingDefaults_; }
  // Supplies the record as it is now, into which OK and Apply store the
  // dialog's own fields (a view passes its current settings, which zoom and
  // other dialogs may have changed since this dialog opened).
  void SetLiveRecord(std::function<nv::AnalysisSettings()> current) { live_ = std::move(current); }
  // The record with the fields stored at the last OK or Apply.
  const nv::AnalysisSettings& Settings() const { return settings_; }
  // Reads and validates the fields into `out`, showing the first failure.
  virtual bool ReadFields(nv::AnalysisSettings& out) = 0;

  QPushButton* OkButton() const;
  QPushButton* CancelButton() const;
  QPushButton* ApplyButton() const;
  NumericEdit* TimeField() const { return timeField_; }
  HoldSpinButtons* TimeSpin() const { return timeSpin_; }
  QCheckBox* LeftBox() const { return left_; }
  QCheckBox* RightBox() const { return right_; }

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
  // Adds "Milliseconds per plot" and the time field as row `row` of `grid`
  // (the label is a child of the grid's widget). The field shows milliseconds
  // with three decimals on a microsecond value, or whole milliseconds.
  void AddTimeRow(QGridLayout* grid, int row, bool wholeMilliseconds);
  // The "If stereo, view" group with the "Left Channel" and "Right Channel"
  // boxes.
  QGroupBox* MakeChannelGroup();
  // A grid-lines group titled `title` with two labelled lists, made here and
  // filled by the caller.
  QGroupBox* MakeGridGroup(const QString& title, const QString& firstLabel, QComboBox*& first,
                           const QString& secondLabel, QComboBox*& second);
  // Shows the record's time per plot and channels in their fields.
  void ShowTimeAndChannels(const nv::AnalysisSettings& s);
  // The first two checks of every dialog, on the time field's number: at
  // least one channel, then the time per plot within its limits (focus on
  // the field). Shows the first failure.
  bool CheckChannelsAndTime(int64_t time);
  // Stores the time field's number and the channels into `s`.
  void StoreTimeAndChannels(int64_t time, nv::AnalysisSettings& s) const;
  // A number field of a dialog and where its number goes.
  struct NumberField {
    NumericEdit* field;
    int64_t* value;
  };
  // The reading of the dialogs with a frequency range: the time field, the
  // range, then `numbers` in their order (each shows its own message), then
  // the checks of channels, time and range. On success the range, the time
  // and the channels are stored into `s` and every number into its place.
  bool ReadTimeRangeAndNumbers(const FrequencyRangeFields& frequencies,
                               std::initializer_list<NumberField> numbers,
                               nv::AnalysisSettings& s);
  QDialogButtonBox* Buttons() const { return buttons_; }

  nv::AnalysisSettings settings_;
  const bool editingDefaults_;
  const DocumentRates rates_;
  NumericEdit* timeField_ = nullptr;
  HoldSpinButtons* timeSpin_ = nullptr;

 private:
  // The record the fields go into: the live one when given.
  nv::AnalysisSettings CurrentRecord() const { return live_ ? live_() : settings_; }

  std::function<nv::AnalysisSettings()> live_;
  bool wholeMilliseconds_ = false;
  QCheckBox* left_ = nullptr;
  QCheckBox* right_ = nullptr;
  QDialogButtonBox* buttons_;
};
