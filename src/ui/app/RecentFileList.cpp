#include "app/RecentFileList.h"

#include <algorithm>

#include "settings/SettingsStore.h"

void RecentFileList::Load(nv::SettingsStore& store) {
  entries_.clear();
  for (int i = 1; i <= kSize; ++i) {
    auto v = store.ReadText(kSection, "File" + std::to_string(i));
    if (v && !v->empty()) entries_.push_back(*v);
  }
}

void RecentFileList::Save(nv::SettingsStore& store) const {
  for (int i = 1; i <= kSize; ++i) {
    const size_t k = static_cast<size_t>(i - 1);
    store.WriteText(kSection, "File" + std::to_string(i), k < entries_.size() ? entries_[k] : "");
  }
}

void RecentFileList::Add(const nv::SoundFilePath& file) {
  const std::string p = file.Labelled();
  if (p.empty()) return;
  entries_.erase(std::remove(entries_.begin(), entries_.end(), p), entries_.end());
  entries_.insert(entries_.begin(), p);
  if (entries_.size() > static_cast<size_t>(kSize)) entries_.resize(kSize);
}

void RecentFileList::Remove(int index) {
  if (index >= 0 && static_cast<size_t>(index) < entries_.size())
    entries_.erase(entries_.begin() + index);
}

nv::SoundFilePath RecentFileList::File(int index) const {
  return nv::SoundFilePath::FromLabelled(entries_.at(static_cast<size_t>(index)));
}
