#include "document/UndoHistory.h"

#include <sys/statvfs.h>

#include <cstdint>

namespace nv {

uint64_t UndoHistory::KeptBytes() const {
  uint64_t n = 0;
  for (const auto& s : undo_) n += static_cast<uint64_t>(s->Bytes());
  for (const auto& s : redo_) n += static_cast<uint64_t>(s->Bytes());
  return n;
}

uint64_t UndoHistory::FreeBytes(const std::string& dir) {
  struct statvfs v {};
  if (statvfs(dir.c_str(), &v) != 0) return UINT64_MAX;
  return static_cast<uint64_t>(v.f_bavail) * static_cast<uint64_t>(v.f_frsize);
}

bool UndoHistory::Room(uint64_t bytes) const {
  if (bytes > budget_) return false;
  const uint64_t free = FreeBytes(TemporaryDirectory());
  return free == UINT64_MAX || free >= bytes + kFreeSpaceReserveBytes;
}

void UndoHistory::DropOldest() {
  if (!undo_.empty()) undo_.erase(undo_.begin());
  else if (!redo_.empty()) redo_.erase(redo_.begin());
}

void UndoHistory::Push(std::unique_ptr<UndoStep> step) {
  redo_.clear();
  undo_.push_back(std::move(step));
  // The newest step stays; older ones make room for it.
  while (undo_.size() > 1 && KeptBytes() > budget_) DropOldest();
}

void UndoHistory::PushUndoKeepingRedo(std::unique_ptr<UndoStep> step) {
  undo_.push_back(std::move(step));
  while (undo_.size() > 1 && KeptBytes() > budget_) DropOldest();
}

std::unique_ptr<UndoStep> UndoHistory::PopUndo() {
  if (undo_.empty()) return nullptr;
  std::unique_ptr<UndoStep> s = std::move(undo_.back());
  undo_.pop_back();
  return s;
}

std::unique_ptr<UndoStep> UndoHistory::PopRedo() {
  if (redo_.empty()) return nullptr;
  std::unique_ptr<UndoStep> s = std::move(redo_.back());
  redo_.pop_back();
  return s;
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
}

}  // namespace nv
