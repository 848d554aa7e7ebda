#include "views/SoundViewZoom.h"

#include "base/CommandIds.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/CursorMode.h"
#include "views/ScrollRange.h"

bool SoundViewZoom::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kZoomIn: ZoomIn(); return true;
    case kZoomOut: ZoomOut(); return true;
    case kZoomDefault: DefaultZoom(); return true;
    case kZoomEntire: ZoomEntire(); return true;
    case kZoomFit: FitToWindow(); return true;
    default: return false;
  }
}

bool SoundViewZoom::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  switch (id) {
    case kZoomIn:
    case kZoomOut:
    case kZoomDefault:
    case kZoomEntire:
    case kZoomFit:
      st.enabled = view_.Document() != nullptr;
      return true;
    default: return false;
  }
}

void SoundViewZoom::Wheel(int angleDelta, int32_t mouseFrame, bool zoom) {
  if (!view_.Document() || angleDelta == 0) return;
  const nv::PlotSetup& s = view_.Plot()->Setup();
  if (!zoom) {
    view_.ScrollTo(view_.VisibleRange().WheelStep(s.firstVisible(), angleDelta));
    return;
  }
  const bool newGesture = !wheelClock_.isValid() || wheelClock_.elapsed() > 600;
  wheelClock_.restart();
  const double notches = angleDelta / double{nv::ScrollRange::kWheelNotch};
  if (view_.Navigator().WheelZoom(notches, mouseFrame, s.firstVisible(),
                                  s.samplesPerPlot(), view_.DocumentDurationUs(), newGesture))
    view_.Recompute();
}

nv::ZoomSelection SoundViewZoom::SelectionForZoom() const {
  const nv::SoundPlot* plot = view_.Plot();
  const nv::CursorRecord& a = plot->SelectionStart();
  const nv::CursorRecord& b = plot->SelectionEnd();
  nv::ZoomSelection z;
  z.startSample = a.position;
  z.endSample = b.position;
  z.startNs = plot->Setup().SampleToNs(a.position);
  z.endNs = plot->Setup().SampleToNs(b.position);
  z.measuring = nv::IsMeasuringKind(a.kind);
  z.inSpectrogram = a.inSpectrogram;
  z.value1 = a.value;
  z.value2 = b.value;
  return z;
}

void SoundViewZoom::ZoomIn() {
  if (!view_.Document()) return;
  wheelClock_.invalidate();
  const nv::PlotSetup& s = view_.Plot()->Setup();
  if (view_.HasSelection()) {
    const nv::ZoomSelection z = SelectionForZoom();
    view_.Navigator().ZoomIn(&z, 0, 0);
    view_.ClearSelection();
  } else {
    view_.Navigator().ZoomIn(nullptr, s.firstVisible(), s.lastVisible());
  }
  view_.Recompute();
}

void SoundViewZoom::ZoomOut() {
  if (!view_.Document()) return;
  wheelClock_.invalidate();
  const nv::PlotSetup& s = view_.Plot()->Setup();
  view_.Navigator().ZoomOut(s.firstVisible(), s.lastVisible());
  view_.Recompute();
}

void SoundViewZoom::DefaultZoom() {
  wheelClock_.invalidate();
  view_.Navigator().DefaultZoom();
  view_.Recompute();
}

void SoundViewZoom::ZoomEntire() {
  wheelClock_.invalidate();
  view_.Navigator().ZoomEntire(view_.DocumentDurationUs());
  view_.Recompute();
}

void SoundViewZoom::FitToWindow() {
  if (!view_.Document()) return;
  wheelClock_.invalidate();
  view_.Navigator().FitToSound(view_.DocumentDurationUs(), true);
  view_.Recompute();
}
