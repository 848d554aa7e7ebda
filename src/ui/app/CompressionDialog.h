#pragma once
// "Save Compressed Parameters": the silent level and the time kept before and
// after each loud stretch of a compressed save, preset from and stored into
// a document's CompressionInfo. Tests replace `runner` to answer without
// showing the dialog. Interface thread only.
#include <QDialog>
#include <functional>

#include "fileformats/CompressionInfo.h"

class NumericEdit;

class CompressionDialog : public QDialog {
  Q_OBJECT
 public:
  CompressionDialog(const nv::CompressionInfo& info, QWidget* parent = nullptr);
  NumericEdit* LevelField() const { return level_; }
  NumericEdit* BeforeField() const { return before_; }
  NumericEdit* AfterField() const { return after_; }
  // Reads the fields into `info` (file type 7); false after a message.
  bool Store(nv::CompressionInfo& info);

  // Shows the dialog; on OK stores the values and returns true.
  static bool Ask(nv::CompressionInfo& info, QWidget* parent);
  static std::function<bool(CompressionDialog&)> runner;

 public slots:
  void accept() override;

 private:
  NumericEdit* level_;
  NumericEdit* before_;
  NumericEdit* after_;
};
