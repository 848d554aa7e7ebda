// Feeds arbitrary text as the desktop application's stored settings and loads
// every default record from it, as the application does at start-up. The
// desktop keeps them in a Qt settings store; this target fills the core's
// in-memory store from an INI-like text instead ("[Section\Sub]" lines and
// "Key=value" lines: a whole number is a number, "s:..." a text, "bN:" a
// block of the N bytes that follow), so that the loading and upgrading of
// every record is tested without Qt. Loading must never crash, and what was
// loaded must save and load again to the same records.
#include <cstdint>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "app/AppCore.h"
#include "app/AppSettings.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsPersistence.h"

namespace {

// The stores the target fills, saves into and compares: sections of keyed
// values of the three kinds. Unlike the core's MemorySettingsStore it keeps
// no log of every read and write, and finds its values by hashing: under the
// sanitizers and the fuzzer's comparison tracing the log's texts and the
// ordered maps' string comparisons cost more than the loading itself.
class FuzzStore : public nv::SettingsStore {
 public:
  using Value = nv::MemorySettingsStore::Value;
  using Section = std::unordered_map<std::string, Value>;

  std::optional<int32_t> ReadNumber(const std::string& section, const std::string& key) override {
    const Value* v = Find(section, key);
    if (const int32_t* n = v ? std::get_if<int32_t>(v) : nullptr) return *n;
    return std::nullopt;
  }
  std::optional<std::string> ReadText(const std::string& section, const std::string& key) override {
    const Value* v = Find(section, key);
    if (const std::string* t = v ? std::get_if<std::string>(v) : nullptr) return *t;
    return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section, const std::string& key) override {
    const Value* v = Find(section, key);
    if (const auto* b = v ? std::get_if<std::vector<uint8_t>>(v) : nullptr) return *b;
    return std::nullopt;
  }
  void WriteNumber(const std::string& section, const std::string& key, int32_t value) override {
    values[section][key] = value;
  }
  void WriteText(const std::string& section, const std::string& key, const std::string& value) override {
    values[section][key] = value;
  }
  void WriteBinary(const std::string& section, const std::string& key, const std::vector<uint8_t>& value) override {
    values[section][key] = value;
  }
  bool SectionExists(const std::string& section) override {
    const auto s = values.find(section);
    return s != values.end() && !s->second.empty();
  }

  std::unordered_map<std::string, Section> values;

 private:
  const Value* Find(const std::string& section, const std::string& key) const {
    const auto s = values.find(section);
    if (s == values.end()) return nullptr;
    const auto v = s->second.find(key);
    return v == s->second.end() ? nullptr : &v->second;
  }
};

void Fill(FuzzStore& st, const std::string& text) {
  std::string section;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    std::string line = text.substr(p, e - p);
    p = e + 1;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (value.compare(0, 2, "s:") == 0) {
      st.WriteText(section, key, value.substr(2));
    } else if (value.compare(0, 1, "b") == 0 && value.find(':') != std::string::npos) {
      // "bN:" and N bytes, which may hold line ends.
      const size_t colon = eq + 1 + value.find(':');
      const size_t n = std::strtoul(value.c_str() + 1, nullptr, 10);
      const size_t from = p - line.size() - 1 + colon + 1;
      const size_t take = std::min(n, text.size() - std::min(from, text.size()));
      st.WriteBinary(section, key, std::vector<uint8_t>(text.begin() + from, text.begin() + from + take));
      p = std::max(p, from + take + 1);
    } else {
      char* end = nullptr;
      const long long v = std::strtoll(value.c_str(), &end, 10);
      if (!value.empty() && *end == '\0' && v >= INT32_MIN && v <= INT32_MAX)
        st.WriteNumber(section, key, static_cast<int32_t>(v));
      else
        st.WriteText(section, key, value);
    }
  }
}

// The text of a store in the form Fill reads, sections and keys in order.
std::string Dump(const FuzzStore& st) {
  std::string out;
  for (const auto& [section, unordered] : std::map<std::string, FuzzStore::Section>(st.values.begin(), st.values.end())) {
    out += "[" + section + "]\n";
    for (const auto& [key, v] : std::map<std::string, FuzzStore::Value>(unordered.begin(), unordered.end())) {
      out += key + "=";
      if (const int32_t* n = std::get_if<int32_t>(&v)) {
        out += std::to_string(*n);
      } else if (const std::string* t = std::get_if<std::string>(&v)) {
        out += "s:" + *t;
      } else {
        const auto& b = std::get<std::vector<uint8_t>>(v);
        out += "b" + std::to_string(b.size()) + ":" + std::string(b.begin(), b.end());
      }
      out += "\n";
    }
  }
  return out;
}

// Everything the application keeps, written as it writes it.
void SaveEverything(FuzzStore& st, const nv::AppCore& app) {
  nv::SaveAll(st, app);
  nv::SaveCardParameters(st, nv::section::kCBoard, false, app.cboardCard);
  nv::SaveCardParameters(st, nv::section::kNiDaq, true, app.niDaqCard);
  nv::SaveColorMaps(st, app.colorMaps);
}

}  // namespace

// With NORVANE_SETTINGS_SEED set, writes the first-start defaults there in
// the input's form (how the seed corpus was made).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* seed = std::getenv("NORVANE_SETTINGS_SEED")) {
    nv::AppCore app;
    FuzzStore st;
    SaveEverything(st, app);
    std::ofstream(seed, std::ios::binary) << Dump(st);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One application core for every input, brought back to its first state
  // below: the loading must not depend on what an earlier input loaded.
  static nv::AppCore app;
  FuzzStore input;
  Fill(input, std::string(reinterpret_cast<const char*>(data), size));
  app.Reset();
  nv::LoadAll(input, app);
  FuzzStore first;
  SaveEverything(first, app);
  app.Reset();
  nv::LoadAll(first, app);
  FuzzStore second;
  SaveEverything(second, app);
  if (first.values != second.values) {
    // Name what changed, for whoever reproduces the finding.
    for (const auto& [section, values] : first.values)
      for (const auto& [key, v] : values) {
        const auto s = second.values.find(section);
        if (s == second.values.end() || !s->second.count(key) || s->second.at(key) != v)
          std::fprintf(stderr, "changed on reloading: %s\\%s\n", section.c_str(), key.c_str());
      }
    __builtin_trap();
  }
  app.Reset();
  return 0;
}
