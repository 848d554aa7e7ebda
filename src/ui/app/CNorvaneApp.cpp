#include "app/CNorvaneApp.h"

#include "audio/Recorder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AboutDialog.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "app/AppCore.h"
#include "app/CChildFrame.h"
#include "app/CDocCommands.h"
#include "app/CMainFrame.h"
#include "app/CSndFileDialog.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "base/WaitCursor.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"
#include "plot/PlotSetup.h"
#include "app/DefaultSettingsDialogs.h"
#include "settings/CardParametersDialog.h"
#include "settings/QtSettingsStore.h"
#include "app/AppSettings.h"
#include "settings/SettingsPersistence.h"
#include "settings/ViewPreferences.h"
#include "views/CNvAmplView.h"
#include "views/CNvAnaView.h"
#include "views/QtAudioExecutor.h"
#include "views/CNvCombView.h"
#include "views/CNvFreqView.h"
#include "views/CNvSpectView.h"

namespace {
CNorvaneApp* gApp = nullptr;
}

struct CNorvaneApp::DocEntry {
  std::unique_ptr<nv::CNorvaneDoc> doc;
  std::unique_ptr<CDocCommands> commands;
};

CNorvaneApp::CNorvaneApp(nv::SettingsStore* store) : store_(store) {
  if (!store_) {
    ownStore_ = std::make_unique<QtSettingsStore>();
    store_ = ownStore_.get();
  }
  gApp = this;
  ViewHost::Install(this);
}

CNorvaneApp::~CNorvaneApp() {
  if (mainFrame_) mainFrame_->CloseAllFrames(true);
  mainFrame_.reset();
  docs_.clear();
  nv::InstallColorMapSaver(nv::AppCore::Instance(), nullptr);
  if (gApp == this) gApp = nullptr;
  if (&ViewHost::Get() == this) ViewHost::Install(nullptr);
}

CNorvaneApp* CNorvaneApp::Instance() { return gApp; }

bool CNorvaneApp::FitShortSounds() const { return nv::AppCore::Instance().viewPreferences.fitShortSounds; }

