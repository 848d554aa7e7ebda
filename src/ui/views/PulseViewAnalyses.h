#pragma once
// The pulse analyses of one sound view: its pulse characteristics dialog
// (one at a time), its up to 16 pulse interval / pulse length windows, the
// view's working copy of the pulse settings, and which analysis the level
// cursor belongs to. It opens them from the view's commands, attaches them
// to the view's cursor, selection and level-cursor notices, shows their
// thresholds as the view's level cursor, and closes them (stopping and
// joining a running worker first) when the view goes.
//
// Contract: owned by its view's controllers (SoundViewControllers), made
// after and gone before the view's power windows (CNvAnaViewPower), whose
// band marks a histogram's interval and whose print slots it shares. The
// dialog and the windows are parented to the view; it holds them weakly
// and deletes them when it closes them. A running analysis worker reads
// the document's samples on its own thread and is stopped and joined here
// before the document can go; all else runs on the interface thread.
// Ranges are frames of the document, levels 1/100 % of full scale.
//
// Threshold mode: the level cursor shows the threshold of one analysis (the
// dialog or one histogram window), and only that analysis follows a drag of
// it. It begins when an analysis opens or asks for it ("Update threshold");
// a threshold found automatically is shown only while the view is still in
// threshold mode for that analysis. When the analysis that holds the level
// cursor closes, the level cursor goes and the view returns to the cursor
// mode and the cursor the user had before.
#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/CRateWnd.h"
#include "analysis/PulseAnalysisDialog.h"
#include "base/CommandTarget.h"
#include "plot/CursorRecord.h"
#include "views/CursorMode.h"
#include "settings/PulseSettings.h"

class AttachedWindow;
class CNvAnaView;
class CNvAnaViewPower;
class ViewHost;

class PulseViewAnalyses : public QObject, public CommandTarget {
  Q_OBJECT
 public:
  PulseViewAnalyses(CNvAnaView* view, ViewHost& host, CNvAnaViewPower& power);
  ~PulseViewAnalyses() override;

  // CommandTarget: the pulse analyses and the histogram default settings.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  // The document's samples changed: the histograms are set up again.
  void DocumentChanged();

  PulseAnalysisDialog* Dialog() const { return dialog_; }
  CRateWnd* RateWindow(int slot) const { return rate_[static_cast<size_t>(slot)]; }
  int OpenRateWindows() const;
  // The slot of the histogram window whose interval is marked, -1 none.
  int MarkedSlot() const;
  // The slot of the histogram window the level cursor belongs to, -1 none.
  int ThresholdSlot() const { return thresholdSlot_; }
  // Whether the level cursor belongs to the pulse characteristics dialog.
  bool DialogHoldsThreshold() const { return dialogThreshold_; }
  // Whether the view shows a threshold: an analysis holds the level cursor
  // and the cursor mode is still the level cursor.
  bool InThresholdMode() const;
  const nv::PulseSettings& WorkingSettings() const { return working_; }

  void OpenPulseCharacteristics();
  void OpenRateWindow(bool intervalMode);
  void CloseAll();

 private:
  struct Range {
    int32_t start = 0, end = -1;
    int channels = 3;  // 1 left, 2 right, 3 both
  };
  Range CurrentRange() const;
  void SetChannelFlags(uint8_t& left, uint8_t& right, int channels) const;
  // The level cursor goes to the dialog (slot -1) or a histogram window:
  // the user's cursor mode and cursor are kept for later when the view
  // enters threshold mode now.
  void HoldThreshold(int slot);
  // The analysis that held the level cursor lets go of it (it closes).
  void ReleaseThreshold(int slot);
  void ShowLevel(int32_t level, int channel, int32_t start, int32_t end);
  void CloseDialog(bool keepSettings);
  // The user closed a histogram window: it goes unless it is being printed.
  void RateCloseRequested(int slot);
  void RateClosed(int slot);
  // Marks a histogram window's interval in the view.
  void MarkInterval(int slot, int32_t start, int32_t end, int channel);
  // Prints or previews a histogram window through the shared page printer.
  void PrintRate(int slot, bool preview);
  void Detach(AttachedWindow* a);

  CNvAnaView* view_;
  ViewHost& host_;
  CNvAnaViewPower& power_;
  nv::PulseSettings working_;
  QPointer<PulseAnalysisDialog> dialog_;
  std::array<QPointer<CRateWnd>, CRateWnd::kMaxWindows> rate_{};
  std::vector<std::unique_ptr<AttachedWindow>> attachments_;
  AttachedWindow* dialogAttachment_ = nullptr;
  std::array<AttachedWindow*, CRateWnd::kMaxWindows> rateAttachments_{};
  int thresholdSlot_ = -1;
  bool dialogThreshold_ = false;
  // What the user had before threshold mode: the cursor mode and the cursor.
  nv::CursorMode userMode_ = nv::CursorMode::None;
  nv::CursorRecord userCursor_;
};
