#pragma once
// What a document knows of the views attached to it. The Qt sound views
// implement it; the document never owns a view. Interface thread only.
#include <cstdint>

#include "base/TimeBase.h"
#include "settings/AnalysisSettings.h"

namespace nv {

// What changed, told to every view of a document by UpdateAllViews.
enum class UpdateHint : int {
  None = 0,            // redraw
  SamplesChanged = 1,  // the samples (or their rate or factor) changed: recompute
  MarksChanged = 2,    // only the document's marks changed: bring the marks in line
};

class SoundViewObserver {
 public:
  virtual ~SoundViewObserver() = default;
  // True for sound views (views that show the samples and have settings).
  virtual bool IsSoundView() const { return true; }
  // End frame of the view's selection, -1 when it has none.
  virtual FrameIndex SelectionEnd() const { return -1; }
  virtual void ClearSelection() {}
  // The document's frame count changed to `frames`.
  virtual void OnNewLength(FrameIndex frames) { (void)frames; }
  virtual void OnUpdate(UpdateHint hint) { (void)hint; }
  // The settings written with the file ("NRn1").
  virtual AnalysisSettings CurrentSettings() const { return AnalysisSettings{}; }
};

}  // namespace nv
