#pragma once
// A settings store held in memory (tests, and a store for tools that must not
// touch the user's configuration). It keeps every value with its kind and a
// log of the reads and writes in the order they happened ("section\key").
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "settings/SettingsStore.h"

namespace nv {

class MemorySettingsStore : public SettingsStore {
 public:
  using Value = std::variant<int32_t, std::string, std::vector<uint8_t>>;

  std::optional<int32_t> ReadNumber(const std::string& section, const std::string& key) override;
  std::optional<std::string> ReadText(const std::string& section, const std::string& key) override;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section,
                                                 const std::string& key) override;
  void WriteNumber(const std::string& section, const std::string& key, int32_t value) override;
  void WriteText(const std::string& section, const std::string& key,
                 const std::string& value) override;
  void WriteBinary(const std::string& section, const std::string& key,
                   const std::vector<uint8_t>& value) override;
  bool SectionExists(const std::string& section) override;

  // Whether a value exists, whatever its kind.
  bool Has(const std::string& section, const std::string& key) const;
  void Remove(const std::string& section, const std::string& key);
  // The names of the sections holding at least one value, sorted.
  std::vector<std::string> Sections() const;

  std::map<std::string, std::map<std::string, Value>> values;
  std::vector<std::string> reads;   // every read attempt, found or not
  std::vector<std::string> writes;  // every write

 private:
  const Value* Find(const std::string& section, const std::string& key);
};

}  // namespace nv
