#include "app/CDocCommands.h"

#include <QApplication>
#include <QFileInfo>

#include "app/CDocTemplate.h"
#include "analysis/PulseAnalysisDialog.h"
#include "app/CSndFileDialog.h"
#include "base/CommandIds.h"
#include "app/CompressionDialog.h"
#include "base/MessageSink.h"
#include "base/WaitCursor.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundEditor.h"
#include "fileformats/FileType.h"
#include "views/CNvAnaView.h"
#include "views/StatusStrip.h"

namespace {

// The document title cut at the first character that cannot start a file
// name part, with the template's extension in lower case (the form file
// names on this system carry), as the name proposed for a document without
// a file: "Norvane1.wav".
std::string ProposedName(const std::string& title) {
  const size_t cut = title.find_first_of(" #%;/\\");
  return title.substr(0, cut) + CDocTemplate::DocString(CDocTemplate::DocStringIndex::FilterExt).toLower().toStdString();
}

}  // namespace

std::string CDocCommands::SaveAsMenuText(const nv::SoundFilePath& file) {
  return file.Empty() ? "Save &As..." : "Save Cop&y As...";
}

std::string CDocCommands::CopySavedText(const std::string& copyPath, const std::string& ownPath) {
  const std::string copy = QFileInfo(QString::fromStdString(copyPath)).fileName().toStdString();
  const std::string own = QFileInfo(QString::fromStdString(ownPath)).fileName().toStdString();
  return "Copy written to " + copy + "; this window still holds " + own + " (Save writes " + own + ")";
}

void CDocCommands::ShowInViews(const QString& text) {
  for (nv::SoundViewObserver* o : doc_->Views())
    if (auto* v = dynamic_cast<CNvAnaView*>(o); v && v->Strip()) v->Strip()->SetStatusText(text);
}

QWidget* CDocCommands::DialogParent() const { return context_.dialogParent ? context_.dialogParent() : nullptr; }

bool CDocCommands::Playing() const { return context_.playing && context_.playing(); }

bool CDocCommands::OnCommand(int id) {
  switch (id) {
    case cmd::kFileSave: FileSave(); return true;
    case cmd::kFileSaveAs: DoSave(std::nullopt); return true;
    case cmd::kEditUndo:
    case cmd::kEditRedo:
      // Refused while a playback or a pulse analysis reads the samples.
      if (!Playing() && !PulseAnalysisDialog::RunningOn(doc_) && doc_->MakeWorkFileOwn()) {
        WaitCursor wait;
        nv::SoundEditor& ed = doc_->Editor();
        if (id == cmd::kEditUndo) ed.Undo();
        else ed.Redo();
      }
      return true;
    default: return false;
  }
}

bool CDocCommands::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kFileSave:
    case cmd::kFileSaveAs:
      state.enabled = !Playing();
      // A document with a file keeps it: "Save As" writes a copy.
      if (id == cmd::kFileSaveAs) state.text = QString::fromStdString(SaveAsMenuText(doc_->File()));
      return true;
    case cmd::kEditUndo:
    case cmd::kEditRedo: {
      const bool undo = id == cmd::kEditUndo;
      const nv::SoundEditor& ed = doc_->Editor();
      state.enabled = (undo ? ed.CanUndo() : ed.CanRedo()) &&
                      !Playing() &&
                      !PulseAnalysisDialog::RunningOn(doc_);
      state.text = QString::fromStdString(undo ? nv::SoundEditor::UndoMenuText(ed.NextUndo())
                                               : nv::SoundEditor::RedoMenuText(ed.NextRedo()));
      return true;
    }
    default: return false;
  }
}

bool CDocCommands::FileSave() {
  const nv::SoundFilePath& own = doc_->File();
  if (own.Empty()) return DoSave(std::nullopt);
  QFileInfo fi(QString::fromStdString(own.path));
  // A file that cannot be written, or whose attributes cannot be read (it
  // was deleted or moved since it was opened), is saved under a new name.
  if (!fi.exists() || !fi.isWritable()) return DoSave(std::nullopt);
  return DoSave(own);
}

bool CDocCommands::DoSave(std::optional<nv::SoundFilePath> target) {
  const nv::SoundFilePath own = doc_->File();
  if (!target) {
    const std::string name = own.Empty() ? ProposedName(doc_->Title()) : own.path;
    const QString suffix = CDocTemplate::DocString(CDocTemplate::DocStringIndex::FilterExt).mid(1);
    auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Save, DialogParent(),
                                      QString::fromStdString(name), suffix, own.type);
    if (!choice) return false;
    target = choice->File();
    if (target->type == nv::FileType::NorvaneWaveComp && !CompressionDialog::Ask(doc_->Compression(), DialogParent()))
      return false;
  }

  bool ok;
  {
    WaitCursor wait;
    ok = doc_->Save(*target);
  }
  // A failed save leaves nothing to delete: the writers write beside the
  // target and rename only a complete file over it, removing their own
  // temporary file otherwise. What stands at the target now is the file
  // that was there before (the user's old file, or this document's own
  // file), and it stays.
  if (!ok) return false;
  if (context_.addRecent) context_.addRecent(*target);
  if (!own.Empty()) {
    // The document stays with its own file; a save to that same file has
    // cleared the modified flag. Said where it is seen: the copy went
    // elsewhere, the window (and a later "Save") still has the document's
    // own file.
    if (QFileInfo(QString::fromStdString(target->path)).absoluteFilePath() !=
        QFileInfo(QString::fromStdString(own.path)).absoluteFilePath())
      ShowInViews(QString::fromStdString(CopySavedText(target->path, own.path)));
  } else {
    doc_->SetFile(*target);
  }
  if (context_.titleChanged) context_.titleChanged(doc_);
  return true;
}

bool CDocCommands::SaveRange(int64_t first, int64_t end) {
  auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Save, DialogParent(),
                                    QString::fromStdString(doc_->File().path), QStringLiteral("wav"),
                                    nv::FileType::NorvaneWave);
  if (!choice) return false;
  // A range is a new file: the document keeps its own file and modified flag.
  const bool keepModified = doc_->IsModified();
  bool ok;
  {
    WaitCursor wait;
    ok = doc_->Save(choice->File(), first, end);
  }
  doc_->SetModifiedFlag(keepModified);
  if (ok && context_.addRecent) context_.addRecent(choice->File());
  return ok;
}

bool CDocCommands::SaveModified() {
  if (!doc_->IsModified()) return true;
  const int r = nv::Messages().AskYesNoCancel("Save changes to " + doc_->Title() + "?",
                                              nv::MessageIcon::Exclamation);
  if (r < 0) return false;
  if (r == 0) return true;
  return FileSave();
}
