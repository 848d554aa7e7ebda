#include "plot/ColorSchemes.h"

#include "settings/UserColorMap.h"

namespace nv {

namespace {

// Each channel is a byte; values outside 0 ... 255 wrap modulo 256, which
// the "Yellow & Red" scheme relies on.
uint32_t C(int r, int g, int b) {
  return Rgb(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

uint32_t YellowRed(int i, bool inv) {
  if (!inv) {
    if (i <= 20) return C(255, 255, 255 - 12 * i);
    if (i <= 41) return C(255, 251 - 12 * i, 0);
    return C(247 - 12 * i, 0, 0);
  }
  if (i <= 15) return C(255, 255, 255 - 8 * i);
  if (i <= 31) return C(255, 255 - 12 * (i - 16), 128 - 8 * (i - 16));
  if (i <= 47) return C(255 - 12 * (i - 32), 0, 0);
  return C(0, 0, 0);
}

uint32_t Grey(int i, bool inv) {
  if (!inv) return C(255 - 4 * i, 255 - 4 * i, 255 - 4 * i);
  int g = 0;
  if (i <= 15)
    g = 255 - 2 * i;
  else if (i <= 31)
    g = 225 - 6 * (i - 16);
  else if (i <= 47)
    g = 129 - 8 * (i - 32);
  return C(g, g, g);
}

// "Red" and "Blue" differ only in which channel carries the main colour.
void MainAndOthers(int i, bool inv, int& main, int& others) {
  if (!inv) {
    if (i <= 31) {
      main = 255;
      others = 255 - 8 * i;
    } else {
      main = 255 - 8 * (i - 32);
      others = 0;
    }
    return;
  }
  if (i <= 32) {
    main = 255;
    others = 255 - 4 * i;
  } else {
    main = 255 - 8 * (i - 32);
    others = 127 - 4 * (i - 32);
  }
}

uint32_t RedGreenBlue(int i, bool inv) {
  if (inv) {
    if (i <= 9) return C(255, 255 - 12 * i, 255 - 12 * i);
    if (i == 10) return C(0xFF, 0x7F, 0x80);
    if (i <= 20) return C(255, 127 + 12 * (i - 10), 128 - 12 * (i - 10));
  }
  if (i <= 9) return C(255, 255 - 24 * i, 255 - 24 * i);
  if (i == 10) return C(255, 0, 0);
  if (i <= 20) return C(255, 24 * (i - 10), 0);
  if (i == 21) return C(255, 255, 0);
  if (i <= 31) return C(255 - 24 * (i - 21), 255, 0);
  if (i == 32) return C(0, 255, 0);
  if (i <= 41) return C(0, 255, 24 * (i - 32));
  if (i == 42) return C(0, 255, 255);
  if (i <= 52) return C(0, 255 - 24 * (i - 42), 255);
  if (i == 53) return C(0, 0, 255);
  return C(0, 0, 255 - 24 * (i - 53));
}

uint32_t YellowBlue(int i, bool inv) {
  if (i <= 15) return C(255, 255, 255 - 16 * i);
  if (i <= 31) return C(255 - 16 * (i - 16), 255, 16 * (i - 16));
  if (i <= 47) return C(0, 255 - 16 * (i - 32), 255);
  if (inv) return C(0, 0, 0);
  return C(0, 0, 255 - 16 * (i - 48));
}

uint32_t YellowRedBlue(int i, bool inv) {
  if (inv) {
    if (i <= 15) return C(255, 255, 255 - 8 * i);
    if (i <= 31) return C(255, 255 - 16 * (i - 16), 128 - 8 * (i - 16));
  }
  if (i <= 15) return C(255, 255, 255 - 16 * i);
  if (i <= 31) return C(255, 255 - 16 * (i - 16), 0);
  if (i <= 47) return C(255 - 16 * (i - 32), 0, 16 * (i - 32));
  return C(0, 0, 255 - 16 * (i - 48));
}

uint32_t Fallback(int i, bool inv) {
  if (!inv) return C(255 - 4 * i, 128 - 2 * i, i);
  return C(4 * i, 127 + 2 * i, 255 - i);
}

}  // namespace

LevelPalette LevelColors(int32_t scheme, bool inv) {
  LevelPalette p{};
  for (int i = 0; i < kLevelCount; ++i) {
    int main = 0, others = 0;
    switch (scheme) {
      case 0: p[i] = YellowRed(i, inv); break;
      case 1: p[i] = inv ? C(255, 255, 255) : C(0, 0, 0); break;
      case 2: p[i] = Grey(i, inv); break;
      case 3:
        MainAndOthers(i, inv, main, others);
        p[i] = C(main, others, others);
        break;
      case 4:
        MainAndOthers(i, inv, main, others);
        p[i] = C(others, others, main);
        break;
      case 5: p[i] = RedGreenBlue(i, inv); break;
      case 6: p[i] = YellowBlue(i, inv); break;
      case 7: p[i] = YellowRedBlue(i, inv); break;
      default: p[i] = Fallback(i, inv); break;
    }
  }
  return p;
}

}  // namespace nv
