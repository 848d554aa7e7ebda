#pragma once
// The application's file commands: "&New", "&Open..." (the open dialog with
// "Open as:"; Cancel there posts "&New") and the four recent-file items,
// with the recent file list they open from and that every open and save adds
// to (a file that no longer opens leaves the list). A link of the command
// route behind the application. Interface thread only.
#include <functional>

#include "app/RecentFileList.h"
#include "base/CommandTarget.h"
#include "fileformats/FileType.h"

class CMainFrame;
class DocumentManager;

class FileCommands : public CommandTarget {
 public:
  // `mainFrame`: the frame whose recent-file items follow the list (null:
  // none yet); `playing`: whether a playback or recording runs.
  FileCommands(DocumentManager& docs, std::function<CMainFrame*()> mainFrame, std::function<bool()> playing)
      : docs_(docs), mainFrame_(std::move(mainFrame)), playing_(std::move(playing)) {}

  RecentFileList& Recent() { return recent_; }
  // Puts `file` first in the list and the menu.
  void AddRecent(const nv::SoundFilePath& file);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  void FileOpen();
  void OpenRecent(int index);

  DocumentManager& docs_;
  std::function<CMainFrame*()> mainFrame_;
  std::function<bool()> playing_;
  RecentFileList recent_;
};
