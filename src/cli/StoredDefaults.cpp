#include "StoredDefaults.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include "settings/SettingsPersistence.h"
#include "settings/SettingsStore.h"

namespace nv::cli {
namespace {

// The numbers of the desktop application's settings file (the INI form its
// settings store writes: a section "[Settings]" holding keys such as
// "Puls\AmpThres=-2000"). Read only; texts and blocks are not needed here.
class StoredNumbers : public SettingsStore {
 public:
  explicit StoredNumbers(const std::string& path) {
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line.front() == '[' && line.back() == ']') {
        section = line.substr(1, line.size() - 2);
        continue;
      }
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq), value = line.substr(eq + 1);
      while (!key.empty() && key.back() == ' ') key.pop_back();
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
      char* end = nullptr;
      const long long v = std::strtoll(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || v < INT32_MIN || v > INT32_MAX) continue;
      numbers_[section + "\\" + key] = static_cast<int32_t>(v);
    }
  }
  std::optional<int32_t> ReadNumber(const std::string& section, const std::string& key) override {
    const auto it = numbers_.find(section + "\\" + key);
    if (it == numbers_.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> ReadText(const std::string&, const std::string&) override { return std::nullopt; }
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void WriteNumber(const std::string&, const std::string&, int32_t) override {}
  void WriteText(const std::string&, const std::string&, const std::string&) override {}
  void WriteBinary(const std::string&, const std::string&, const std::vector<uint8_t>&) override {}
  bool SectionExists(const std::string& section) override {
    const std::string prefix = section + "\\";
    const auto it = numbers_.lower_bound(prefix);
    return it != numbers_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
  }

 private:
  std::map<std::string, int32_t> numbers_;
};

}  // namespace

std::string StoredSettingsPath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string dir;
  if (xdg && *xdg) {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::string(home ? home : "") + "/.config";
  }
  return dir + "/Quellmark/Norvane.conf";
}

PulseSettings StoredPulseSettings() {
  PulseSettings s;
  StoredNumbers store(StoredSettingsPath());
  LoadPulseSettings(store, s);
  return s;
}

RateSettings StoredRateSettings() {
  RateSettings s;
  StoredNumbers store(StoredSettingsPath());
  LoadRateSettings(store, s);
  return s;
}

}  // namespace nv::cli
