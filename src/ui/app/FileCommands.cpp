#include "app/FileCommands.h"

#include <QTimer>

#include "app/CMainFrame.h"
#include "app/CSndFileDialog.h"
#include "app/DocumentManager.h"
#include "base/CommandIds.h"

void FileCommands::AddRecent(const nv::SoundFilePath& file) {
  recent_.Add(file);
  if (CMainFrame* f = mainFrame_()) f->UpdateRecentFileMenu();
}

void FileCommands::FileOpen() {
  CMainFrame* mainFrame = mainFrame_();
  auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Open, mainFrame, QString(), QString());
  if (!choice) {
    // Cancel: a new empty document appears.
    if (mainFrame)
      QTimer::singleShot(0, mainFrame, [this] {
        if (CMainFrame* f = mainFrame_()) f->Route(cmd::kFileNew);
      });
    return;
  }
  docs_.OpenDocumentFile(choice->File());
}

void FileCommands::OpenRecent(int index) {
  if (static_cast<size_t>(index) >= recent_.Entries().size()) return;
  if (!docs_.OpenDocumentFile(recent_.File(index))) {
    recent_.Remove(index);
    if (CMainFrame* f = mainFrame_()) f->UpdateRecentFileMenu();
  }
}

bool FileCommands::OnCommand(int id) {
  switch (id) {
    case cmd::kFileNew: docs_.NewDocument(); return true;
    case cmd::kFileOpen: FileOpen(); return true;
    case cmd::kFileMru1:
    case cmd::kFileMru2:
    case cmd::kFileMru3:
    case cmd::kFileMru4: OpenRecent(id - cmd::kFileMru1); return true;
    default: return false;
  }
}

bool FileCommands::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kFileMru1:
    case cmd::kFileMru2:
    case cmd::kFileMru3:
    case cmd::kFileMru4:
      state.enabled = !playing_();
      return true;
    default: return false;
  }
}
