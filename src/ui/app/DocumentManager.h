#pragma once
// The open documents, each with its CDocCommands, and their frames: a new
// document or an opened file in a frame of the default view (a file that is
// already open is activated instead), further frames of a view kind from the
// document templates, and the frames' titles, which follow the document's.
// Its SourceFileMonitor watches the files the documents read in place.
// A document goes with its last frame. Owned by the application; every
// document is made with the application's DocumentContext. Interface thread
// only.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/CDocCommands.h"
#include "app/CDocTemplate.h"
#include "app/SourceFileMonitor.h"
#include "fileformats/FileType.h"

namespace nv {
class CNorvaneDoc;
struct DocumentContext;
}
class CChildFrame;
class CMainFrame;
class CNorvaneApp;

class DocumentManager {
 public:
  // `app`: the application the frames report to and the host of every view
  // the templates make; `documents`: what the
  // documents share (it outlives them); `commands`: what each document's
  // commands reach of the application.
  DocumentManager(CNorvaneApp& app, nv::DocumentContext& documents, CDocCommands::Context commands);
  ~DocumentManager();

  // File New: a new empty document in the default view.
  nv::CNorvaneDoc* NewDocument();
  // Opens `file` in the default view (and a combined view for each further
  // stored view record) and adds it to the recent files; an already open
  // file is activated instead. Null after a message.
  nv::CNorvaneDoc* OpenDocumentFile(const nv::SoundFilePath& file);
  // A new frame with a view of `kind` on `doc`, shown after its initial update.
  CChildFrame* CreateFrame(nv::CNorvaneDoc* doc, ViewKind kind);
  std::vector<nv::CNorvaneDoc*> Documents() const;
  CDocCommands* CommandsOf(nv::CNorvaneDoc* doc) const;
  std::vector<CChildFrame*> FramesOf(nv::CNorvaneDoc* doc) const;
  // A frame is closing: the document goes with its last frame.
  void FrameClosed(CChildFrame* frame);
  // The frames' titles follow the document's.
  void DocumentTitleChanged(nv::CNorvaneDoc* doc);
  // Every document goes (after the frames have).
  void Clear();

 private:
  struct DocEntry;
  const CDocTemplate& Template(ViewKind kind) const;
  DocEntry* EntryOf(nv::CNorvaneDoc* doc) const;
  nv::CNorvaneDoc* AddDocument();

  CNorvaneApp& app_;
  nv::DocumentContext& documents_;
  CDocCommands::Context commands_;
  std::vector<CDocTemplate> templates_;
  std::vector<std::unique_ptr<DocEntry>> docs_;
  // Says when another program changes a file read in place.
  SourceFileMonitor sourceMonitor_;
};
