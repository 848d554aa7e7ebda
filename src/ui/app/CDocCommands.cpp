#include "app/CDocCommands.h"

#include <QApplication>
#include <QFileInfo>

#include "app/CDocTemplate.h"
#include "app/CMainFrame.h"
#include "analysis/PulseAnalysisDialog.h"
#include "app/CNorvaneApp.h"
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
  return title.substr(0, cut) + CDocTemplate::DocString(CDocTemplate::kFilterExt).toLower().toStdString();
}

}  // namespace

std::string CDocCommands::SaveAsMenuText(const std::string& pathName) {
  return nv::SplitTypeLabel(pathName).path.empty() ? "Save &As..." : "Save Cop&y As...";
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

QWidget* CDocCommands::DialogParent() const {
  CNorvaneApp* app = CNorvaneApp::Instance();
  return app ? app->MainFrame() : nullptr;
}

bool CDocCommands::OnCommand(int id) {
  switch (id) {
    case cmd::kFileSave: FileSave(); return true;
    case cmd::kFileSaveAs: DoSave(std::string(), true); return true;
    case cmd::kEditUndo:
    case cmd::kEditRedo:
      // Refused while a playback or a pulse analysis reads the samples.
      if (!(CNorvaneApp::Instance() && CNorvaneApp::Instance()->playing) &&
          !PulseAnalysisDialog::RunningOn(doc_)) {
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
      state.enabled = !(CNorvaneApp::Instance() && CNorvaneApp::Instance()->playing);
      // A document with a file keeps it: "Save As" writes a copy.
      if (id == cmd::kFileSaveAs) state.text = QString::fromStdString(SaveAsMenuText(doc_->PathName()));
      return true;
    case cmd::kEditUndo:
    case cmd::kEditRedo: {
      const bool undo = id == cmd::kEditUndo;
      const nv::SoundEditor& ed = doc_->Editor();
      state.enabled = (undo ? ed.CanUndo() : ed.CanRedo()) &&
                      !(CNorvaneApp::Instance() && CNorvaneApp::Instance()->playing) &&
                      !PulseAnalysisDialog::RunningOn(doc_);
      state.text = QString::fromStdString(undo ? nv::SoundEditor::UndoMenuText(ed.NextUndo())
                                               : nv::SoundEditor::RedoMenuText(ed.NextRedo()));
      return true;
    }
    default: return false;
  }
}

bool CDocCommands::FileSave() {
  const nv::LabeledPath lp = nv::SplitTypeLabel(doc_->PathName());
  if (lp.path.empty()) return DoSave(std::string(), true);
  QFileInfo fi(QString::fromStdString(lp.path));
  // A file that cannot be written, or whose attributes cannot be read (it
  // was deleted or moved since it was opened), is saved under a new name.
  if (!fi.exists() || !fi.isWritable()) return DoSave(std::string(), true);
  return DoSave(doc_->PathName(), true);
}

bool CDocCommands::DoSave(const std::string& target, bool replace) {
  nv::FileType type = nv::FileType::NorvaneWave;
  std::string name;
  if (!target.empty()) {
    const nv::LabeledPath t = nv::SplitTypeLabel(target);
    type = t.label.empty() ? doc_->FileType() : t.type;
    name = t.path;
  }
  const std::string fullPath = doc_->PathName();
  const bool hadPath = !fullPath.empty();
  nv::LabeledPath own = nv::SplitTypeLabel(fullPath);
  if (hadPath) type = own.label.empty() ? doc_->FileType() : own.type;

  if (target.empty()) {
    name = own.path;
    if (name.empty() && replace) name = ProposedName(doc_->Title());
    const QString suffix = CDocTemplate::DocString(CDocTemplate::kFilterExt).mid(1);
    auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Save, DialogParent(),
                                      QString::fromStdString(name), suffix, type);
    if (!choice) return false;
    name = choice->path.toStdString();
    type = choice->type;
    if (type == nv::FileType::NorvaneWaveComp && !CompressionDialog::Ask(doc_->Compression(), DialogParent()))
      return false;
  }

  bool ok;
  {
    WaitCursor wait;
    ok = doc_->Save(name, type);
  }
  // A failed save leaves nothing to delete: the writers write beside the
  // target and rename only a complete file over it, removing their own
  // temporary file otherwise. What stands at `name` now is the file that was
  // there before (the user's old file, or this document's own file), and
  // it stays.
  if (!ok) return false;
  name = nv::SplitTypeLabel(name).path + " " + nv::TypeLabel(type);
  CNorvaneApp* app = CNorvaneApp::Instance();
  if (hadPath) {
    // The document stays with its own file; a save to that same file has
    // cleared the modified flag.
    if (app) app->AddToRecentFileList(name);
    doc_->SetPathName(fullPath);
    // Said where it is seen: the copy went elsewhere, the window (and a
    // later "Save") still has the document's own file.
    const std::string copyPath = nv::SplitTypeLabel(name).path;
    if (QFileInfo(QString::fromStdString(copyPath)).absoluteFilePath() !=
        QFileInfo(QString::fromStdString(own.path)).absoluteFilePath())
      ShowInViews(QString::fromStdString(CopySavedText(copyPath, own.path)));
  } else {
    doc_->SetFileType(type);
    doc_->SetPathName(name);
    if (app) app->AddToRecentFileList(name);
  }
  if (app) app->DocumentTitleChanged(doc_);
  return true;
}

bool CDocCommands::SaveRange(int64_t first, int64_t end) {
  const std::string bare = nv::SplitTypeLabel(doc_->PathName()).path;
  auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Save, DialogParent(),
                                    QString::fromStdString(bare), QStringLiteral("wav"),
                                    nv::FileType::NorvaneWave);
  if (!choice) return false;
  const std::string path = choice->path.toStdString();
  const std::string keepPath = doc_->PathName();
  const nv::FileType keepType = doc_->FileType();
  const bool keepModified = doc_->IsModified();
  bool ok;
  {
    WaitCursor wait;
    ok = doc_->Save(path, choice->type, first, end);
  }
  doc_->SetPathName(keepPath);
  doc_->SetFileType(keepType);
  doc_->SetModifiedFlag(keepModified);
  if (ok && CNorvaneApp::Instance())
    CNorvaneApp::Instance()->AddToRecentFileList(path + " " + nv::TypeLabel(choice->type));
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
