#pragma once
// The settings dialogs of a sound view: the spectrogram, oscillogram and
// zero-crossing settings of the current diagram (one modeless dialog of each
// kind, on the view's own AnalysisSettings) and the "- Default" dialogs of
// the host.
//
// Contract: owned by its view's controllers (SoundViewControllers); the view
// closes the dialogs (CloseAll) before its document goes. Each dialog is
// parented to the view, deletes itself on close and its slot forgets it. OK
// or Apply writes the dialog's fields into the view's settings as they are at
// that moment, keeping the visible stretch (first and last visible sample),
// then recomputes the view and updates its attached windows. Rates are the
// document's (Hz, time expansion in 1/1000). Interface thread only.
#include "base/CommandTarget.h"
#include "plot/PlotArea.h"
#include "settings/DialogSlot.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/SpectrogramSettingsDialog.h"
#include "settings/ZeroCrossingSettingsDialog.h"

class CNvAnaView;
class ViewHost;

class SoundViewSettingsDialogs : public CommandTarget {
 public:
  SoundViewSettingsDialogs(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

  // CommandTarget: the "- current diagram" and "- Default" settings commands.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // The open dialogs of this view's own settings, null when closed.
  SpectrogramSettingsDialog* Spectrogram() const { return spect_.Get(); }
  OscillogramSettingsDialog* Oscillogram() const { return osc_.Get(); }
  ZeroCrossingSettingsDialog* ZeroCrossing() const { return zc_.Get(); }
  // Opens the dialog of a diagram, or brings it to the front.
  void Open(nv::PlotArea area);
  void CloseAll();

 private:
  void Take(const nv::AnalysisSettings& s);

  CNvAnaView& view_;
  ViewHost& host_;
  DialogSlot<SpectrogramSettingsDialog> spect_;
  DialogSlot<OscillogramSettingsDialog> osc_;
  DialogSlot<ZeroCrossingSettingsDialog> zc_;
};
