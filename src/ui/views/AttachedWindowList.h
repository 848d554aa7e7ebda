#pragma once
// The analysis windows attached to a sound view (AttachedWindow), in the
// order they attached, and the fan-out of the view's notices to them. A
// window may attach or detach while a notice goes out: each notice goes to
// the windows attached when it started. Does not own the windows.
// Interface thread only.
#include <algorithm>
#include <vector>

#include "views/AttachedWindow.h"

class AttachedWindowList {
 public:
  void Attach(AttachedWindow* w) {
    if (w && std::find(windows_.begin(), windows_.end(), w) == windows_.end()) windows_.push_back(w);
  }
  void Detach(AttachedWindow* w) { windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end()); }
  void Clear() { windows_.clear(); }
  void SelectionChanged(int32_t start, int32_t end, int channels, bool fullUpdate) const {
    for (AttachedWindow* w : std::vector<AttachedWindow*>(windows_)) w->SelectionChanged(start, end, channels, fullUpdate);
  }
  void LevelChanged(int32_t level) const {
    for (AttachedWindow* w : std::vector<AttachedWindow*>(windows_)) w->LevelChanged(level);
  }

 private:
  std::vector<AttachedWindow*> windows_;
};
