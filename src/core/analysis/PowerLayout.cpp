#include "analysis/PowerLayout.h"

#include <algorithm>
#include <cmath>

namespace nv {

PowerLayout MakePowerLayout(int widthTw, int heightTw, double twipsPerPixel, int fontPoints) {
  PowerLayout l;
  l.widthTw = std::max(0, widthTw);
  l.heightTw = std::max(0, heightTw);
  l.twipsPerPixel = twipsPerPixel > 0 ? twipsPerPixel : 1.0;
  const int pixelTw = static_cast<int>(std::lround(l.twipsPerPixel));
  l.fontPoints = fontPoints;
  const int pt = kTwipsPerPoint;
  const int left = static_cast<int>(std::lround(5 * l.twipsPerPixel)) + 4 * fontPoints * pt;
  const int right = 6 * pt;
  const int top = 7 * pt;
  const int bottom = 11 * pt + 2 * fontPoints * pt;
  l.plotLeft = left;
  l.plotBottom = bottom;
  l.plotWidth = std::max(0, l.widthTw - left - right);
  l.plotHeight = std::max(0, l.heightTw - top - bottom);
  l.penWidth = std::max(20, pixelTw);
  l.readoutBaseline = 12 * pt;
  return l;
}

}  // namespace nv
