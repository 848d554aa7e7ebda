#pragma once
// The application's list of named user colour maps, in list order.
#include <functional>
#include <vector>

#include "settings/UserColorMap.h"

namespace nv {

class ColorMapList {
 public:
  std::vector<UserColorMap> maps;

  // Offers a map read from a file: it is appended when its name starts with a
  // printable character (|first byte as signed| >= 33), it has at least one
  // range in use, and no listed map has the same name (32 characters) and the
  // same update time. Returns false only when such an equal map is listed.
  bool Offer(const UserColorMap& map);
};

// The application's list of named colour maps and the hook that writes it to
// the settings store (empty until a store exists). AppCore owns it; the
// dialogs that show or edit the list are handed it. Interface thread only.
struct SharedColorMaps {
  ColorMapList list;
  std::function<void()> save;
};

}  // namespace nv
