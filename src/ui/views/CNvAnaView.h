#pragma once
// The sound view: a SoundPlot over the document, a horizontal scroll bar and
// the status strip. It keeps its own AnalysisSettings, the navigation state
// (visible span and ranges, zoom history, known rate and factor), handles
// the zoom, scroll, cursor, selection and settings commands, implements the
// document's observer interface and tells its attached analysis windows of
// every cursor or selection change. The four kinds differ only in the
// diagrams they show (ApplyKind). Interface thread only; the document
// outlives the view (Detach before it goes).
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "audio/DetectorMode.h"
#include "audio/DetectorPlayback.h"
#include "audio/PlaybackView.h"
#include "base/CommandTarget.h"
#include "base/SampleSource.h"
#include "document/SoundViewObserver.h"
#include "plot/CursorRecord.h"
#include "settings/AnalysisSettings.h"
#include "settings/DialogSlot.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/SpectrogramSettingsDialog.h"
#include "settings/ZeroCrossingSettingsDialog.h"
#include "views/ScrollRange.h"
#include "views/ViewNavigator.h"

namespace nv {
class CNorvaneDoc;
class PlaybackEngine;
class SoundPlot;
}  // namespace nv
class AttachedWindow;
class CNvAnaViewPower;
class PulseViewAnalyses;
class QMenu;
class QScrollBar;
class QTimer;
class StatusStrip;

