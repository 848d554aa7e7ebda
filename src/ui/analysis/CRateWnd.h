#pragma once
// A pulse interval or pulse length histogram window ("Pulse Interval
// Analysis" / "Pulse Length Analysis"): a floating tool window owned by a
// sound view, one of up to 16 per view, with its own RateSettings copy, the
// analysed range, the child RatePlot and the context menu "Rate menue".
//
// Interface thread only. The view creates it with a free slot, forwards
// cursor, selection and level-cursor changes, and deletes it after closed().
// The histogram reads the document's samples at paint time only.
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/RateHistogram.h"
#include "settings/RateSettings.h"

namespace nv {
class CNorvaneDoc;
}
class QAction;
class QPainter;
class QRectF;
class QMenu;
class RatePlot;

class CRateWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxWindows = 16;
  static constexpr const char* kTooManyMessage =
      "Maximum number of Pulse Interval/Pulse Length Analysis already open.";

  // `end` -1: from `start` to the end of the sound.
  CRateWnd(nv::CNorvaneDoc* doc, int slot, const nv::RateSettings& settings, int32_t start,
           int32_t end, QWidget* owner);
  ~CRateWnd() override;

  int Slot() const { return slot_; }
  nv::RateHistogram& Histogram() { return hist_; }
  RatePlot* Plot() const { return plot_; }
  QMenu* ContextMenu() const { return menu_; }
  // Sets the plot up again (after any change) and repaints.
  void SetUp();
  // The caption with its channel suffixes.
  QString Caption() const;
  // The Copy Ascii text (computing the histogram first when needed).
  std::string AsciiText();
  // The level cursor's amplitude (1/10000 of full scale) of this window's
  // threshold.
  int32_t LevelOfThreshold() const;
  // Draws the plot scaled into `target` (device units of the painter), for
  // printing and previews.
  void RenderPicture(QPainter& p, const QRectF& target);
  // Asks the view to show this window's threshold as its level cursor (the
  // window opens, "Update threshold").
  void RequestLevelCursor();
  // The threshold was found automatically: the view shows it only when its
  // level cursor belongs to this window.
  void OfferAutomaticThreshold();
  // The channel analysed: 1 left (also a mono sound's only one), 2 right.
  int AnalysedChannel() const;
  // Asks the view to mark the interval this window analyses.
  void ShowInterval();

 public slots:
  void CopyPicture();
  void CopyAscii();
  void OpenSettings();
  void ToggleContinuousUpdate();
  void ToggleAutomaticSettings();
  void UpdateThreshold();
  // The view's cursor or selection changed: [start, end) with channels (1
  // left, 2 right, 3 both), or the cursor with end -1, or start -1 for
  // neither; taken with continuous update, or with `force`.
  void SelectionChanged(int32_t start, int32_t end, int channels, bool force);
  // The level cursor bound to this window was dragged to `level`.
  void LevelDragged(int32_t level);

 signals:
  void closed(int slot);
  void printRequested(int slot);
  void previewRequested(int slot);
  // Show this window's threshold as the view's level cursor.
  void levelCursorRequested(int32_t level, int channel, int32_t start, int32_t end);
  // A threshold found automatically, to be shown only while the view's level
  // cursor belongs to this window.
  void thresholdFound(int32_t level, int channel, int32_t start, int32_t end);
  // The interval this window analyses, [start, end) with its channel (1
  // left, 2 right, 0 a mono sound): after every set-up and when the window
  // becomes active, so that the view marks it.
  void intervalShown(int slot, int32_t start, int32_t end, int channel);

 protected:
  // Asks the view to close it (closed()); the view closes it unless it is
  // being printed.
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool Stereo() const;

  nv::CNorvaneDoc* doc_;
  int slot_;
  nv::RateHistogram hist_;
  int32_t start_, end_;
  RatePlot* plot_;
  QMenu* menu_;
  QAction* continuous_;
  QAction* automatic_;
};
