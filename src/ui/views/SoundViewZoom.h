#pragma once
// The zoom of a sound view: "&Zoom In" (to the selection when there is one),
// "Zoom &Out", "&Default Zoom ", "Zoom &Entire file", "Fit to &Window", and
// the mouse wheel over the plot (scrolling in time, with Ctrl zooming in time
// around the mouse position).
//
// Contract: owned by its view's controllers (SoundViewControllers); it owns
// only the clock of the wheel gesture (a pause longer than 600 ms ends a
// gesture, whose first step alone goes on the zoom history). The spans and
// the zoom history are the view's `ViewNavigator`; every zoom ends with the
// view's Recompute. Positions are frames, durations microseconds. Interface
// thread only.
#include <QElapsedTimer>

#include "base/CommandTarget.h"
#include "views/ViewNavigator.h"

class CNvAnaView;

class SoundViewZoom : public CommandTarget {
 public:
  explicit SoundViewZoom(CNvAnaView& view) : view_(view) {}

  // CommandTarget: kZoomIn, kZoomOut, kZoomDefault, kZoomEntire, kZoomFit.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  void ZoomIn();
  void ZoomOut();
  void DefaultZoom();
  void ZoomEntire();
  // "Fit to &Window": the whole sound from its start, the ranges kept.
  void FitToWindow();
  // The mouse wheel over the plot: scrolls in time, or with `zoom` (Ctrl)
  // zooms in time around the frame under the mouse (`angleDelta` as the
  // wheel reports it).
  void Wheel(int angleDelta, int32_t mouseFrame, bool zoom);
  // The view's selection as the navigator takes it.
  nv::ZoomSelection SelectionForZoom() const;

 private:
  CNvAnaView& view_;
  QElapsedTimer wheelClock_;
};