bool CNorvaneApp::InitInstance(const QStringList& args) {
  // Settings: the recent files, then every default record.
  recent_.Load(*store_);
  nv::LoadAll(*store_, nv::AppCore::Instance());
  nv::AppCore::Instance().viewPreferences = nv::ViewPreferences();
  nv::LoadViewPreferences(*store_, nv::AppCore::Instance().viewPreferences);
  // The cursor mode chosen last, or on a first start the marking cursor, so
  // that a drag in a plot selects at once.
  cursorMode = nv::AppCore::Instance().viewPreferences.cursorMode;
  nv::InstallColorMapSaver(nv::AppCore::Instance(), store_);

  // The default template, known to the document manager, and the five
  // that the new-window commands use.
  templates_.clear();
  templates_.emplace_back(ViewKind::Default, true, [](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* {
    return new CNvAnaView(d, p);
  });
  templates_.emplace_back(ViewKind::Combined, false, [](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* {
    return new CNvCombView(d, p);
  });
  templates_.emplace_back(ViewKind::Spectrogram, false,
                          [](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvSpectView(d, p); });
  templates_.emplace_back(ViewKind::Oscillogram, false,
                          [](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvAmplView(d, p); });
  templates_.emplace_back(ViewKind::ZeroCrossing, false,
                          [](nv::CNorvaneDoc* d, QWidget* p) -> CNvAnaView* { return new CNvFreqView(d, p); });

  mainFrame_ = std::make_unique<CMainFrame>(this);
  mainFrame_->UpdateRecentFileMenu();

  // The command line: a file to open, or nothing.
  QString file;
  for (const QString& a : args)
    if (!a.startsWith('-')) {
      file = a;
      break;
    }
  if (!file.isEmpty() && !OpenDocumentFile(file)) return false;

  mainFrame_->show();
  mainFrame_->UpdateCommandUi();
  if (file.isEmpty())
    QTimer::singleShot(0, mainFrame_.get(), [this] {
      if (mainFrame_) mainFrame_->Route(cmd::kFileOpen);
    });
  return true;
}

void CNorvaneApp::ExitInstance() {
  if (nv::IsKeptCursorMode(cursorMode)) nv::AppCore::Instance().viewPreferences.cursorMode = cursorMode;
  nv::SaveAll(*store_, nv::AppCore::Instance());
  nv::SaveViewPreferences(*store_, nv::AppCore::Instance().viewPreferences);
  recent_.Save(*store_);
  store_->Flush();
}

const CDocTemplate& CNorvaneApp::Template(ViewKind kind) const {
  for (const CDocTemplate& t : templates_)
    if (t.Kind() == kind) return t;
  return templates_.front();
}

nv::CNorvaneDoc* CNorvaneApp::AddDocument() {
  auto e = std::make_unique<DocEntry>();
  e->doc = std::make_unique<nv::CNorvaneDoc>();
  if (!e->doc->IsValid()) return nullptr;
  e->commands = std::make_unique<CDocCommands>(e->doc.get());
  docs_.push_back(std::move(e));
  return docs_.back()->doc.get();
}

nv::CNorvaneDoc* CNorvaneApp::NewDocument() {
  nv::CNorvaneDoc* doc = AddDocument();
  if (!doc) return nullptr;
  if (!CreateFrame(doc, ViewKind::Default)) return nullptr;
  return doc;
}

nv::CNorvaneDoc* CNorvaneApp::OpenDocumentFile(const QString& labelledPath) {
  const nv::LabeledPath lp = nv::SplitTypeLabel(labelledPath.toStdString());
  const QString canonical = QFileInfo(QString::fromStdString(lp.path)).absoluteFilePath();
  // An open document of the same file is activated instead.
  for (const auto& e : docs_) {
    const std::string own = nv::SplitTypeLabel(e->doc->PathName()).path;
    if (!own.empty() && QFileInfo(QString::fromStdString(own)).absoluteFilePath() == canonical) {
      auto frames = FramesOf(e->doc.get());
      if (!frames.empty() && mainFrame_) mainFrame_->ActivateFrame(frames.front());
      return e->doc.get();
    }
  }
  nv::CNorvaneDoc* doc = AddDocument();
  if (!doc) return nullptr;
  std::string text = canonical.toStdString();
  if (!lp.label.empty()) text += " " + lp.label;
  bool ok;
  {
    WaitCursor wait;
    ok = doc->Open(text);
  }
  if (!ok) {
    docs_.pop_back();
    return nullptr;
  }
  AddToRecentFileList(doc->PathName());
  if (!CreateFrame(doc, ViewKind::Default)) return nullptr;
  // Each further stored view opens a combined view of its own.
  while (!doc->PendingViewRecords().empty())
    if (!CreateFrame(doc, ViewKind::Combined)) break;
  return doc;
}

CChildFrame* CNorvaneApp::CreateFrame(nv::CNorvaneDoc* doc, ViewKind kind) {
  if (!mainFrame_ || !EntryOf(doc)) return nullptr;
  CNvAnaView* view = Template(kind).MakeView(doc, nullptr);
  auto* frame = new CChildFrame(this, doc, view);
  frame->SetPaneFactory([this, doc, kind] { return Template(kind).MakeView(doc, nullptr); });
  mainFrame_->AddFrame(frame);
  view->OnInitialUpdate();
  DocumentTitleChanged(doc);
  mainFrame_->UpdateCommandUi();
  return frame;
}

std::vector<nv::CNorvaneDoc*> CNorvaneApp::Documents() const {
  std::vector<nv::CNorvaneDoc*> v;
  for (const auto& e : docs_) v.push_back(e->doc.get());
  return v;
}

CNorvaneApp::DocEntry* CNorvaneApp::EntryOf(nv::CNorvaneDoc* doc) const {
  for (const auto& e : docs_)
    if (e->doc.get() == doc) return e.get();
  return nullptr;
}

CDocCommands* CNorvaneApp::CommandsOf(nv::CNorvaneDoc* doc) const {
  DocEntry* e = EntryOf(doc);
  return e ? e->commands.get() : nullptr;
}

std::vector<CChildFrame*> CNorvaneApp::FramesOf(nv::CNorvaneDoc* doc) const {
  return mainFrame_ ? mainFrame_->FramesOf(doc) : std::vector<CChildFrame*>{};
}

void CNorvaneApp::FrameClosed(CChildFrame* frame) {
  nv::CNorvaneDoc* doc = frame->Document();
  const auto frames = FramesOf(doc);
  bool others = false;
  for (CChildFrame* f : frames)
    if (f != frame) others = true;
  if (!others) {
    if (nv::AppCore::Instance().clipOwner == doc) nv::AppCore::Instance().clipOwner = nullptr;
    for (auto it = docs_.begin(); it != docs_.end(); ++it)
      if ((*it)->doc.get() == doc) {
        docs_.erase(it);
        break;
      }
  } else {
    DocumentTitleChanged(doc);
  }
}

void CNorvaneApp::DocumentTitleChanged(nv::CNorvaneDoc* doc) {
  const auto frames = FramesOf(doc);
  const QString title = QString::fromStdString(doc->Title());
  int n = 0;
  for (CChildFrame* f : frames) {
    ++n;
    f->setWindowTitle(frames.size() > 1 ? QStringLiteral("%1:%2").arg(title).arg(n) : title);
  }
  if (mainFrame_) mainFrame_->UpdateTitle();
}

void CNorvaneApp::AddToRecentFileList(const std::string& labelledPath) {
  recent_.Add(labelledPath);
  if (mainFrame_) mainFrame_->UpdateRecentFileMenu();
}

DefaultSettingsDialogs& CNorvaneApp::DefaultDialogs() {
  if (!defaultDialogs_) defaultDialogs_ = new DefaultSettingsDialogs(this);
  return *defaultDialogs_;
}

void CNorvaneApp::OnFileOpen() {
  auto choice = CSndFileDialog::Ask(CSndFileDialog::Mode::Open, mainFrame_.get(), QString(), QString());
  if (!choice) {
    // Cancel: a new empty document appears.
    QTimer::singleShot(0, mainFrame_.get(), [this] {
      if (mainFrame_) mainFrame_->Route(cmd::kFileNew);
    });
    return;
  }
  const QString text = choice->path + " " + QString::fromStdString(nv::TypeLabel(choice->type));
  OpenDocumentFile(text);
}

void CNorvaneApp::OnAppAbout() {
  AboutDialog dlg(mainFrame_.get());
  if (mainFrame_ && mainFrame_->modalRunner)
    mainFrame_->modalRunner(dlg);
  else
    dlg.exec();
}

void CNorvaneApp::OnHelpTopics() {
  auto* dlg = new QDialog(mainFrame_.get());
  dlg->setObjectName("helpTopics");
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  dlg->setWindowTitle(QStringLiteral("Norvane Help"));
  auto* browser = new QTextBrowser(dlg);
  QFile f(QStringLiteral(":/norvane/user-guide.html"));
  if (f.open(QIODevice::ReadOnly)) browser->setHtml(QString::fromUtf8(f.readAll()));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dlg);
  connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::close);
  auto* v = new QVBoxLayout(dlg);
  v->addWidget(browser);
  v->addWidget(buttons);
  dlg->resize(640, 560);
  dlg->show();
}

