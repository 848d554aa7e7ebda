#pragma once
// The recording hand-off of a sound view: "&Record sound" asks the append
// or clear question by input kind, takes the record-view settings from the
// view and asks the host for a recording view on the document. When the
// recording ends, the recording view (CNvRecView) tells the sound view,
// which takes up the new length.
//
// Contract: owned by its view's controllers (SoundViewControllers); it owns
// nothing. It reads the view's document and settings (the time per plot in
// microseconds) and hands them to ViewHost::OpenRecordingView with the view
// as the starter. Interface thread only.
#include "base/CommandTarget.h"

class CNvAnaView;
class ViewHost;

class SoundViewRecording : public CommandTarget {
 public:
  SoundViewRecording(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

  // CommandTarget: kSoundRecord.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  CNvAnaView& view_;
  ViewHost& host_;
};
