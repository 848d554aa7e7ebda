#pragma once
// The layout of a power-spectrum drawing in twips (1/1440 inch) with y
// upwards: the origin is the bottom-left corner of the drawing area, so the
// same numbers serve the window, a bitmap, a printed page and a vector file.
#include <cstdint>

namespace nv {

inline constexpr int kTwipsPerPoint = 20;
inline constexpr int kPowerFontPoints = 8;

struct PowerLayout {
  // The drawing area.
  int widthTw = 0;
  int heightTw = 0;
  // Twips per device pixel: 15 on a 96-dpi screen, 1.2 on a 1200-dpi
  // printer (not rounded, so that a print has the proportions of the screen).
  double twipsPerPixel = 15;
  // The plot rectangle: left and bottom edges, width and height.
  int plotLeft = 0;
  int plotBottom = 0;
  int plotWidth = 0;
  int plotHeight = 0;
  int penWidth = 20;     // one device pixel, at least 20 twips
  int fontPoints = kPowerFontPoints;
  int readoutBaseline = 0;  // y of the top of the text line below the frequency labels
  int PlotTop() const { return plotBottom + plotHeight; }
  int PlotRight() const { return plotLeft + plotWidth; }
  // Plot width in device pixels (for the automatic FFT size).
  int PlotWidthPixels() const {
    return twipsPerPixel > 0 ? static_cast<int>(plotWidth / twipsPerPixel) : plotWidth;
  }
  bool Inside(int x, int y) const {
    return x >= plotLeft && x <= PlotRight() && y >= plotBottom && y <= PlotTop();
  }
};

// Margins: left 5 pixels + 4 x the font size in points, top 7 points, right
// 6 points, bottom 11 points + two lines of the font: the 5-point ticks, the
// frequency labels and below them the readout and interval line. A plot
// never gets a negative width or height.
PowerLayout MakePowerLayout(int widthTw, int heightTw, double twipsPerPixel,
                            int fontPoints = kPowerFontPoints);

}  // namespace nv
