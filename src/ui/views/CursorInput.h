#pragma once
// The mouse and arrow-key gestures that set a sound view's cursor and
// selection: a press puts the cursor of the application's cursor mode
// (marking, stereo marking, measurement, level), a drag selects from it, a
// click without a drag leaves the cursor alone; moving the mouse shows the
// time and value under it (and the distance to a measurement cursor); the
// arrow keys move the cursor by one pixel of the plot.
//
// Owned by its view (CNvAnaView); it owns only the drag state. It writes the
// plot's cursor and selection and the status text, and tells the view's
// attached windows. Plot points are pixels of the plot widget; frames,
// amplitudes (1/100 % of full scale) and frequencies (Hz) come from the
// plot's set-up. Interface thread only.
#include <cstdint>

#include "plot/PlotArea.h"

class CNvAnaView;
class QPoint;
class ViewHost;

class CursorInput {
 public:
  // What lies under a point of the plot.
  struct PlotPoint {
    nv::PlotArea area = nv::PlotArea::None;
    int channel = 1;    // 2 in the lower strip of a two-channel plot
    int32_t sample = 0;
    int32_t amplitude = 0;
    int32_t frequency = 0;
  };

  CursorInput(CNvAnaView& view, ViewHost& host) : view_(view), host_(host) {}

  PlotPoint PointAt(const QPoint& local) const;
  void Press(const QPoint& p);
  void Move(const QPoint& p, bool buttonDown);
  void Release(const QPoint& p);
  // The mouse left the plot.
  void Leave();
  // Left/Right move the cursor by a pixel, Up/Down a measurement cursor's
  // value; a cursor that would leave the plot stays.
  void MoveByKey(int key);

 private:
  CNvAnaView& view_;
  ViewHost& host_;
  bool dragging_ = false;
  int pressX_ = 0;
};
