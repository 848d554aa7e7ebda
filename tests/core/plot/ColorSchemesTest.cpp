#include "plot/ColorSchemes.h"

#include <gtest/gtest.h>

#include "settings/UserColorMap.h"

namespace nv {
namespace {

uint32_t Hex(uint32_t rrggbb) {
  return Rgb(static_cast<uint8_t>(rrggbb >> 16), static_cast<uint8_t>(rrggbb >> 8),
             static_cast<uint8_t>(rrggbb));
}

struct Expect {
  int32_t scheme;
  bool inv;
  int level;
  uint32_t rrggbb;
};

TEST(ColorSchemes, EverySchemeAndVariantAtSelectedLevels) {
  const Expect cases[] = {
      // "Yellow & Red", with the wrapped green and red bytes.
      {0, false, 0, 0xFFFFFF}, {0, false, 20, 0xFFFF0F}, {0, false, 21, 0xFFFF00},
      {0, false, 22, 0xFFF300}, {0, false, 41, 0xFF0F00}, {0, false, 42, 0xFF0000},
      {0, false, 43, 0xF30000}, {0, false, 63, 0x030000},
      {0, true, 0, 0xFFFFFF}, {0, true, 15, 0xFFFF87}, {0, true, 16, 0xFFFF80},
      {0, true, 31, 0xFF4B08}, {0, true, 32, 0xFF0000}, {0, true, 47, 0x4B0000},
      {0, true, 48, 0x000000}, {0, true, 63, 0x000000},
      // "Black & White"
      {1, false, 0, 0x000000}, {1, false, 63, 0x000000}, {1, true, 0, 0xFFFFFF},
      {1, true, 40, 0xFFFFFF},
      // "Grey"
      {2, false, 0, 0xFFFFFF}, {2, false, 63, 0x030303}, {2, true, 15, 0xE1E1E1},
      {2, true, 16, 0xE1E1E1}, {2, true, 31, 0x878787}, {2, true, 32, 0x818181},
      {2, true, 47, 0x090909}, {2, true, 48, 0x000000},
      // "Red"
      {3, false, 0, 0xFFFFFF}, {3, false, 31, 0xFF0707}, {3, false, 32, 0xFF0000},
      {3, false, 63, 0x070000}, {3, true, 32, 0xFF7F7F}, {3, true, 33, 0xF77B7B},
      {3, true, 63, 0x070303},
      // "Blue"
      {4, false, 31, 0x0707FF}, {4, false, 63, 0x000007}, {4, true, 32, 0x7F7FFF},
      {4, true, 63, 0x030307},
      // "Red, Green & Blue"
      {5, false, 9, 0xFF2727}, {5, false, 10, 0xFF0000}, {5, false, 20, 0xFFF000},
      {5, false, 21, 0xFFFF00}, {5, false, 31, 0x0FFF00}, {5, false, 32, 0x00FF00},
      {5, false, 41, 0x00FFD8}, {5, false, 42, 0x00FFFF}, {5, false, 52, 0x000FFF},
      {5, false, 53, 0x0000FF}, {5, false, 63, 0x00000F},
      {5, true, 9, 0xFF9393}, {5, true, 10, 0xFF7F80}, {5, true, 20, 0xFFF708},
      {5, true, 21, 0xFFFF00}, {5, true, 63, 0x00000F},
      // "Yellow & Blue"
      {6, false, 15, 0xFFFF0F}, {6, false, 16, 0xFFFF00}, {6, false, 31, 0x0FFFF0},
      {6, false, 47, 0x000FFF}, {6, false, 48, 0x0000FF}, {6, false, 63, 0x00000F},
      {6, true, 47, 0x000FFF}, {6, true, 48, 0x000000},
      // "Yellow, Red & Blue"
      {7, false, 15, 0xFFFF0F}, {7, false, 31, 0xFF0F00}, {7, false, 32, 0xFF0000},
      {7, false, 47, 0x0F00F0}, {7, false, 63, 0x00000F}, {7, true, 15, 0xFFFF87},
      {7, true, 16, 0xFFFF80}, {7, true, 31, 0xFF0F08}, {7, true, 32, 0xFF0000},
      // Fallback for every other value (also 100, which uses its own pens).
      {8, false, 0, 0xFF8000}, {8, false, 63, 0x03023F}, {8, true, 0, 0x007FFF},
      {8, true, 63, 0xFCFDC0}, {-1, false, 1, 0xFB7E01}, {100, true, 63, 0xFCFDC0},
  };
  for (const Expect& e : cases) {
    const LevelPalette p = LevelColors(e.scheme, e.inv);
    EXPECT_EQ(p[e.level], Hex(e.rrggbb))
        << "scheme " << e.scheme << (e.inv ? " inverted" : "") << " level " << e.level;
  }
}

TEST(ColorSchemes, PackedColoursUnpack) {
  const uint32_t c = LevelColors(5, true)[10];
  EXPECT_EQ(RedOf(c), 0xFF);
  EXPECT_EQ(GreenOf(c), 0x7F);
  EXPECT_EQ(BlueOf(c), 0x80);
}

}  // namespace
}  // namespace nv
