#pragma once
// "About Norvane": the program icon, the program's name and version, OK.
// A double click shows the full version line ("Version: " with the build's
// version, two blanks and the build comment).
#include <QDialog>

class QLabel;

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
  QLabel* VersionLine() const { return version_; }
  static QString FullVersionText();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  QLabel* version_;
};
