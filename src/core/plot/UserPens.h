#pragma once
// The pens of a user colour map (colour scheme 100) and the lookup of the
// pen for a bin power.
//
// Every range of the map contributes max(count, 1) pens (count limited to
// kMaxPensPerRange); a range with count c >= 2 runs from its first colour A
// to its last colour B as A + i * (B - A) / c per channel for i < c - 1 and
// ends with B. A power's key is its level in thousandths of a dB relative
// to full scale; the first range with from >= key > to gives the pen
// first + min(|key - from| / step, count - 1).
#include <cstdint>
#include <vector>

#include "settings/UserColorMap.h"

namespace nv {

inline constexpr int32_t kNoPen = -1;
inline constexpr int32_t kMaxPensPerRange = 65536;

struct UserPenTable {
  std::vector<uint32_t> colors;    // one packed colour (as Rgb) per pen
  std::vector<ColorRange> ranges;  // the ranges in use, firstPen filled in

  // The pen for a key, or kNoPen.
  int32_t FindPen(int32_t key) const;
};

UserPenTable MakeUserPens(const UserColorMap& map);

// 10 * log10(P * 2^-30) in thousandths of a dB, truncated; INT32_MIN for
// P <= 0 and for levels of a million dB or more in magnitude.
int32_t UserLevelKey(double power);

}  // namespace nv
