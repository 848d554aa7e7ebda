#pragma once
// A mark menu as data: one item per mark, its label and command identifier.
// The interface builds the "Set active mark" and "Scroll to mark" submenus
// from it.
#include <string>
#include <vector>

namespace nv {

struct MarkMenuItem {
  std::string label;
  int commandId;
};

struct MarkMenu {
  static constexpr int kSetActiveBase = 32859;  // "Set active mark" + number
  static constexpr int kScrollToBase = 32959;   // "Scroll to mark" + number
  std::vector<MarkMenuItem> items;
};

}  // namespace nv
