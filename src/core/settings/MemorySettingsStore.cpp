#include "settings/MemorySettingsStore.h"

namespace nv {

const MemorySettingsStore::Value* MemorySettingsStore::Find(const std::string& section,
                                                            const std::string& key) {
  reads.push_back(section + "\\" + key);
  auto s = values.find(section);
  if (s == values.end()) return nullptr;
  auto v = s->second.find(key);
  return v == s->second.end() ? nullptr : &v->second;
}

std::optional<int32_t> MemorySettingsStore::ReadNumber(const std::string& section,
                                                       const std::string& key) {
  const Value* v = Find(section, key);
  if (v && std::holds_alternative<int32_t>(*v)) return std::get<int32_t>(*v);
  return std::nullopt;
}

std::optional<std::string> MemorySettingsStore::ReadText(const std::string& section,
                                                         const std::string& key) {
  const Value* v = Find(section, key);
  if (v && std::holds_alternative<std::string>(*v)) return std::get<std::string>(*v);
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> MemorySettingsStore::ReadBinary(const std::string& section,
                                                                    const std::string& key) {
  const Value* v = Find(section, key);
  if (v && std::holds_alternative<std::vector<uint8_t>>(*v))
    return std::get<std::vector<uint8_t>>(*v);
  return std::nullopt;
}

void MemorySettingsStore::WriteNumber(const std::string& section, const std::string& key,
                                      int32_t value) {
  writes.push_back(section + "\\" + key);
  values[section][key] = value;
}

void MemorySettingsStore::WriteText(const std::string& section, const std::string& key,
                                    const std::string& value) {
  writes.push_back(section + "\\" + key);
  values[section][key] = value;
}

void MemorySettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                      const std::vector<uint8_t>& value) {
  writes.push_back(section + "\\" + key);
  values[section][key] = value;
}

bool MemorySettingsStore::SectionExists(const std::string& section) {
  auto s = values.find(section);
  return s != values.end() && !s->second.empty();
}

bool MemorySettingsStore::Has(const std::string& section, const std::string& key) const {
  auto s = values.find(section);
  return s != values.end() && s->second.count(key) != 0;
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& key) {
  auto s = values.find(section);
  if (s == values.end()) return;
  s->second.erase(key);
  if (s->second.empty()) values.erase(s);
}

std::vector<std::string> MemorySettingsStore::Sections() const {
  std::vector<std::string> out;
  for (const auto& [name, keys] : values)
    if (!keys.empty()) out.push_back(name);
  return out;
}

}  // namespace nv