class CNvAnaView : public QWidget,
                   public nv::SoundViewObserver,
                   public CommandTarget,
                   public nv::PlaybackView,
                   public nv::DetectorPlaybackView {
  Q_OBJECT
 public:
  CNvAnaView(nv::CNorvaneDoc* doc, QWidget* parent = nullptr);
  ~CNvAnaView() override;

  nv::CNorvaneDoc* Document() const { return doc_; }
  nv::SoundPlot* Plot() const { return plot_; }
  StatusStrip* Strip() const { return strip_; }
  QScrollBar* ScrollBar() const { return scroll_; }
  nv::AnalysisSettings& Settings() { return settings_; }
  nv::ViewNavigator& Navigator() { return nav_; }

  // First display: settings from a pending record, another view or the
  // defaults; then the plot, the strip and the scroll bar.
  void OnInitialUpdate();
  // The view became the active one.
  void OnActivateView();
  // Lets go of the document (the frame is closing).
  void Detach();

  // Navigation.
  void ZoomIn();
  void ZoomOut();
  void DefaultZoom();
  void ZoomEntire();
  // "Fit to Window": the whole sound from its start, the ranges kept.
  void FitToWindow();
  // Scrolls so that `firstSample` is the first visible sample, kept within
  // 0 ... the start of the last full page (ScrollRange).
  void ScrollTo(int64_t firstSample);
  void ScrollStep(int direction);
  // Page Up / Page Down (direction -1, +1): a whole screen; Home / End
  // (-2, +2): the start of the sound and its last full screen.
  void ScrollPage(int direction);
  // The mouse wheel over the plot: scrolls in time, or with Ctrl zooms in
  // time around the mouse position (`angleDelta` as the wheel reports it).
  void Wheel(int angleDelta, const QPoint& plotPos, bool zoom);
  // Where this view may scroll with its document's length and the plot's
  // samples per plot.
  nv::ScrollRange VisibleRange() const;
  // Recomputes the display and resets the scroll bar.
  void Recompute();
  // The marks' commands (CNvAnaViewMarks.cpp). Centres the view on the
  // mark with that number.
  void ScrollToMark(int32_t number);
  // A mark of the cursor when it lies within the visible stretch.
  bool CursorIsVisible() const;
  void SaveCursorAsMark();
  // Move mode: the arrow keys move the active mark (off without one).
  bool MoveMarkMode() const;
  void SetMoveMarkMode(bool on);
  // One arrow-key step of the active mark; false when it did not move.
  bool MoveActiveMarkByKey(int key);
  bool OnMarkCommand(int id);
  bool OnUpdateMarkCommand(int id, CommandState& state);

  // Selection and cursor.
  bool HasSelection() const;
  void SelectFrames(int32_t start, int32_t end);
  // After a change of the document's rate or factor (then a full update).
  void RescaleToDocument();
  // The measurement cursors and the zoom history go (a new rate).
  void ClearMeasurementAndHistory();

  // The range and channel selection of an edit: the selection's frames, or
  // without a selection the cursor position and -1; channel 1 left, 2 right,
  // 3 both.
  struct EditRange {
    int64_t first = -1;
    int64_t end = -1;
    nv::ChannelSelection channels = nv::ChannelSelection::Both;
  };
  EditRange EditSelection() const;
  // The channel of the filter command: the cursor record's.
  nv::ChannelSelection FilterChannels() const;
  // The Edit menu's commands on the document (handled in CNvAnaViewEdit.cpp).
  bool OnEditCommand(int id);
  bool OnUpdateEditCommand(int id, CommandState& state);
  // "&Copy": the view's picture on the system clipboard as PNG and SVG.
  void CopyPicture();

  // The Sound menu's playback commands, the play speeds and "Sound
  // &devices" (handled in CNvAnaViewPlay.cpp).
  // "Sound &Format" (CNvAnaViewFormat.cpp).
  bool OnFormatCommand(int id);
  bool OnUpdateFormatCommand(int id, CommandState& state);
  bool OnPlayCommand(int id);
  // "&Record sound" (CNvAnaViewRecord.cpp).
  bool OnRecordCommand(int id);
  bool OnUpdateRecordCommand(int id, CommandState& state);
  bool OnUpdatePlayCommand(int id, CommandState& state);
  // This view's playback, null before the first "&Play sound".
  nv::PlaybackEngine* Player() const { return player_.get(); }
  // Ends this view's playback at once (the view or its document closes).
  void StopPlayback();

  // PlaybackView: progress of this view's playback.
  void ShowPlaybackStatus(const std::string& text) override;
  void SetPlaybackCursor(int64_t frame) override;
  void Beep() override;
  void PlaybackClosed() override;
  // The virtual detector (handled in CNvAnaViewDetector.cpp): the
  // "&Virtual Bat detector" command, the detector line and its keys.
  const nv::DetectorMode& Detector() const { return detector_; }
  bool OnDetectorCommand(int id);
  bool OnUpdateDetectorCommand(int id, CommandState& state);
  // Switches the detector on (after its dialog) or off.
  void ToggleDetector();
  // Up/Down retune the line, Left/Right move it in time when nothing plays;
  // refused moves beep. Only while the detector is on.
  void MoveDetectorLineByKey(int key);
  // Shift+Up / Shift+Down while this view plays, through the detector or
  // not: the device's volume doubled or halved (a device that cannot be
  // asked beeps); false when nothing plays here.
  bool OnVolumeKey(int key);
  // The line's "Detector: ..." text in the status strip.
  void ShowDetectorStatus();
  // This view's playback through the detector, null before the first.
  nv::DetectorPlayback* DetectorPlayer() const { return detectorPlayer_.get(); }
  // Ends a playback through the detector at once (the view or its document
  // closes).
  void StopDetectorPlayback();

  // DetectorPlaybackView: progress of this view's playback through the detector.
  void ShowDetectorPlaybackStatus(const std::string& text) override;
  void MoveDetectorLine(int64_t frame) override;
  void ShowDetectorLineStatus() override;
  void RefuseDetectorPlayback() override;
  void DetectorPlaybackClosed() override;

  // Attached analysis windows (not owned).
  void Attach(AttachedWindow* w);
  void DetachWindow(AttachedWindow* w);
  void NotifyAttached(bool fullUpdate = false);

  // The power-spectrum windows and the prints (CNvAnaViewPower.cpp).
  CNvAnaViewPower* Power() const { return power_.get(); }
  // The pulse analyses of this view (CNvAnaViewPulse.cpp).
  bool OnPulseCommand(int id);
  bool OnUpdatePulseCommand(int id, CommandState& state);
  PulseViewAnalyses* Pulses() const { return pulses_.get(); }

  // The context menu for a right click at `globalPos` (caller owns it).
  QMenu* MakeContextMenu(const QPoint& globalPos);
  int ContextDiagram() const { return contextDiagram_; }

  // SoundViewObserver.
  int32_t SelectionEnd() const override;
  void ClearSelection() override;
  void OnNewLength(int32_t frames) override;
  void OnUpdate(nv::UpdateHint hint) override;
  nv::AnalysisSettings CurrentSettings() const override { return settings_; }

  // CommandTarget.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // The open settings dialogs of this view's own settings.
  SpectrogramSettingsDialog* SpectrogramDialog() const { return spectDlg_.Get(); }
  OscillogramSettingsDialog* OscillogramDialog() const { return oscDlg_.Get(); }
  ZeroCrossingSettingsDialog* ZeroCrossingDialog() const { return zcDlg_.Get(); }

 protected:
  // Which diagrams this kind of view shows (the plain view keeps the record's).
  virtual void ApplyKind(nv::AnalysisSettings& s) const { (void)s; }
  bool eventFilter(QObject* o, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  struct PlotPoint {
    int area = 0;       // PlotArea
    int channel = 1;    // 2 in the lower strip of a two-channel plot
    int32_t sample = 0;
    int32_t amplitude = 0;
    int32_t frequency = 0;
  };
  PlotPoint PointAt(const QPoint& local) const;
  void OnMousePress(const QPoint& p);
  void OnMouseMove(const QPoint& p, bool buttonDown);
  void OnMouseRelease(const QPoint& p);
  void ShowSelectionText();
  void SetStatus(const QString& t);
  void UpdateFormatText();
  void ResetScrollBar();
  void MoveCursorByKey(int key);
  // Up/Down/Left/Right while this view plays: volume and rate; false when
  // nothing plays here.
  bool OnPlayKey(int key);
  void FollowPlayback();
  // What a play command plays from: the selection, else the cursor, else
  // the first visible frame.
  nv::PlaybackRequest PlaybackRequestHere() const;
  // The application-wide playing flag the playbacks share, and its setter
  // that also updates the commands.
  static bool HostIsPlaying();
  static void HostSetPlaying(bool playing);
  void OpenSettings(int area);
  void TakeSettings(const nv::AnalysisSettings& s);
  QString TimeText(int64_t ns) const;
  QString AmplitudeText(int32_t a) const;
  QString FrequencyText(int32_t hz) const;
  int64_t DocumentDurationUs() const;
  nv::ZoomSelection SelectionForZoom() const;

  nv::CNorvaneDoc* doc_;
  nv::AnalysisSettings settings_;
  nv::ViewNavigator nav_;
  nv::SoundPlot* plot_;
  QScrollBar* scroll_;
  StatusStrip* strip_;
  std::vector<AttachedWindow*> attached_;
  int contextDiagram_ = 0;
  nv::DetectorMode detector_;
  std::unique_ptr<nv::DetectorPlayback> detectorPlayer_;
  int32_t lineBeforePlay_ = -1;  // where the line stood when the detector started playing
  bool dragging_ = false;
  int pressX_ = 0;
  bool initialised_ = false;
  bool scrolling_ = false;
  bool moveMarkMode_ = false;
  // Since the last wheel zoom: a pause ends a wheel gesture, whose first
  // step alone goes on the zoom history.
  QElapsedTimer wheelZoomClock_;
  DialogSlot<SpectrogramSettingsDialog> spectDlg_;
  DialogSlot<OscillogramSettingsDialog> oscDlg_;
  DialogSlot<ZeroCrossingSettingsDialog> zcDlg_;
  std::unique_ptr<nv::PlaybackEngine> player_;
  QTimer* playTimer_ = nullptr;  // moves the playback cursor between blocks
  std::string playKeyNote_;  // volume and speed after the last arrow key while playing
  std::unique_ptr<CNvAnaViewPower> power_;
  std::unique_ptr<PulseViewAnalyses> pulses_;
};
