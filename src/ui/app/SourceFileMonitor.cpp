#include "app/SourceFileMonitor.h"

#include <algorithm>
#include <utility>

#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"

SourceFileMonitor::SourceFileMonitor(Documents documents, std::function<bool(const nv::CNorvaneDoc*)> busy)
    : documents_(std::move(documents)), busy_(std::move(busy)) {
  timer_.setInterval(2000);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { CheckNow(); });
  timer_.start();
}

void SourceFileMonitor::CheckNow() {
  // A message or the copy's progress runs the event loop, and with it the
  // timer: one look at a time.
  if (checking_) return;
  checking_ = true;
  const std::vector<nv::CNorvaneDoc*> docs = documents_();
  // Documents closed meanwhile are forgotten.
  std::erase_if(toCopy_, [&](nv::CNorvaneDoc* d) { return std::find(docs.begin(), docs.end(), d) == docs.end(); });
  for (nv::CNorvaneDoc* doc : docs) {
    const nv::SourceChange change = doc->CheckSourceFile();
    if (change == nv::SourceChange::None) continue;
    nv::ShowMessage(nv::SourceChangeText(change, doc->File().path));
    if (change == nv::SourceChange::Shortened) toCopy_.push_back(doc);
  }
  for (auto it = toCopy_.begin(); it != toCopy_.end();) {
    nv::CNorvaneDoc* doc = *it;
    if (busy_ && busy_(doc)) {
      ++it;
      continue;
    }
    // A cancelled copy is not asked again: the next change copies as usual.
    doc->MakeWorkFileOwn();
    it = toCopy_.erase(it);
  }
  checking_ = false;
}
