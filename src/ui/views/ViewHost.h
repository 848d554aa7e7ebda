#pragma once
// What a sound view needs of the application it lives in: the application-
// wide cursor mode and playing flag, the default records new views and
// windows start from, the two filter descriptions, the command-state update,
// the range save and the "- Default" settings dialogs. The application
// implements it and hands itself to every view it makes (through the
// document templates and the recording views); a view made on its own
// (tests) is given a PlainViewHost. Each view hands its host to its
// controllers. Interface thread only; the host outlives every view.
#include <cstdint>
#include <string>

#include "audio/AudioBackend.h"
#include "audio/InputKind.h"
#include "audio/RecordViewSettings.h"
#include "document/SoundFormatEdit.h"
#include "filter/FilterDescription.h"
#include "plot/PlotArea.h"
#include "settings/AnalysisSettings.h"
#include "settings/ColorMapList.h"
#include "settings/PowerSettings.h"
#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"
#include "views/CursorMode.h"

class QWidget;
class CNvAnaView;
namespace nv {
class CNorvaneDoc;
}  // namespace nv

// Which kind of window is the active one.
enum class ActiveViewKind { None, SoundView, RecordingView };

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // Whether the chosen output device plays a format, for the "Sound format"
  // dialog. Without any output device (no sound server) nothing can answer;
  // that must not stop a user from correcting the factor or the rate of a
  // recording, so every format passes then.
  nv::FormatQuery OutputFormatQuery();
  // Sets the playing flag and asks for the commands' state again: what a
  // playback or a recording reports when it starts and ends.
  void SetPlayingAndUpdate(bool playing);

  // The cursor mode of every view (None: none chosen).
  virtual nv::CursorMode CursorMode() const = 0;
  virtual void SetCursorMode(nv::CursorMode mode) = 0;
  // Whether a sound shorter than a new view's span opens fitted to it.
  virtual bool FitShortSounds() const { return true; }
  virtual void SetActiveViewKind(ActiveViewKind kind) = 0;
  // One playback or recording at a time in the whole application.
  virtual bool IsPlaying() const = 0;
  virtual void SetPlaying(bool playing) = 0;
  // Asks every menu item and toolbar button for its state again.
  virtual void RequestCommandUpdate() = 0;
  // The Save As flow for frames [first, end) of `doc`.
  virtual void SaveRange(nv::CNorvaneDoc* doc, int64_t first, int64_t end) = 0;
  // Opens the "- Default" settings dialog of one diagram.
  virtual void OpenDefaultSettings(nv::PlotArea area, QWidget* parent) = 0;
  // The settings a new view starts from when nothing else gives them.
  virtual const nv::AnalysisSettings& DefaultAnalysis() const = 0;
  // The default settings of new power-spectrum windows (edited by "Power
  // Spectr&um Settings - Default").
  virtual nv::PowerSettings& DefaultPower() = 0;
  // The user colour maps the "Spectrogram settings" dialog offers and edits,
  // with the hook that writes them.
  virtual nv::SharedColorMaps& ColorMaps() = 0;
  // The "&Filter" command's description (it keeps the last one that designed).
  virtual nv::FilterDescription& CommandFilter() = 0;
  // The sound devices every playback and recording opens its streams on,
  // and the devices chosen in "Sound devices" (empty: the system's default).
  virtual nv::AudioBackend& Audio() = 0;
  virtual std::string OutputDevice() const = 0;
  virtual void SetOutputDevice(const std::string& id) = 0;
  virtual std::string InputDevice() const = 0;
  virtual void SetInputDevice(const std::string& id) = 0;
  // The input kind chosen in "Sound devices".
  virtual nv::InputKind InputKind() const { return nv::InputKind::WaveInput; }
  virtual void SetInputKind(nv::InputKind kind) { (void)kind; }
  // Opens the recording view on `doc` for the sound view `starter` with the
  // record-view settings `settings` (a host without frames does nothing).
  virtual void OpenRecordingView(nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings) {
    (void)doc, (void)starter, (void)settings;
  }
  // Stops any recording or playback of a recording view on `doc` and closes
  // those views (before the document's frames close); nothing recorded is lost.
  virtual void CloseRecordingViews(nv::CNorvaneDoc* doc) { (void)doc; }
  // The virtual detector's filter description ("&Filter" edits it while a
  // view's detector is on).
  virtual nv::FilterDescription& DetectorFilter() = 0;
  // The default records of the pulse characteristics analysis and of the
  // pulse interval / pulse length windows.
  virtual nv::PulseSettings& DefaultPulse() = 0;
  virtual nv::RateSettings& DefaultRate() = 0;
};
