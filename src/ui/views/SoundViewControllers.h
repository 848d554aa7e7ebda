#pragma once
// The controllers of a sound view, one per concern, and the order in which
// the view's commands go to them: the virtual detector (which takes "&Play
// sound" and "&Stop Play sound" while it is on or plays), the pulse analyses
// and histograms, the Edit menu, the playback, the recording hand-off, the
// format and device dialogs, the marks, the power windows and prints, the
// zoom and the settings dialogs. The first controller that knows a command
// handles it or fills its state; the view handles what none knows.
//
// Contract: owned by its view (CNvAnaView) and made at the end of the view's
// constructor, when its plot, status strip and attached-window list exist;
// it owns every controller and makes each with the view's host, which
// outlives them. The view stops the playbacks (StopPlayback)
// and closes the analysis windows and dialogs (CloseAll) before its
// document goes. Interface thread only.
#include <memory>
#include <vector>

#include "base/CommandTarget.h"

class CNvAnaView;
class CNvAnaViewPower;
class PulseViewAnalyses;
class SoundViewDetector;
class SoundViewEditing;
class SoundViewFormat;
class SoundViewMarks;
class SoundViewPlayback;
class SoundViewRecording;
class SoundViewSettingsDialogs;
class SoundViewZoom;
class ViewHost;

class SoundViewControllers : public CommandTarget {
 public:
  // `host`: the view's host, which every controller is made with.
  SoundViewControllers(CNvAnaView& view, ViewHost& host);
  ~SoundViewControllers() override;

  // CommandTarget: the first controller that knows the command.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  SoundViewPlayback& Playback() const { return *playback_; }
  SoundViewDetector& Detector() const { return *detector_; }
  SoundViewEditing& Editing() const { return *editing_; }
  SoundViewMarks& Marks() const { return *marks_; }
  CNvAnaViewPower& Power() const { return *power_; }
  PulseViewAnalyses& Pulses() const { return *pulses_; }
  SoundViewZoom& Zoom() const { return *zoom_; }
  SoundViewSettingsDialogs& SettingsDialogs() const { return *settingsDialogs_; }

  // Ends the playbacks, plain and through the detector, at once.
  void StopPlayback();
  // Closes the pulse analyses (their workers stopped and joined), the
  // settings dialogs and the power windows.
  void CloseAll();
  // The document's samples changed: the analysis windows recompute.
  void SamplesChanged();

 private:
  // Declared in the order they are made; the power windows go after the
  // pulse analyses, which clear their marks in them.
  std::unique_ptr<SoundViewDetector> detector_;
  std::unique_ptr<CNvAnaViewPower> power_;
  std::unique_ptr<PulseViewAnalyses> pulses_;
  std::unique_ptr<SoundViewEditing> editing_;
  std::unique_ptr<SoundViewPlayback> playback_;
  std::unique_ptr<SoundViewRecording> recording_;
  std::unique_ptr<SoundViewFormat> format_;
  std::unique_ptr<SoundViewMarks> marks_;
  std::unique_ptr<SoundViewZoom> zoom_;
  std::unique_ptr<SoundViewSettingsDialogs> settingsDialogs_;
  std::vector<CommandTarget*> route_;
};
