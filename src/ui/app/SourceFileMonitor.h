#pragma once
// Looks every two seconds at the files the open documents read in place
// and says when another program has shortened, replaced or changed one
// (CNorvaneDoc::CheckSourceFile). A document whose file was shortened is
// copied into a work file of its own at once, with progress, so that what
// the file still holds is kept whatever that program does next; the copy
// waits for a moment when nothing plays and no pulse analysis reads it.
//
// Ownership: owned by the document manager; the two functions it is given
// must stay valid while it lives. Interface thread only.
#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace nv {
class CNorvaneDoc;
}

class SourceFileMonitor : public QObject {
 public:
  using Documents = std::function<std::vector<nv::CNorvaneDoc*>()>;
  // `documents`: the open documents; `busy`: whether a document's sound is
  // being played or analysed now (then its copy waits).
  SourceFileMonitor(Documents documents, std::function<bool(const nv::CNorvaneDoc*)> busy);
  // One look at every document now (also what the timer does).
  void CheckNow();

 private:
  Documents documents_;
  std::function<bool(const nv::CNorvaneDoc*)> busy_;
  // Shortened documents whose copy is still to be made.
  std::vector<nv::CNorvaneDoc*> toCopy_;
  QTimer timer_;
  bool checking_ = false;
};
