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
#include <string>

#include "app/AppCore.h"
#include "app/AppSettings.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsPersistence.h"

namespace {

void Fill(nv::MemorySettingsStore& st, const std::string& text) {
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

// The text of a store in the form Fill reads.
std::string Dump(const nv::MemorySettingsStore& st) {
  std::string out;
  for (const auto& [section, values] : st.values) {
    out += "[" + section + "]\n";
    for (const auto& [key, v] : values) {
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
void SaveEverything(nv::MemorySettingsStore& st, const nv::AppCore& app) {
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
    nv::MemorySettingsStore st;
    SaveEverything(st, app);
    std::ofstream(seed, std::ios::binary) << Dump(st);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nv::AppCore app;
  nv::MemorySettingsStore input;
  Fill(input, std::string(reinterpret_cast<const char*>(data), size));
  app.Reset();
  nv::LoadAll(input, app);
  nv::MemorySettingsStore first;
  SaveEverything(first, app);
  app.Reset();
  nv::LoadAll(first, app);
  nv::MemorySettingsStore second;
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
