#pragma once
// The application object: start-up and exit, the settings store, the main
// frame, the application-wide cursor mode, the playing flag and the active
// view kind, the sound devices, and the last link of the command route
// ("E&xit" and the fitting of short sounds, then its parts: the file
// commands, the Help commands and "Set sampling parameters"). The open
// documents and their frames are its DocumentManager's, recording its
// AppRecording's.
//
// One per process; it lives inside a QApplication and owns the application's
// AppCore (the default records, filter descriptions, colour maps and what
// the documents share), the main frame and every document, and hands the
// core to the parts that need it. Interface thread only.
#include <QObject>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "base/CommandTarget.h"
#include "views/ViewHost.h"

namespace nv {
class AppCore;
class CNorvaneDoc;
class SettingsStore;
struct SoundFilePath;
}  // namespace nv
class AppRecording;
class CMainFrame;
class CRecFrame;
class DefaultSettingsDialogs;
class DocumentManager;
class FileCommands;
class HelpCommands;
class RecentFileList;
class SamplingParametersCommand;

class CNorvaneApp : public QObject, public CommandTarget, public ViewHost {
  Q_OBJECT
 public:
  // `store`: where the settings live (not owned); null uses the user's store.
  explicit CNorvaneApp(nv::SettingsStore* store = nullptr);
  ~CNorvaneApp() override;

  // Start-up with the command-line arguments (without the program name and
  // the options Qt took): false when it must end the program.
  bool InitInstance(const QStringList& args);
  // Exit: writes the settings back.
  void ExitInstance();

  CMainFrame* MainFrame() const { return mainFrame_.get(); }
  // The application's records and what its documents share.
  nv::AppCore& Core() { return *core_; }
  DocumentManager& Docs() { return *docs_; }
  std::vector<nv::CNorvaneDoc*> Documents() const;
  // Opens a path as typed on the command line or dropped, with or without a
  // type label (DocumentManager::OpenDocumentFile).
  nv::CNorvaneDoc* OpenDocumentFile(const QString& labelledPath);
  RecentFileList& RecentFiles();
  // The recording views' frames of `doc` (all with null).
  std::vector<CRecFrame*> RecordingFrames(nv::CNorvaneDoc* doc) const;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // ViewHost: what the views reach of the application.
  nv::CursorMode CursorMode() const override { return cursorMode; }
  void SetCursorMode(nv::CursorMode mode) override { cursorMode = mode; }
  bool FitShortSounds() const override;
  void SetActiveViewKind(ActiveViewKind kind) override { activeViewKind = kind; }
  bool IsPlaying() const override { return playing; }
  void SetPlaying(bool p) override { playing = p; }
  void RequestCommandUpdate() override;
  void SaveRange(nv::CNorvaneDoc* doc, int64_t first, int64_t end) override;
  void OpenDefaultSettings(nv::PlotArea area, QWidget* parent) override;
  const nv::AnalysisSettings& DefaultAnalysis() const override;
  nv::SharedColorMaps& ColorMaps() override;
  nv::FilterDescription& CommandFilter() override;
  // The sound server's devices, made on first use.
  nv::AudioBackend& Audio() override;
  std::string OutputDevice() const override { return outputDevice_; }
  void SetOutputDevice(const std::string& id) override { outputDevice_ = id; }
  std::string InputDevice() const override { return inputDevice_; }
  void SetInputDevice(const std::string& id) override { inputDevice_ = id; }
  nv::InputKind InputKind() const override { return inputKind_; }
  void SetInputKind(nv::InputKind kind) override { inputKind_ = kind; }
  void OpenRecordingView(nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings) override;
  void CloseRecordingViews(nv::CNorvaneDoc* doc) override;
  // Replaces the sound devices (tests: a simulated device; not owned, must
  // outlive every playback).
  void SetAudioBackend(nv::AudioBackend* backend) { audioOverride_ = backend; }
  nv::PowerSettings& DefaultPower() override;
  nv::FilterDescription& DetectorFilter() override;
  nv::PulseSettings& DefaultPulse() override;
  nv::RateSettings& DefaultRate() override;

  // Application-wide state of the views.
  nv::CursorMode cursorMode = nv::CursorMode::None;  // the stored one (marking at first) from start-up
  bool playing = false;   // one playback or recording at a time
  ActiveViewKind activeViewKind = ActiveViewKind::None;

 private:
  std::unique_ptr<nv::SettingsStore> ownStore_;
  nv::SettingsStore* store_;
  // Made first and gone last: every document and dialog refers to it.
  std::unique_ptr<nv::AppCore> core_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<DocumentManager> docs_;
  std::unique_ptr<FileCommands> files_;
  std::unique_ptr<HelpCommands> help_;
  std::unique_ptr<SamplingParametersCommand> sampling_;
  std::unique_ptr<AppRecording> recording_;
  std::array<CommandTarget*, 3> parts_{};  // the route's links behind this one
  DefaultSettingsDialogs* defaultDialogs_ = nullptr;
  std::unique_ptr<nv::AudioBackend> audio_;
  nv::AudioBackend* audioOverride_ = nullptr;
  std::string outputDevice_, inputDevice_;
  nv::InputKind inputKind_ = nv::InputKind::WaveInput;
};
