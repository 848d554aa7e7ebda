#pragma once
// The dialog of "&Virtual Bat detector": the speed factor (1 to 200, the
// sound plays that many times faster) and the choice between switching the
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

  VirtualDetectorDialog(const nv::DetectorSettings& settings, const nv::FilterDescription& detectorFilter,
                        QWidget* parent = nullptr);
  QLineEdit* SpeedField() const { return speed_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* SelectFilterButton() const { return selectFilter_; }
  Choice ChosenAction() const { return choice_; }
  // The speed factor in the field; nothing after a message when it is not a
  // whole number from 1 to 200.
  std::optional<int> SpeedFactor();

  // Shows the dialog and returns what was chosen, with the speed factor.
  static Answer Ask(const nv::DetectorSettings& settings, const nv::FilterDescription& detectorFilter,
                    QWidget* parent);
  // Replaces the modal run (true = accepted); the choice and the field are
  // read afterwards.
  static std::function<bool(VirtualDetectorDialog&)> runner;

 public slots:
  // "OK" and "Select Filter": a bad speed factor keeps the dialog open.
  void Choose(Choice c);

 private:
  QLineEdit* speed_;
  QPushButton* ok_;
  QPushButton* selectFilter_;
  Choice choice_ = Choice::Cancel;
};
