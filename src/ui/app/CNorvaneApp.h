#pragma once
// The application object: start-up and exit, the settings store, the
// document templates and the open documents with their frames, the recent
// file list, the application-wide cursor mode, the playing flag and the
// active view kind, and the last link of the command route ("&New",
// "&Open...", "&About Norvane...", "&Help Topics").
//
// One per process (Instance()); it lives inside a QApplication and owns the
// main frame and every document. Interface thread only.
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>
#include <functional>
#include <vector>

#include "app/CDocTemplate.h"
#include "base/CommandTarget.h"
#include "app/RecentFileList.h"
#include "settings/CardParameterRules.h"
#include "views/ViewHost.h"

namespace nv {
class CNorvaneDoc;
class SettingsStore;
}  // namespace nv
class CChildFrame;
class CRecFrame;
class CDocCommands;
class CMainFrame;
class CNvAnaView;
class DefaultSettingsDialogs;

class CNorvaneApp : public QObject, public CommandTarget, public ViewHost {
  Q_OBJECT
 public:
  // `store`: where the settings live (not owned); null uses the user's store.
  explicit CNorvaneApp(nv::SettingsStore* store = nullptr);
  ~CNorvaneApp() override;
  static CNorvaneApp* Instance();

  // Start-up with the command-line arguments (without the program name and
  // the options Qt took): false when it must end the program.
  bool InitInstance(const QStringList& args);
  // Exit: writes the settings back.
  void ExitInstance();

  CMainFrame* MainFrame() const { return mainFrame_.get(); }
  nv::SettingsStore& Store() { return *store_; }
  const CDocTemplate& Template(ViewKind kind) const;

  // File New: a new empty document in the default view.
  nv::CNorvaneDoc* NewDocument();
  // Opens a path (with or without a type label) in the default view; an
  // already open file is activated instead. Null after a message.
  nv::CNorvaneDoc* OpenDocumentFile(const QString& labelledPath);
  // A new frame with a view of `kind` on `doc`, shown after its initial update.
  CChildFrame* CreateFrame(nv::CNorvaneDoc* doc, ViewKind kind);
  std::vector<nv::CNorvaneDoc*> Documents() const;
  CDocCommands* CommandsOf(nv::CNorvaneDoc* doc) const;
  std::vector<CChildFrame*> FramesOf(nv::CNorvaneDoc* doc) const;
  // A frame is closing: the document goes with its last frame.
  void FrameClosed(CChildFrame* frame);
  // The frames' titles follow the document's.
  void DocumentTitleChanged(nv::CNorvaneDoc* doc);

  RecentFileList& RecentFiles() { return recent_; }
  void AddToRecentFileList(const std::string& labelledPath);
  DefaultSettingsDialogs& DefaultDialogs();

  // "&Open...": the open dialog with "Open as:".
  void OnFileOpen();
  void OnAppAbout();
  void OnHelpTopics();

  // "Set sampling parameters": the card is asked for (tests replace
  // `cardChooser`), its dialog edits the card's record, which OK stores.
  void OnSamplingParameters();
  static std::function<std::optional<nv::CardKind>(QWidget*)> cardChooser;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // ViewHost: what the views reach of the application.
  int CursorMode() const override { return cursorMode; }
  void SetCursorMode(int mode) override { cursorMode = mode; }
  bool FitShortSounds() const override;
  void SetActiveViewKind(ActiveViewKind kind) override { activeViewKind = kind; }
  bool IsPlaying() const override { return playing; }
  void SetPlaying(bool p) override { playing = p; }
  void RequestCommandUpdate() override;
  void SaveRange(nv::CNorvaneDoc* doc, int64_t first, int64_t end) override;
  void OpenDefaultSettings(int area, QWidget* parent) override;
  const nv::AnalysisSettings& DefaultAnalysis() const override;
  nv::FilterDescription& CommandFilter() override;
  // The sound server's devices, made on first use.
  nv::AudioBackend& Audio() override;
  std::string OutputDevice() const override { return outputDevice_; }
  void SetOutputDevice(const std::string& id) override { outputDevice_ = id; }
  std::string InputDevice() const override { return inputDevice_; }
  void SetInputDevice(const std::string& id) override { inputDevice_ = id; }
  int InputKind() const override { return inputKind_; }
  void SetInputKind(int kind) override { inputKind_ = kind; }
  // Recording (CNorvaneAppRecord.cpp).
  void OpenRecordingView(nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings) override;
  void CloseRecordingViews(nv::CNorvaneDoc* doc) override;
  // The recording views' frames of `doc` (all with null).
  std::vector<CRecFrame*> RecordingFrames(nv::CNorvaneDoc* doc) const;
  // Replaces the sound devices (tests: a simulated device; not owned, must
  // outlive every playback).
  void SetAudioBackend(nv::AudioBackend* backend) { audioOverride_ = backend; }
  nv::PowerSettings& DefaultPower() override;
  nv::FilterDescription& DetectorFilter() override;
  nv::PulseSettings& DefaultPulse() override;
  nv::RateSettings& DefaultRate() override;

  // Application-wide state of the views.
  int cursorMode = 0;     // CursorMode; the stored one (marking at first) from start-up
  bool playing = false;   // one playback or recording at a time
  ActiveViewKind activeViewKind = ActiveViewKind::None;


 private:
  std::optional<nv::CardKind> ChooseCard(QWidget* parent);
  struct DocEntry;
  DocEntry* EntryOf(nv::CNorvaneDoc* doc) const;
  nv::CNorvaneDoc* AddDocument();

  std::unique_ptr<nv::SettingsStore> ownStore_;
  nv::SettingsStore* store_;
  std::vector<CDocTemplate> templates_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::vector<std::unique_ptr<DocEntry>> docs_;
  RecentFileList recent_;
  DefaultSettingsDialogs* defaultDialogs_ = nullptr;
  std::unique_ptr<nv::AudioBackend> audio_;
  nv::AudioBackend* audioOverride_ = nullptr;
  std::string outputDevice_, inputDevice_;
  int inputKind_ = 1;  // nv::InputKind
};
