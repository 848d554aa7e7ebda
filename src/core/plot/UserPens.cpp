#include "plot/UserPens.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dsp/BinPower.h"

namespace nv {

namespace {
uint8_t Channel(uint32_t c, int shift) { return static_cast<uint8_t>(c >> shift); }
int32_t PenCount(const ColorRange& r) {
  return std::clamp(r.count, int32_t{1}, kMaxPensPerRange);
}
}  // namespace

UserPenTable MakeUserPens(const UserColorMap& map) {
  UserPenTable t;
  const int used = std::clamp(map.rangeCount, 0, UserColorMap::kSlots);
  int32_t total = 0;
  for (int i = 0; i < used; ++i) {
    ColorRange r = map.ranges[i];
    r.firstPen = total;
    const int32_t c = r.count;
    if (c < 2) {
      t.colors.push_back(r.firstColor);
    } else {
      const int32_t n = PenCount(r);
      for (int32_t j = 0; j < n - 1; ++j) {
        uint8_t ch[3];
        for (int k = 0; k < 3; ++k) {
          const int a = Channel(r.firstColor, 8 * k);
          const int b = Channel(r.lastColor, 8 * k);
          // Computed in 64 bits: j * (b - a) may exceed 32 bits for huge counts.
          ch[k] = static_cast<uint8_t>(a + static_cast<int64_t>(j) * (b - a) / c);
        }
        t.colors.push_back(Rgb(ch[0], ch[1], ch[2]));
      }
      t.colors.push_back(r.lastColor);
    }
    total += PenCount(r);
    t.ranges.push_back(r);
  }
  return t;
}

int32_t UserPenTable::FindPen(int32_t key) const {
  for (const ColorRange& r : ranges) {
    if (r.from >= key && key > r.to) {
      const int64_t dist = std::llabs(static_cast<int64_t>(key) - r.from);
      // A zero step (inconsistent map) is taken as one colour for the range.
      const int64_t idx = r.step != 0 ? dist / std::llabs(static_cast<int64_t>(r.step)) : 0;
      return r.firstPen + static_cast<int32_t>(std::min<int64_t>(idx, PenCount(r) - 1));
    }
  }
  return kNoPen;
}

int32_t UserLevelKey(double p) {
  if (!(p > 0.0)) return INT32_MIN;
  const double d = 10.0 * std::log10(p * kInvFullScalePower);
  if (!(std::fabs(std::trunc(d)) < 1000000.0)) return INT32_MIN;
  return static_cast<int32_t>(d * 1000.0);
}

}  // namespace nv
