#include "settings/ColorMapList.h"

#include <cstdlib>
#include <cstring>

namespace nv {

bool ColorMapList::Offer(const UserColorMap& map) {
  for (const UserColorMap& m : maps) {
    if (std::memcmp(m.name.data(), map.name.data(), 32) == 0 && m.updateLow == map.updateLow &&
        m.updateHigh == map.updateHigh)
      return false;
  }
  const int first = static_cast<int8_t>(map.name[0]);
  if (std::abs(first) >= 33 && map.rangeCount >= 1) maps.push_back(map);
  return true;
}

}  // namespace nv
