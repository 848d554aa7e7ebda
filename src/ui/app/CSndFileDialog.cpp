#include "app/CSndFileDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

#include "base/MessageSink.h"
#include "fileformats/FileType.h"

std::function<std::optional<SndFileChoice>(CSndFileDialog&)> CSndFileDialog::runner;

CSndFileDialog::CSndFileDialog(Mode mode, QWidget* parent, const QString& fileName,
                               const QString& defaultSuffix, nv::FileType preselect)
    : QFileDialog(parent), mode_(mode) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  // The save dialog asks itself, through the message interface.
  setOption(QFileDialog::DontConfirmOverwrite, true);
  setAcceptMode(mode == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(mode == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  setWindowTitle(mode == Mode::Open ? tr("Open") : tr("Save As"));
  setNameFilters(NameFilters());
  selectNameFilter(NameFilters().front());
  if (!defaultSuffix.isEmpty()) setDefaultSuffix(defaultSuffix);
  if (!fileName.isEmpty()) {
    QFileInfo fi(fileName);
    if (fi.dir().exists() && fileName.contains('/')) setDirectory(fi.absolutePath());
    selectFile(fi.fileName());
  }

  label_ = new QLabel(mode == Mode::Open ? QStringLiteral("Open as:") : QStringLiteral("File format:"),
                      this);
  combo_ = new QComboBox(this);
  combo_->setObjectName(mode == Mode::Open ? "openAsCombo" : "fileFormatCombo");
  label_->setBuddy(combo_);
  const auto& choices = mode == Mode::Open ? nv::OpenAsChoices() : nv::FileFormatChoices();
  for (const auto& c : choices) combo_->addItem(QString::fromStdString(c.text), nv::ToCode(c.type));
  combo_->setCurrentIndex(mode == Mode::Open ? 0 : nv::FileFormatPreselection(preselect));
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    const int row = grid->rowCount();
    grid->addWidget(label_, row, 0);
    grid->addWidget(combo_, row, 1);
  }
}

nv::FileType CSndFileDialog::ChosenType() const {
  return combo_->currentIndex() >= 0 ? nv::FileTypeFromCode(combo_->currentData().toInt())
                                     : nv::FileType::StandardWave;
}

QStringList CSndFileDialog::NameFilters() {
  // "Name|pattern|Name|pattern||": the names carry the patterns.
  const QStringList parts = QString::fromLatin1(nv::kSoundFileFilter).split('|');
  QStringList names;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty()) names << parts[i];
  return names;
}

void CSndFileDialog::accept() {
  if (mode_ == Mode::Save) {
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && QFileInfo::exists(files.front())) {
      const QString q = QFileInfo(files.front()).fileName() +
                        " already exists.\nDo you want to replace it?";
      if (!nv::Messages().Ask(q.toStdString(), nv::MessageIcon::Exclamation)) return;
    }
  }
  QFileDialog::accept();
}

std::optional<SndFileChoice> CSndFileDialog::Ask(Mode mode, QWidget* parent, const QString& fileName,
                                                 const QString& defaultSuffix, nv::FileType preselect) {
  CSndFileDialog dlg(mode, parent, fileName, defaultSuffix, preselect);
  std::optional<SndFileChoice> answer;
  if (runner) {
    answer = runner(dlg);
  } else if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
    answer = SndFileChoice{dlg.selectedFiles().front(), dlg.ChosenType()};
  }
  if (answer && answer->path.isEmpty()) answer.reset();
  return answer;
}
