#pragma once
// "Change volume": the new volume of the selection as a whole percentage of
// the present one, 10 to 1000, preset 100. Tests replace `runner` to answer
// without showing the dialog. Interface thread only.
#include <QDialog>
#include <functional>
#include <optional>

class NumericEdit;

class ChangeVolumeDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMinimumPercent = 10;
  static constexpr int kMaximumPercent = 1000;

  explicit ChangeVolumeDialog(QWidget* parent = nullptr);
  NumericEdit* PercentField() const { return percent_; }
  // The field's value; nothing after a message when it is not a whole
  // number from 10 to 1000.
  std::optional<int> Percent();

  // Shows the dialog; the percentage on OK, nothing on Cancel.
  static std::optional<int> Ask(QWidget* parent);
  // Replaces the modal run (true = OK); the field is read afterwards.
  static std::function<bool(ChangeVolumeDialog&)> runner;

 public slots:
  void accept() override;

 private:
  NumericEdit* percent_;
};
