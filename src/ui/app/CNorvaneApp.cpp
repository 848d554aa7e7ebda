#include "app/CNorvaneApp.h"

#include <QTimer>

#include "audio/pulse/PulseAudioBackend.h"
#include "app/AppCore.h"
#include "app/AppRecording.h"
#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/DefaultSettingsDialogs.h"
#include "app/DocumentManager.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/SamplingParametersCommand.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "plot/PlotSetup.h"
#include "settings/QtSettingsStore.h"
#include "settings/ViewPreferences.h"
#include "views/QtAudioExecutor.h"

CNorvaneApp::CNorvaneApp(nv::SettingsStore* store) : store_(store), core_(std::make_unique<nv::AppCore>()) {
  if (!store_) {
    ownStore_ = std::make_unique<QtSettingsStore>();
    store_ = ownStore_.get();
  }
  auto mainFrame = [this] { return mainFrame_.get(); };
  auto isPlaying = [this] { return playing; };
  CDocCommands::Context commands;
  commands.playing = isPlaying;
  commands.dialogParent = [this]() -> QWidget* { return mainFrame_.get(); };
  commands.addRecent = [this](const nv::SoundFilePath& file) { files_->AddRecent(file); };
  commands.titleChanged = [this](nv::CNorvaneDoc* doc) { docs_->DocumentTitleChanged(doc); };
  docs_ = std::make_unique<DocumentManager>(*this, core_->documents, std::move(commands));
  files_ = std::make_unique<FileCommands>(*docs_, mainFrame, isPlaying);
  help_ = std::make_unique<HelpCommands>(mainFrame);
  sampling_ = std::make_unique<SamplingParametersCommand>(
      *core_, *store_, [this]() -> QWidget* { return mainFrame_.get(); }, [this] { return inputKind_; }, isPlaying);
  recording_ = std::make_unique<AppRecording>(*this, mainFrame, activeViewKind);
  parts_ = {files_.get(), help_.get(), sampling_.get()};
}

CNorvaneApp::~CNorvaneApp() {
  if (mainFrame_) mainFrame_->CloseAllFrames(true);
  mainFrame_.reset();
  docs_->Clear();
  nv::InstallColorMapSaver(*core_, nullptr);
}

bool CNorvaneApp::FitShortSounds() const { return core_->viewPreferences.fitShortSounds; }

bool CNorvaneApp::InitInstance(const QStringList& args) {
  // Settings: the recent files, then every default record.
  files_->Recent().Load(*store_);
  nv::LoadAll(*store_, *core_);
  core_->viewPreferences = nv::ViewPreferences();
  nv::LoadViewPreferences(*store_, core_->viewPreferences);
  // The cursor mode chosen last, or on a first start the marking cursor, so
  // that a drag in a plot selects at once.
  // The stored number: LoadViewPreferences keeps only the modes worth keeping.
  cursorMode = static_cast<nv::CursorMode>(core_->viewPreferences.cursorMode);
  nv::InstallColorMapSaver(*core_, store_);

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
  const auto storedMode = static_cast<int32_t>(cursorMode);
  if (nv::IsKeptCursorMode(storedMode)) core_->viewPreferences.cursorMode = storedMode;
  nv::SaveAll(*store_, *core_);
  nv::SaveViewPreferences(*store_, core_->viewPreferences);
  files_->Recent().Save(*store_);
  store_->Flush();
}

std::vector<nv::CNorvaneDoc*> CNorvaneApp::Documents() const { return docs_->Documents(); }

nv::CNorvaneDoc* CNorvaneApp::OpenDocumentFile(const QString& labelledPath) {
  return docs_->OpenDocumentFile(nv::SoundFilePath::FromLabelled(labelledPath.toStdString()));
}

RecentFileList& CNorvaneApp::RecentFiles() { return files_->Recent(); }

std::vector<CRecFrame*> CNorvaneApp::RecordingFrames(nv::CNorvaneDoc* doc) const { return recording_->Frames(doc); }

void CNorvaneApp::OpenRecordingView(nv::CNorvaneDoc* doc, CNvAnaView* starter,
                                    const nv::RecordViewSettings& settings) {
  recording_->Open(doc, starter, settings);
}

void CNorvaneApp::CloseRecordingViews(nv::CNorvaneDoc* doc) { recording_->CloseViews(doc); }

bool CNorvaneApp::OnCommand(int id) {
  switch (id) {
    case cmd::kAppExit:
      if (mainFrame_) mainFrame_->close();
      return true;
    case cmd::kViewFitShortSounds: {
      bool& fit = core_->viewPreferences.fitShortSounds;
      fit = !fit;
      return true;
    }
    default:
      for (CommandTarget* t : parts_)
        if (t->OnCommand(id)) return true;
      return false;
  }
}

bool CNorvaneApp::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case cmd::kViewFitShortSounds:
      state.checked = core_->viewPreferences.fitShortSounds;
      return true;
    case cmd::kAppExit:
      state.enabled = true;
      return true;
    default:
      for (CommandTarget* t : parts_)
        if (t->OnUpdateCommand(id, state)) return true;
      return false;
  }
}

void CNorvaneApp::RequestCommandUpdate() {
  if (mainFrame_) mainFrame_->UpdateCommandUi();
}

void CNorvaneApp::SaveRange(nv::CNorvaneDoc* doc, int64_t first, int64_t end) {
  if (CDocCommands* c = docs_->CommandsOf(doc)) c->SaveRange(first, end);
}

void CNorvaneApp::OpenDefaultSettings(nv::PlotArea area, QWidget* parent) {
  if (!defaultDialogs_) defaultDialogs_ = new DefaultSettingsDialogs(*core_, this);
  switch (area) {
    case nv::PlotArea::Spectrogram: defaultDialogs_->OpenSpectrogram(parent); break;
    case nv::PlotArea::Oscillogram: defaultDialogs_->OpenOscillogram(parent); break;
    case nv::PlotArea::ZeroCrossing: defaultDialogs_->OpenZeroCrossing(parent); break;
    default: break;
  }
}

const nv::AnalysisSettings& CNorvaneApp::DefaultAnalysis() const {
  return core_->defaultAnalysis;
}

nv::SharedColorMaps& CNorvaneApp::ColorMaps() { return core_->colorMapList; }

nv::FilterDescription& CNorvaneApp::CommandFilter() { return core_->commandFilter; }

nv::AudioBackend& CNorvaneApp::Audio() {
  if (audioOverride_) return *audioOverride_;
  if (!audio_) audio_ = std::make_unique<nv::PulseAudioBackend>(QtAudioExecutor::Instance());
  return *audio_;
}

nv::PowerSettings& CNorvaneApp::DefaultPower() { return core_->defaultPower; }
nv::FilterDescription& CNorvaneApp::DetectorFilter() { return core_->detectorFilter; }
nv::PulseSettings& CNorvaneApp::DefaultPulse() { return core_->defaultPulse; }
nv::RateSettings& CNorvaneApp::DefaultRate() { return core_->defaultRate; }
