#pragma once
// The parameters of a compressed (silence-removed) save, 168 bytes in the
// "NRnC" form, followed there by one 16-byte KeptSegment per kept stretch.
#include <cstddef>
#include <array>
#include <cstdint>

namespace nv {

struct CompressionInfo {
  static constexpr size_t kSize = 168;
  int32_t size = 168;
  int32_t release = 3;
  int32_t version = 1;
  int32_t fileType = 5;
  int32_t levelDb = 0;    // silent level, -99 ... 99
  int32_t beforeMs = 0;   // time kept before a pulse, 0 ... 9999
  int32_t afterMs = 0;    // time kept after a pulse, 0 ... 9999
  int32_t segmentCount = 0;
  uint32_t reserved32 = 0x80000000u;
  uint32_t reserved36 = 0x80000000u;
  std::array<uint8_t, 128> tail{};

  std::array<uint8_t, kSize> ToBytes() const;
  static CompressionInfo FromBytes(const uint8_t* p);  // exactly kSize bytes
};

struct KeptSegment {
  static constexpr size_t kSize = 16;
  int32_t startFrame = 0;  // in the uncompressed sound, relative to the saved range
  int32_t lengthFrames = 0;

  std::array<uint8_t, kSize> ToBytes() const;
  static KeptSegment FromBytes(const uint8_t* p);  // exactly kSize bytes
  bool operator==(const KeptSegment&) const = default;
};

}  // namespace nv
