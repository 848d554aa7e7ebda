#pragma once
// The document's link of the command route: "&Save" and "Save &As..." with
// the save flow (save dialog with the "File format:" combo, compressed-save
// parameters, the path name and recent-file rules), the range save that the
// views use, and the question before a modified document closes. One per
// open document, owned with it by the application. Interface thread only.
#include <string>

#include "base/CommandTarget.h"

namespace nv {
class CNorvaneDoc;
}
class QString;
class QWidget;

class CDocCommands : public CommandTarget {
 public:
  explicit CDocCommands(nv::CNorvaneDoc* doc) : doc_(doc) {}
  nv::CNorvaneDoc* Document() const { return doc_; }

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // "&Save": the file of the path name, or the dialog when it cannot be written.
  bool FileSave();
  // The save flow: `target` empty shows the dialog ("Save &As...").
  bool DoSave(const std::string& target, bool replace);
  // "Save selected interval...": frames [first, end) (both -1: everything).
  bool SaveRange(int64_t first, int64_t end);
  // Before the document closes: false when the user cancels or a save fails.
  bool SaveModified();

  // The "Save &As..." item's text: "Save Cop&y As..." while the document has
  // a file, since it then writes a copy and the window keeps its file.
  static std::string SaveAsMenuText(const std::string& pathName);
  // The status text after such a copy was written.
  static std::string CopySavedText(const std::string& copyPath, const std::string& ownPath);

 private:
  QWidget* DialogParent() const;
  // Shows `text` in the status strip of every view of the document.
  void ShowInViews(const QString& text);
  nv::CNorvaneDoc* doc_;
};
