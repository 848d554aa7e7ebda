#include "app/DocumentManager.h"

#include <QFileInfo>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "base/WaitCursor.h"
#include "analysis/PulseAnalysisDialog.h"
#include "base/WorkCopyProgress.h"
#include "document/CNorvaneDoc.h"
#include "views/CNvAmplView.h"
#include "views/CNvAnaView.h"
#include "views/CNvCombView.h"
#include "views/CNvFreqView.h"
#include "views/CNvSpectView.h"

struct DocumentManager::DocEntry {
  std::unique_ptr<nv::CNorvaneDoc> doc;
  std::unique_ptr<CDocCommands> commands;
};

DocumentManager::DocumentManager(CNorvaneApp& app, nv::DocumentContext& documents, CDocCommands::Context commands)
    : app_(app),
      documents_(documents),
      commands_(std::move(commands)),
      sourceMonitor_([this] { return Documents(); },
                     [this](const nv::CNorvaneDoc* doc) {
                       return app_.IsPlaying() || PulseAnalysisDialog::RunningOn(doc);
                     }) {
  // The default template, known to the document manager, and the five
  // that the new-window commands use.
  templates_.emplace_back(ViewKind::Default, true, [this](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* {
    return new CNvAnaView(app_, d, p);
  });
  templates_.emplace_back(ViewKind::Combined, false, [this](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* {
    return new CNvCombView(app_, d, p);
  });
  templates_.emplace_back(ViewKind::Spectrogram, false,
                          [this](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvSpectView(app_, d, p); });
  templates_.emplace_back(ViewKind::Oscillogram, false,
                          [this](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvAmplView(app_, d, p); });
  templates_.emplace_back(ViewKind::ZeroCrossing, false,
                          [this](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvFreqView(app_, d, p); });
}

DocumentManager::~DocumentManager() = default;

void DocumentManager::Clear() { docs_.clear(); }

const CDocTemplate& DocumentManager::Template(ViewKind kind) const {
  for (const CDocTemplate& t : templates_)
    if (t.Kind() == kind) return t;
  return templates_.front();
}

nv::CNorvaneDoc* DocumentManager::AddDocument() {
  auto e = std::make_unique<DocEntry>();
  e->doc = std::make_unique<nv::CNorvaneDoc>(documents_);
  if (!e->doc->IsValid()) return nullptr;
  e->commands = std::make_unique<CDocCommands>(e->doc.get(), commands_);
  docs_.push_back(std::move(e));
  return docs_.back()->doc.get();
}

nv::CNorvaneDoc* DocumentManager::NewDocument() {
  nv::CNorvaneDoc* doc = AddDocument();
  if (!doc) return nullptr;
  if (!CreateFrame(doc, ViewKind::Default)) return nullptr;
  return doc;
}

nv::CNorvaneDoc* DocumentManager::OpenDocumentFile(const nv::SoundFilePath& file) {
  const QString canonical = QFileInfo(QString::fromStdString(file.path)).absoluteFilePath();
  // An open document of the same file is activated instead.
  for (const auto& e : docs_) {
    const std::string& own = e->doc->File().path;
    if (!own.empty() && QFileInfo(QString::fromStdString(own)).absoluteFilePath() == canonical) {
      auto frames = FramesOf(e->doc.get());
      if (!frames.empty() && app_.MainFrame()) app_.MainFrame()->ActivateFrame(frames.front());
      return e->doc.get();
    }
  }
  nv::CNorvaneDoc* doc = AddDocument();
  if (!doc) return nullptr;
  bool ok;
  {
    WaitCursor wait;
    // Read in place: opening copies nothing; the first change of the sound
    // copies it into a work file of the document's own, with progress.
    doc->SetCopyProgress(WorkCopyProgress::For(app_.MainFrame()));
    ok = doc->Open({canonical.toStdString(), file.type}, {}, nv::SampleAccess::InPlaceUntilChanged);
  }
  if (!ok) {
    docs_.pop_back();
    return nullptr;
  }
  if (commands_.addRecent) commands_.addRecent(doc->File());
  if (!CreateFrame(doc, ViewKind::Default)) return nullptr;
  // Each further stored view opens a combined view of its own.
  while (!doc->PendingViewRecords().empty())
    if (!CreateFrame(doc, ViewKind::Combined)) break;
  return doc;
}

CChildFrame* DocumentManager::CreateFrame(nv::CNorvaneDoc* doc, ViewKind kind) {
  CMainFrame* mainFrame = app_.MainFrame();
  if (!mainFrame || !EntryOf(doc)) return nullptr;
  CNvAnaView* view = Template(kind).MakeView(doc, nullptr);
  auto* frame = new CChildFrame(&app_, doc, view);
  frame->SetPaneFactory([this, doc, kind] { return Template(kind).MakeView(doc, nullptr); });
  mainFrame->AddFrame(frame);
  view->OnInitialUpdate();
  DocumentTitleChanged(doc);
  mainFrame->UpdateCommandUi();
  return frame;
}

std::vector<nv::CNorvaneDoc*> DocumentManager::Documents() const {
  std::vector<nv::CNorvaneDoc*> v;
  for (const auto& e : docs_) v.push_back(e->doc.get());
  return v;
}

DocumentManager::DocEntry* DocumentManager::EntryOf(nv::CNorvaneDoc* doc) const {
  for (const auto& e : docs_)
    if (e->doc.get() == doc) return e.get();
  return nullptr;
}

CDocCommands* DocumentManager::CommandsOf(nv::CNorvaneDoc* doc) const {
  DocEntry* e = EntryOf(doc);
  return e ? e->commands.get() : nullptr;
}

std::vector<CChildFrame*> DocumentManager::FramesOf(nv::CNorvaneDoc* doc) const {
  return app_.MainFrame() ? app_.MainFrame()->FramesOf(doc) : std::vector<CChildFrame*>{};
}

void DocumentManager::FrameClosed(CChildFrame* frame) {
  nv::CNorvaneDoc* doc = frame->Document();
  const auto frames = FramesOf(doc);
  bool others = false;
  for (CChildFrame* f : frames)
    if (f != frame) others = true;
  if (!others) {
    if (documents_.clipOwner == doc) documents_.clipOwner = nullptr;
    for (auto it = docs_.begin(); it != docs_.end(); ++it)
      if ((*it)->doc.get() == doc) {
        docs_.erase(it);
        break;
      }
  } else {
    DocumentTitleChanged(doc);
  }
}

void DocumentManager::DocumentTitleChanged(nv::CNorvaneDoc* doc) {
  const auto frames = FramesOf(doc);
  const QString title = QString::fromStdString(doc->Title());
  int n = 0;
  for (CChildFrame* f : frames) {
    ++n;
    f->setWindowTitle(frames.size() > 1 ? QStringLiteral("%1:%2").arg(title).arg(n) : title);
  }
  if (app_.MainFrame()) app_.MainFrame()->UpdateTitle();
}
