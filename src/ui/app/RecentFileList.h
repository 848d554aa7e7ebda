#pragma once
// The four most recently used path names, each with its type label, newest
// first; kept in the settings store under "Recent File List" as "File1" to
// "File4". Interface thread only.
#include <string>
#include <vector>

#include "fileformats/FileType.h"

namespace nv {
class SettingsStore;
}

class RecentFileList {
 public:
  static constexpr int kSize = 4;
  static constexpr const char* kSection = "Recent File List";

  void Load(nv::SettingsStore& store);
  void Save(nv::SettingsStore& store) const;
  // Puts the labelled text of `file` first; an equal entry further down is removed.
  void Add(const nv::SoundFilePath& file);
  void Remove(int index);
  // The entries as stored and shown ("path [Label]").
  const std::vector<std::string>& Entries() const { return entries_; }
  // The file of entry `index` (which must exist).
  nv::SoundFilePath File(int index) const;

 private:
  std::vector<std::string> entries_;
};
