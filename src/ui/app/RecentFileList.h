#pragma once
// The four most recently used path names, each with its type label, newest
// first; kept in the settings store under "Recent File List" as "File1" to
// "File4". Interface thread only.
#include <string>
#include <vector>

namespace nv {
class SettingsStore;
}

class RecentFileList {
 public:
  static constexpr int kSize = 4;
  static constexpr const char* kSection = "Recent File List";

  void Load(nv::SettingsStore& store);
  void Save(nv::SettingsStore& store) const;
  // Puts `labelledPath` first; an equal entry further down is removed.
  void Add(const std::string& labelledPath);
  void Remove(int index);
  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};
