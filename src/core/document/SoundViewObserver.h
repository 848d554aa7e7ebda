#pragma once
// What a document knows of the views attached to it. The Qt sound views
// implement it; the document never owns a view. Interface thread only.
#include <cstdint>

#include "settings/AnalysisSettings.h"

namespace nv {

class SoundViewObserver {
 public:
  virtual ~SoundViewObserver() = default;
  // True for sound views (views that show the samples and have settings).
  virtual bool IsSoundView() const { return true; }
  // End frame of the view's selection, -1 when it has none.
  virtual int32_t SelectionEnd() const { return -1; }
  virtual void ClearSelection() {}
  // The document's frame count changed to `frames`.
  virtual void OnNewLength(int32_t frames) { (void)frames; }
  // UpdateAllViews: hint 1 means the samples changed.
  virtual void OnUpdate(int hint) { (void)hint; }
  // The settings written with the file ("NRn1").
  virtual AnalysisSettings CurrentSettings() const { return AnalysisSettings{}; }
};

}  // namespace nv