bool CNorvaneApp::OnCommand(int id) {
  switch (id) {
    case cmd::kFileNew: NewDocument(); return true;
    case cmd::kFileOpen: OnFileOpen(); return true;
    case cmd::kAppAbout: OnAppAbout(); return true;
    case cmd::kHelpTopics: OnHelpTopics(); return true;
    case cmd::kAppExit:
      if (mainFrame_) mainFrame_->close();
      return true;
    case cmd::kSoundSamplingParameters: OnSamplingParameters(); return true;
    case cmd::kViewFitShortSounds: {
      bool& fit = nv::AppCore::Instance().viewPreferences.fitShortSounds;
      fit = !fit;
      return true;
    }
    case cmd::kFileMru1:
    case cmd::kFileMru2:
    case cmd::kFileMru3:
    case cmd::kFileMru4: {
      const int i = id - cmd::kFileMru1;
      if (static_cast<size_t>(i) >= recent_.Entries().size()) return true;
      const std::string entry = recent_.Entries()[static_cast<size_t>(i)];
      if (!OpenDocumentFile(QString::fromStdString(entry))) {
        recent_.Remove(i);
        if (mainFrame_) mainFrame_->UpdateRecentFileMenu();
      }
      return true;
    }
    default: return false;
  }
}

bool CNorvaneApp::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kViewFitShortSounds:
      state.checked = nv::AppCore::Instance().viewPreferences.fitShortSounds;
      return true;
    case cmd::kFileNew:
    case cmd::kFileOpen:
      state.enabled = !playing;
      return true;
    case cmd::kFileMru1:
    case cmd::kFileMru2:
    case cmd::kFileMru3:
    case cmd::kFileMru4:
      state.enabled = !playing;
      return true;
    case cmd::kAppAbout:
    case cmd::kHelpTopics:
    case cmd::kAppExit:
      state.enabled = true;
      return true;
    case cmd::kSoundSamplingParameters:
      state.enabled = !playing;
      return true;
    default: return false;
  }
}

