#pragma once
// The dialog of "&Virtual Bat detector": the speed factor (1 to 200, the
// sound plays that many times faster), the tuning frequency in kHz (the
// detector line follows the field while it is typed) and the choice between switching the
// detector on with its present filter ("OK", enabled only when the
// detector's filter description holds a filter) or choosing the filter first
// ("Select Filter"). Tests replace `runner` to answer without showing the
// dialog. Interface thread only.
#include <QDialog>
#include <functional>
#include <optional>

#include "audio/DetectorSettings.h"
#include "filter/FilterDescription.h"

class QLineEdit;
class QPushButton;

class VirtualDetectorDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Choice { Cancel, Ok, SelectFilter };
  struct Answer {
    Choice choice = Choice::Cancel;
    nv::DetectorSettings settings;
  };

  // `nyquistHz` is the highest tuning frequency (real Hz; 0: no limit).
  VirtualDetectorDialog(const nv::DetectorSettings& settings, const nv::FilterDescription& detectorFilter,
                        QWidget* parent = nullptr, int64_t nyquistHz = 0);
  QLineEdit* SpeedField() const { return speed_; }
  QLineEdit* FrequencyField() const { return frequency_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* SelectFilterButton() const { return selectFilter_; }
  Choice ChosenAction() const { return choice_; }
  // The speed factor in the field; nothing after a message when it is not a
  // whole number from 1 to 200.
  std::optional<int> SpeedFactor();
  // The tuning frequency in Hz (0 while the field is empty); nothing after
  // a message when it is not a frequency from 1 Hz to the Nyquist frequency.
  std::optional<int32_t> FrequencyHz();

  // Shows the dialog and returns what was chosen, with the speed factor and
  // the tuning frequency. `tuned` hears every valid frequency typed into the
  // field, so that the caller can move its line along.
  static Answer Ask(const nv::DetectorSettings& settings, const nv::FilterDescription& detectorFilter,
                    QWidget* parent, int64_t nyquistHz = 0,
                    const std::function<void(int32_t)>& tuned = nullptr);
  // Replaces the modal run (true = accepted); the choice and the field are
  // read afterwards.
  static std::function<bool(VirtualDetectorDialog&)> runner;

 signals:
  // A valid tuning frequency was typed (real Hz).
  void FrequencyTuned(int hz);

 public slots:
  // "OK" and "Select Filter": a bad speed factor keeps the dialog open.
  void Choose(Choice c);

 private:
  QLineEdit* speed_;
  QLineEdit* frequency_;
  int64_t nyquistHz_;
  QPushButton* ok_;
  QPushButton* selectFilter_;
  Choice choice_ = Choice::Cancel;
};
