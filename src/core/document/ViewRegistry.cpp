#include "document/ViewRegistry.h"

#include <algorithm>

namespace nv {

void ViewRegistry::AddView(SoundViewObserver* v) {
  if (std::find(views_.begin(), views_.end(), v) == views_.end()) views_.push_back(v);
}

void ViewRegistry::RemoveView(SoundViewObserver* v) {
  views_.erase(std::remove(views_.begin(), views_.end(), v), views_.end());
  UnregisterSoundView(v);
}

std::optional<AnalysisSettings> ViewRegistry::RegisterSoundView(SoundViewObserver* v) {
  std::optional<AnalysisSettings> start;
  if (!pending_.empty()) {
    start = pending_.back();
    pending_.pop_back();
  } else if (activeView_) {
    start = activeView_->CurrentSettings();
  }
  if (std::find(soundViews_.begin(), soundViews_.end(), v) == soundViews_.end())
    soundViews_.push_back(v);
  AddView(v);
  activeView_ = v;
  return start;
}

void ViewRegistry::UnregisterSoundView(SoundViewObserver* v) {
  soundViews_.erase(std::remove(soundViews_.begin(), soundViews_.end(), v), soundViews_.end());
  if (activeView_ == v) activeView_ = soundViews_.empty() ? nullptr : soundViews_.back();
}

void ViewRegistry::UpdateAllViews(SoundViewObserver* sender, UpdateHint hint) {
  // A copy: a view may remove itself while it is told.
  for (SoundViewObserver* v : std::vector<SoundViewObserver*>(views_))
    if (v != sender) v->OnUpdate(hint);
}

void ViewRegistry::ClearPending() {
  pending_.clear();
  recordsRead_ = 0;
}

}  // namespace nv
