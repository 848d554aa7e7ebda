#pragma once
// The power-spectrum and printing part of a sound view: its table of 16
// power-spectrum windows (opening with the range and channel rules, passing
// every cursor and selection change on, closing), the analysed interval
// marked in the plot while a window follows the cursor, the "Power
// Spectr&um Settings - Default" command, and the prints and previews of the
// view itself and of its power windows with the print slots.
//
// Contract: owned by its view's controllers (SoundViewControllers); the
// view closes its windows (CloseAll) before its document goes. The
// windows are floating tool windows parented to the view, so they go with
// it; the table holds them weakly and forgets a window that closed. The
// marked interval is a band of frames [start, end) of the document over the
// plot, in the channel strip it analyses (1 left, 2 right). Interface
// thread only.
#include <QPointer>
#include <array>
#include <memory>
#include <vector>

#include "analysis/PagePrinter.h"
#include "analysis/PowerWindowHost.h"
#include "analysis/PrintSlots.h"
#include "base/CommandTarget.h"
#include "views/AttachedWindow.h"

class CNvAnaView;
class CPowerWnd;
class IntervalMark;
class ViewHost;

class CNvAnaViewPower : public PowerWindowHost, public CommandTarget, public AttachedWindow {
 public:
  static constexpr int kSlots = 16;

  CNvAnaViewPower(CNvAnaView* view, ViewHost& host);
  ~CNvAnaViewPower() override;

  // CommandTarget: kPowerSpectrum, kPowerSettingsDefault, kFilePrint,
  // kFilePrintPreview, kFilePrintSetup; false for every other command.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  // AttachedWindow: every cursor and selection change goes on to the windows.
  void SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) override;

  // "&Power Spectrum": a window in the first free slot, or the message and
  // null when all 16 are open.
  CPowerWnd* OpenPowerSpectrum();
  CPowerWnd* Window(int slot) const;
  int OpenCount() const;
  // Closes every window (the view goes).
  void CloseAll();
  // The document's samples changed: every window recomputes its range.
  void SamplesChanged();

  // The page of the view's own print.
  PagePrinter::Page ViewPage() const;
  PrintSlots& Slots() { return slots_; }
  // The marked interval: [start, end) or start -1.
  int32_t MarkStart() const;
  int32_t MarkEnd() const;
  // The band of the pulse interval / pulse length windows: the window in
  // `slot` marks [start, end) (channel as for the power windows), or marks
  // nothing any more.
  void MarkRateInterval(int slot, int32_t start, int32_t end, int channel);
  void ClearRateInterval(int slot);
  // The slot of the histogram window whose interval the band shows, -1
  // when it shows none or a power window's.
  int MarkedRateSlot() const;

  // PowerWindowHost.
  void MarkAnalysedInterval(int slot, int32_t start, int32_t end, int channel) override;
  void ClearAnalysedInterval(int slot) override;
  void PowerWindowClosed(int slot) override;
  void PrintPowerWindow(int slot) override;
  void PreviewPowerWindow(int slot) override;

 private:
  void PrintView(bool preview);
  // One band, several windows that may mark: the band shows the interval of
  // the window that marked last among those still marking, and goes when
  // none marks. Owners: power slots 0 ... 15, histogram slots from
  // kRateOwner on.
  static constexpr int kRateOwner = 100;
  struct BandMark {
    int owner = 0;
    int32_t start = -1, end = -1;
    int channel = 0;
  };
  void SetBand(int owner, int32_t start, int32_t end, int channel);
  void ReleaseBand(int owner);
  void ShowBand();

  CNvAnaView* view_;
  ViewHost& host_;
  std::array<QPointer<CPowerWnd>, kSlots> windows_{};
  IntervalMark* mark_ = nullptr;
  std::vector<BandMark> band_;  // the last marked last
  PrintSlots slots_;
};
