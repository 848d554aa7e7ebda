#pragma once
// What the documents of one maker share: the defaults a new document takes
// its format and recording information from, the counter that numbers new
// documents, and the document that holds the last cut or copied clip. The
// maker owns it (the desktop's AppCore, norvane-cli's main, a test) and
// hands it to every CNorvaneDoc it makes; it outlives them. Interface thread
// only.
#include <functional>
#include <vector>

#include "settings/AnalysisSettings.h"
#include "settings/DefaultData.h"

namespace nv {

class CNorvaneDoc;

struct DocumentContext {
  DefaultData defaults;
  // Sequence number of the last document made with this context.
  int documentSequence = 0;
  // The document of the last Copy or Cut, null when none (or when it closed).
  CNorvaneDoc* clipOwner = nullptr;
  // Called when a document has read view records from a file (the
  // application offers their colour maps to its list); may be empty.
  std::function<void(const std::vector<AnalysisSettings>&)> viewRecordsRead;

  // Back to a freshly constructed state (tests).
  void Reset() { *this = DocumentContext(); }
};

}  // namespace nv
