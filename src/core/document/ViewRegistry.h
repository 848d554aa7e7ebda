#pragma once
// The views of one document: every attached view (told of updates), the
// sound views registered for saving (their settings are written with the
// file, newest first), the active one, and the view records read from the
// file that wait for a view to take them. It never owns a view: views add
// and remove themselves. Interface thread only.
#include <optional>
#include <utility>
#include <vector>

#include "document/SoundViewObserver.h"
#include "settings/AnalysisSettings.h"

namespace nv {

class ViewRegistry {
 public:
  void AddView(SoundViewObserver* v);
  // Removes the view everywhere (also from the registered sound views).
  void RemoveView(SoundViewObserver* v);
  const std::vector<SoundViewObserver*>& Views() const { return views_; }

  // Registers a sound view; it becomes the active one. Returns the settings
  // it starts from: a pending view record when one is left, else the active
  // view's settings, else nothing (the caller takes the defaults).
  std::optional<AnalysisSettings> RegisterSoundView(SoundViewObserver* v);
  void UnregisterSoundView(SoundViewObserver* v);
  const std::vector<SoundViewObserver*>& RegisteredSoundViews() const { return soundViews_; }
  SoundViewObserver* ActiveSoundView() const { return activeView_; }
  void SetActiveSoundView(SoundViewObserver* v) { activeView_ = v; }
  // Tells every attached view but `sender` (which may be null).
  void UpdateAllViews(SoundViewObserver* sender, UpdateHint hint);

  const std::vector<AnalysisSettings>& PendingViewRecords() const { return pending_; }
  void SetPending(std::vector<AnalysisSettings> records) { pending_ = std::move(records); }
  int ViewRecordsRead() const { return recordsRead_; }
  void SetViewRecordsRead(int n) { recordsRead_ = n; }
  // Forgets the pending records and their count.
  void ClearPending();

 private:
  std::vector<SoundViewObserver*> views_;
  std::vector<SoundViewObserver*> soundViews_;
  SoundViewObserver* activeView_ = nullptr;
  std::vector<AnalysisSettings> pending_;
  int recordsRead_ = 0;
};

}  // namespace nv
