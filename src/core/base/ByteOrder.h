#pragma once
// Little-endian reading and writing of fixed-width integers in byte buffers.
// Every stored record is serialised field by field through these helpers, so
// the file and registry forms never depend on the host's struct layout.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>

namespace nv {

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline uint16_t GetU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }

// Copies a text into a fixed field of `size` bytes, NUL-padded; the last byte
// of the field is always NUL.
inline void PutText(uint8_t* p, size_t size, const std::string& s) {
  std::memset(p, 0, size);
  if (size == 0) return;
  std::memcpy(p, s.data(), std::min(s.size(), size - 1));
}
// Reads a text from a fixed field; it ends at the first NUL or at the end of
// the field, so a field without NUL never runs past its bytes.
inline std::string GetText(const uint8_t* p, size_t size) {
  size_t n = 0;
  while (n < size && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace nv
