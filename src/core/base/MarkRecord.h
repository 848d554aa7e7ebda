#pragma once
// One named mark of a document (540 bytes in the "NRn2" form of a file).
#include <cstddef>
#include <array>
#include <cstdint>
#include <string>

namespace nv {

struct MarkRecord {
  static constexpr size_t kSize = 540;

  int32_t size = 540;
  int32_t release = 3;
  int32_t version = 1;
  int32_t position = 0;      // frame index
  int32_t value = 0;         // frequency (Hz) or amplitude
  int32_t unused20 = 0;
  int32_t channel = -1;      // channel selection code
  int32_t inSpectrogram = -1;
  int32_t kind = -1;
  int32_t rangeStart = -1;
  int32_t rangeEnd = -1;
  int32_t displayMark = -1;
  int32_t displayLabel = -1;
  int32_t number = -1;       // mark number
  int32_t active = 0;        // cleared on reading
  std::string label;         // at most 79 characters
  std::string description;   // at most 399 characters

  std::array<uint8_t, kSize> ToBytes() const;
  // Reads over this record from `n` bytes (at most kSize).
  void ReadBytes(const uint8_t* p, size_t n);

  bool operator==(const MarkRecord&) const = default;
};

}  // namespace nv
