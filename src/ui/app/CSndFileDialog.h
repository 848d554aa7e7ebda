#pragma once
// The open and save dialogs of sound files: a (non-native) file dialog with
// the file filters of the program and one more row, the "Open as:" combo
// (open) or the "File format:" combo (save), whose chosen type code is read
// when the dialog closes. The save dialog asks before replacing a file.
//
// Everything that asks the user for a sound file goes through Ask(), which
// runs the dialog modally; tests replace `runner` to answer without showing
// it. Interface thread only.
#include <QFileDialog>
#include <functional>
#include <optional>

#include "fileformats/FileType.h"

class QComboBox;
class QLabel;

struct SndFileChoice {
  QString path;
  nv::FileType type = nv::FileType::StandardWave;
  nv::SoundFilePath File() const { return {path.toStdString(), type}; }
};

class CSndFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  enum class Mode { Open, Save };

  // `preselect`: the save dialog's type (its "File format:" item is
  // chosen by the preselection rule); the open dialog starts on its first item.
  CSndFileDialog(Mode mode, QWidget* parent, const QString& fileName, const QString& defaultSuffix,
                 nv::FileType preselect = nv::FileType::NorvaneWave);

  Mode DialogMode() const { return mode_; }
  QComboBox* TypeCombo() const { return combo_; }
  QLabel* TypeLabel() const { return label_; }
  // The type of the chosen combo item (StandardWave when none is chosen).
  nv::FileType ChosenType() const;
  // The Qt form of the program's filter text.
  static QStringList NameFilters();

  // Runs the dialog (or the runner); nothing on Cancel or an empty path.
  static std::optional<SndFileChoice> Ask(Mode mode, QWidget* parent, const QString& fileName,
                                          const QString& defaultSuffix,
                                          nv::FileType preselect = nv::FileType::NorvaneWave);
  // Replaces the modal run: receives the set-up dialog, returns the answer.
  static std::function<std::optional<SndFileChoice>(CSndFileDialog&)> runner;

 public slots:
  void accept() override;

 private:
  Mode mode_;
  QLabel* label_;
  QComboBox* combo_;
};