std::function<std::optional<nv::CardKind>(QWidget*)> CNorvaneApp::cardChooser;

std::optional<nv::CardKind> CNorvaneApp::ChooseCard(QWidget* parent) {
  // A card chosen as the input kind decides; otherwise the user is asked.
  if (inputKind_ == static_cast<int>(nv::InputKind::ComputerBoards)) return nv::CardKind::ComputerBoards;
  if (inputKind_ == static_cast<int>(nv::InputKind::NationalInstruments)) return nv::CardKind::NationalInstruments;
  if (cardChooser) return cardChooser(parent);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Set sampling parameters"),
                  QStringLiteral("Sampling parameters of which acquisition card?"), QMessageBox::Cancel, parent);
  QPushButton* boards = box.addButton(QStringLiteral("ComputerBoards"), QMessageBox::AcceptRole);
  QPushButton* daq = box.addButton(QStringLiteral("National Instruments"), QMessageBox::AcceptRole);
  box.exec();
  if (box.clickedButton() == boards) return nv::CardKind::ComputerBoards;
  if (box.clickedButton() == daq) return nv::CardKind::NationalInstruments;
  return std::nullopt;
}

void CNorvaneApp::OnSamplingParameters() {
  QWidget* parent = mainFrame_.get();
  const std::optional<nv::CardKind> card = ChooseCard(parent);
  if (!card) return;
  nv::AppCore& core = nv::AppCore::Instance();
  const bool ni = *card == nv::CardKind::NationalInstruments;
  nv::CardParameters& params = ni ? core.niDaqCard : core.cboardCard;
  if (!CardParametersDialog::Ask(*card, params, parent)) return;
  nv::SaveCardParameters(*store_, ni ? nv::section::kNiDaq : nv::section::kCBoard, ni, params);
}

void CNorvaneApp::RequestCommandUpdate() {
  if (mainFrame_) mainFrame_->UpdateCommandUi();
}

void CNorvaneApp::SaveRange(nv::CNorvaneDoc* doc, int64_t first, int64_t end) {
  if (CDocCommands* c = CommandsOf(doc)) c->SaveRange(first, end);
}

void CNorvaneApp::OpenDefaultSettings(int area, QWidget* parent) {
  switch (area) {
    case nv::kAreaSpectrogram: DefaultDialogs().OpenSpectrogram(parent); break;
    case nv::kAreaOscillogram: DefaultDialogs().OpenOscillogram(parent); break;
    case nv::kAreaZeroCrossing: DefaultDialogs().OpenZeroCrossing(parent); break;
    default: break;
  }
}

const nv::AnalysisSettings& CNorvaneApp::DefaultAnalysis() const {
  return nv::AppCore::Instance().defaultAnalysis;
}

nv::FilterDescription& CNorvaneApp::CommandFilter() { return nv::AppCore::Instance().commandFilter; }

nv::AudioBackend& CNorvaneApp::Audio() {
  if (audioOverride_) return *audioOverride_;
  if (!audio_) audio_ = std::make_unique<nv::PulseAudioBackend>(QtAudioExecutor::Instance());
  return *audio_;
}

nv::PowerSettings& CNorvaneApp::DefaultPower() { return nv::AppCore::Instance().defaultPower; }
nv::FilterDescription& CNorvaneApp::DetectorFilter() { return nv::AppCore::Instance().detectorFilter; }
nv::PulseSettings& CNorvaneApp::DefaultPulse() { return nv::AppCore::Instance().defaultPulse; }
nv::RateSettings& CNorvaneApp::DefaultRate() { return nv::AppCore::Instance().defaultRate; }
