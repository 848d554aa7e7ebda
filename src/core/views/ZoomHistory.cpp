#include "views/ZoomHistory.h"

#include <algorithm>

namespace nv {

void ZoomHistory::Push(const ZoomEntry& e) {
  if (top_ + 1 >= kCapacity) {
    std::move(entries_.begin() + 1, entries_.end(), entries_.begin());
    top_ = kCapacity - 2;
  }
  entries_[static_cast<size_t>(++top_)] = e;
}

std::optional<ZoomEntry> ZoomHistory::Pop() {
  if (top_ < 0) return std::nullopt;
  return entries_[static_cast<size_t>(top_--)];
}

}  // namespace nv
