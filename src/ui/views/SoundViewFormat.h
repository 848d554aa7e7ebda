#pragma once
// The format and device dialogs of a sound view: "Sound &Format" (the
// dialog on the view's document, the format query of the chosen output
// device, and the application of the result to the document, the defaults
// and the view) and "Sound &devices" (the host's device choice).
//
// Contract: owned by its view's controllers (SoundViewControllers); it owns
// nothing, and its dialogs are modal. A new sampling rate (Hz) clears the
// view's measurement cursors and zoom history before the document changes.
// Interface thread only.
#include "base/CommandTarget.h"

class CNvAnaView;
class ViewHost;

class SoundViewFormat : public CommandTarget {
 public:
  SoundViewFormat(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

  // CommandTarget: kSoundFormat, kSoundDevices.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  CNvAnaView& view_;
  ViewHost& host_;
};
