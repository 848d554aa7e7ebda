#pragma once
// Where the diagrams of a plot go: the rectangles of the oscillogram, the
// spectrogram (also the zero-crossing diagram), the colour bar and the time
// axis, in logical units (1/1440 inch) with y upwards and the client's
// top-left corner at (0, 0), so every y inside the client is 0 or negative.
//
// With both channels of a stereo sound shown, the layout is that of the
// upper (left) channel; the lower (right) channel is the same picture moved
// down by channelShift units. Pure data and one pure function.
#include <cstdint>

#include "plot/SpectrogramSetup.h"

namespace nv {

// A rectangle with y upwards: top >= bottom.
struct PlotRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return top - bottom; }
  bool Contains(int64_t x, int64_t y) const {
    return x >= left && x <= right && y <= top && y >= bottom;
  }
};

struct PlotLayoutInput {
  PixelScale scale;
  int32_t widthPixels = 0;
  int32_t heightPixels = 0;
  int32_t fontSize = 9;  // points
  bool oscillogram = true;
  bool spectrogram = true;  // spectrogram or zero-crossing diagram
  bool colorBar = true;     // only with a spectrogram
  bool bothChannels = false;
  // Combined view: the room its time texts need right of the plot (from the
  // plot's right edge); the plot is shortened when the margin is narrower.
  int32_t rightTextUnits = 0;
};

struct PlotLayout {
  int32_t clientWidth = 0;   // units
  int32_t clientHeight = 0;  // units, the whole client
  int32_t channelHeight = 0; // units of one channel's picture
  int32_t channelShift = 0;  // downward shift of the right channel (0 with one channel)
  int32_t leftMargin = 0;
  int32_t rightMargin = 0;   // the left margin, or wider for the combined view's time texts
  int32_t plotLeft = 0;
  int32_t plotWidth = 0;
  int32_t plotRight = 0;
  bool combined = false;     // oscillogram and spectrogram area both shown
  PlotRect osc;              // valid when the oscillogram is shown
  PlotRect spect;            // valid when the spectrogram area is shown
  PlotRect bar;              // valid when the colour bar is shown
  int32_t barColorTop = 0;   // the colours fill bar.bottom ... barColorTop
  int32_t barLabelTop = 0;   // the labels hang from here
  bool barLabels = true;     // false when the bar is too low for its labels
  int32_t timeAxisY = 0;     // y of the time axis (combined: the middle)
  int32_t timeLineY = 0;     // y of the drawn time-axis line
  int32_t timeLabelY = 0;    // the tick labels hang from here (combined: under the spectrogram)
};

PlotLayout MakePlotLayout(const PlotLayoutInput& in);

// The height of one line of the colour bar's labels (the font one point
// smaller than `fontSize`), in logical units: 1.2 times the point size.
int32_t BarLabelLineUnits(int32_t fontSize);
// A width that a text of `chars` characters of a `fontSize` point label font
// does not exceed (0.65 em a character), in logical units.
int32_t TextWidthBoundUnits(int32_t chars, int32_t fontSize);

}  // namespace nv
