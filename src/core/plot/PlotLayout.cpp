#include "plot/PlotLayout.h"

#include <algorithm>

namespace nv {

int32_t BarLabelLineUnits(int32_t fontSize) { return 24 * std::max(fontSize - 1, 1); }

int32_t TextWidthBoundUnits(int32_t chars, int32_t fontSize) {
  return std::max(chars, 0) * 13 * std::max(fontSize, 1);
}

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
  l.combined = in.oscillogram && in.spectrogram;
  l.rightMargin = l.leftMargin;
  // The combined view writes its time texts right of the plot: the plot
  // ends early enough for them to end inside the client.
  if (l.combined) l.rightMargin = std::max(l.rightMargin, in.rightTextUnits + 4 * upp);
  l.plotLeft = l.leftMargin;
  l.plotWidth = std::max(l.clientWidth - l.leftMargin - l.rightMargin, 0);
  l.plotRight = l.plotLeft + l.plotWidth;

  const int32_t top = 0;
  const int32_t bottom = -l.channelHeight;
  auto span = [&](PlotRect& r, int32_t t, int32_t b) {
    r.left = l.plotLeft;
    r.right = l.plotRight;
    r.top = t;
    r.bottom = std::min(b, t);
  };
  if (l.combined) {
    // Under the spectrogram a band as high as a single diagram's time axis
    // takes the tick labels, 60 units under the spectrogram's tick marks.
    // The oscillogram gives up the room: the time axis lies that much above
    // the middle of the client, so the spectrogram keeps its height.
    const int32_t band = 20 * f + 100;
    const int32_t middle = top + (bottom - top) / 2 + band;
    l.timeAxisY = middle;
    span(l.osc, top - (20 * f + 80), middle + 100);
    span(l.spect, middle - 400, bottom + 40 + band);
    l.timeLineY = l.osc.bottom;
    l.timeLabelY = l.spect.bottom - 60;
  } else {
    l.timeAxisY = bottom + 20 * f + 140;
    l.timeLineY = l.timeAxisY;
    l.timeLabelY = l.timeAxisY - 60;
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
    // The bar keeps a line of labels (two pixels under its top and two
    // above the ticks) over a colour band at least as high: a lower bar is
    // grown to that height while the spectrogram keeps twice the bar's
    // height, else it shows its colours without labels.
    const int32_t line = BarLabelLineUnits(f);
    const int32_t withLabels = 2 * line + 6 * upp + 20;
    if (hb < withLabels && spectHeight - withLabels >= 2 * withLabels) hb = withLabels;
    l.barLabels = hb >= withLabels;
    l.bar.right = l.plotRight;
    l.bar.left = l.plotRight - w;
    l.bar.top = t + 380;
    l.bar.bottom = t + 400 - hb;
    l.spect.top = std::max(l.bar.bottom - 20, l.spect.bottom);
    l.barLabelTop = l.bar.top - 2 * upp;
    l.barColorTop = l.barLabels ? l.barLabelTop - line - 2 * upp : l.bar.top;
  }
  return l;
}

}  // namespace nv
