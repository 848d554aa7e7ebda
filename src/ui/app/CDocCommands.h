#pragma once
// The document's link of the command route: "&Save" and "Save &As..." with
// the save flow (save dialog with the "File format:" combo, compressed-save
// parameters, the path name and recent-file rules), the range save that the
// views use, and the question before a modified document closes. One per
// open document, owned with it by the document manager. Interface thread only.
#include <functional>
#include <optional>
#include <string>

#include "base/CommandTarget.h"
#include "fileformats/FileType.h"

namespace nv {
class CNorvaneDoc;
}
class QString;
class QWidget;

class CDocCommands : public CommandTarget {
 public:
  // What the commands reach of the application; an empty function does nothing.
  struct Context {
    std::function<bool()> playing;               // a playback or recording runs
    std::function<QWidget*()> dialogParent;      // the main frame
    std::function<void(const nv::SoundFilePath&)> addRecent;
    std::function<void(nv::CNorvaneDoc*)> titleChanged;
  };
  CDocCommands(nv::CNorvaneDoc* doc, Context context) : doc_(doc), context_(std::move(context)) {}
  nv::CNorvaneDoc* Document() const { return doc_; }

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // "&Save": the file of the path name, or the dialog when it cannot be written.
  bool FileSave();
  // The save flow: to `target`, or without one to the file and type the
  // save dialog asks for ("Save &As...").
  bool DoSave(std::optional<nv::SoundFilePath> target);
  // "Save selected interval...": frames [first, end) (both -1: everything).
  bool SaveRange(int64_t first, int64_t end);
  // Before the document closes: false when the user cancels or a save fails.
  bool SaveModified();

  // The "Save &As..." item's text: "Save Cop&y As..." while the document has
  // a file, since it then writes a copy and the window keeps its file.
  static std::string SaveAsMenuText(const nv::SoundFilePath& file);
  // The status text after such a copy was written.
  static std::string CopySavedText(const std::string& copyPath, const std::string& ownPath);

 private:
  QWidget* DialogParent() const;
  bool Playing() const;
  // Shows `text` in the status strip of every view of the document.
  void ShowInViews(const QString& text);
  nv::CNorvaneDoc* doc_;
  Context context_;
};
