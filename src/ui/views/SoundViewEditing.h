#pragma once
// The Edit menu of a sound view: cut, copy (the view's picture and the
// program's own clip), copy of the samples as text, paste, delete, silence,
// reverse, volume and the time-domain filter; with the virtual detector on,
// "&Filter" designs the detector's filter instead and filters nothing.
//
// Contract: owned by its view's controllers (SoundViewControllers); it owns
// nothing. It turns the view's selection (or the cursor position with end -1)
// and the selection's channel into a range of frames and a `ChannelSelection`
// and hands them to `SoundEditor` or `FilterDocumentRange`, which end every
// edit with the document's UpdateAllViews. Each edit releases the work-file
// mapping and runs under the wait cursor; no edit runs while a playback,
// recording or pulse analysis uses the samples. Interface thread only.
#include <cstdint>

#include "base/CommandTarget.h"
#include "base/ChannelSelection.h"

namespace nv {
class DetectorMode;
}
class CNvAnaView;
class ViewHost;

class SoundViewEditing : public CommandTarget {
 public:
  SoundViewEditing(CNvAnaView& view, ViewHost& host, const nv::DetectorMode& detector)
      : view_(view), host_(host), detector_(detector) {}

  // CommandTarget: the Edit menu's commands on the document.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

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
  // "&Copy": the view's picture on the system clipboard as PNG and SVG.
  void CopyPicture();

 private:
  CNvAnaView& view_;
  ViewHost& host_;
  const nv::DetectorMode& detector_;
};
