#pragma once
// The nearest 32-bit number to a wider one: the records of the file forms
// and the plot's twips hold 32-bit fields, filled from 64-bit arithmetic.
#include <algorithm>
#include <cstdint>
#include <limits>

namespace nv {

// v, or the 32-bit limit it lies beyond.
inline int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// v cut to a whole number towards zero, or the 32-bit limit it lies beyond;
// 0 for a NaN.
inline int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;
  return static_cast<int32_t>(std::clamp<double>(v, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

}  // namespace nv
