#include "plot/PlotLayout.h"

#include <algorithm>

namespace nv {

PlotLayout MakePlotLayout(const PlotLayoutInput& in) {
  PlotLayout l;
  const int64_t per1000 = std::max(in.scale.unitsPer1000Pixels, 1);
  const int32_t upp = std::max(in.scale.unitsPerPixel, 1);
  const int32_t f = std::max(in.fontSize, 1);
  l.clientWidth = static_cast<int32_t>(std::max(in.widthPixels, 0) * per1000 / 1000);
  l.clientHeight = static_cast<int32_t>(std::max(in.heightPixels, 0) * per1000 / 1000);
  l.channelHeight = in.bothChannels ? l.clientHeight / 2 : l.clientHeight;
  l.channelShift = in.bothChannels ? l.channelHeight : 0;
  l.leftMargin = static_cast<int32_t>(5 * per1000 / 1000) + 100 * f;
  l.plotLeft = l.leftMargin;
  l.plotWidth = std::max(l.clientWidth - 2 * l.leftMargin, 0);
  l.plotRight = l.plotLeft + l.plotWidth;

  const int32_t top = 0;
  const int32_t bottom = -l.channelHeight;
  l.combined = in.oscillogram && in.spectrogram;
  auto span = [&](PlotRect& r, int32_t t, int32_t b) {
    r.left = l.plotLeft;
    r.right = l.plotRight;
    r.top = t;
    r.bottom = std::min(b, t);
  };
  if (l.combined) {
    const int32_t middle = top + (bottom - top) / 2;
    l.timeAxisY = middle;
    span(l.osc, top - (20 * f + 80), middle + 100);
    span(l.spect, middle - 400, bottom + 40);
    l.timeLineY = l.osc.bottom;
  } else {
    l.timeAxisY = bottom + 20 * f + 140;
    l.timeLineY = l.timeAxisY;
    if (in.oscillogram) span(l.osc, top - (20 * f + 80), l.timeAxisY + 20);
    if (in.spectrogram) span(l.spect, top - 400, l.timeAxisY + 20);
  }

  if (in.spectrogram && in.colorBar) {
    const int32_t t = l.spect.top;
    const int32_t s = l.plotRight;  // client left edge to the plot's right edge
    int32_t w = std::min(s / 3, 1200 * (f - 1));
    if (s / 3 < 320 * f - 20) w = 320 * f - 320;
    w = std::max(w, 0);
    const int32_t spectHeight = l.spect.height();
    int32_t hb = 60 * f - 40;
    if (spectHeight < 480 * f - 320) hb = std::max(spectHeight / 8, 40 * f - 120);
    l.bar.right = l.plotRight;
    l.bar.left = l.plotRight - w;
    l.bar.top = t + 380;
    l.bar.bottom = t + 400 - hb;
    l.spect.top = std::max(l.bar.bottom - 20, l.spect.bottom);
    const int32_t half = hb / 2;
    l.barLabelTop = l.bar.top - 2 * upp;
    if (half < 20 * f + 20) {
      // A low bar: the labels keep the height of a text line, the colours
      // get what is left below them (at least a few pixels).
      const int32_t colors = std::max(hb - (20 * f + 20), 3 * upp);
      l.barColorTop = l.bar.bottom + std::min(colors, hb);
    } else {
      l.barColorTop = l.bar.bottom + half;
    }
  }
  return l;
}

}  // namespace nv
