#pragma once
// A hierarchical store of persistent settings: named sections (path parts
// separated by a backslash, e.g. "Settings\DefData\Analys"), each holding
// named values of three kinds: 32-bit numbers, texts and binary blocks.
//
// Contract: reading a value that is missing, or stored with another kind that
// cannot be taken as the asked one, returns no value, and the Read helpers
// then leave the caller's field as it is. Failures are never reported: a value
// that cannot be written is lost. Implementations are used on the interface
// thread only and need not be thread-safe.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nv {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual std::optional<int32_t> ReadNumber(const std::string& section, const std::string& key) = 0;
  virtual std::optional<std::string> ReadText(const std::string& section, const std::string& key) = 0;
  virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section,
                                                         const std::string& key) = 0;

  virtual void WriteNumber(const std::string& section, const std::string& key, int32_t value) = 0;
  virtual void WriteText(const std::string& section, const std::string& key,
                         const std::string& value) = 0;
  virtual void WriteBinary(const std::string& section, const std::string& key,
                           const std::vector<uint8_t>& value) = 0;

  // True when the section holds at least one value.
  virtual bool SectionExists(const std::string& section) = 0;
  // Makes written values durable (a no-op for stores that write at once).
  virtual void Flush() {}

  // Helpers that leave the field unchanged when the value is missing.
  template <typename Int>
  bool Read(const std::string& section, const std::string& key, Int& field) {
    if (auto v = ReadNumber(section, key)) {
      field = static_cast<Int>(*v);
      return true;
    }
    return false;
  }
  bool Read(const std::string& section, const std::string& key, std::string& field) {
    if (auto v = ReadText(section, key)) {
      field = *v;
      return true;
    }
    return false;
  }
  // A switch of the analysis sections: on only when the stored number is
  // exactly 1.
  template <typename Flag>
  bool ReadSwitchExact(const std::string& section, const std::string& key, Flag& field) {
    if (auto v = ReadNumber(section, key)) {
      field = static_cast<Flag>(*v == 1 ? 1 : 0);
      return true;
    }
    return false;
  }
  // A switch of the card sections: on for any non-zero number.
  template <typename Flag>
  bool ReadSwitchNonZero(const std::string& section, const std::string& key, Flag& field) {
    if (auto v = ReadNumber(section, key)) {
      field = static_cast<Flag>(*v != 0 ? 1 : 0);
      return true;
    }
    return false;
  }
};

}  // namespace nv
