#include "plot/PlotSetup.h"

#include "base/IntegerClamp.h"
#include "plot/TimeFormat.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace nv {

namespace {

std::string SpectrogramTitle(const SpectrogramSetup& s) {
  char buf[160];
  if (s.overlapPercent < 0)
    std::snprintf(buf, sizeof buf, "Spectrogram, FFT size %d%s", s.fftSize, s.windowSuffix.c_str());
  else if (s.overlapPercent == 0)
    std::snprintf(buf, sizeof buf, "Spectrogram, FFT size %d%s, no overlap.", s.fftSize,
                  s.windowSuffix.c_str());
  else
    std::snprintf(buf, sizeof buf, "Spectrogram, FFT size %d%s, %d%% overlap.", s.fftSize,
                  s.windowSuffix.c_str(), s.overlapPercent);
  return buf;
}

}  // namespace

int32_t Sample16ToAmplitude(int32_t v) { return static_cast<int32_t>(int64_t{v} * 20000 / 65536); }
int32_t Sample8ToAmplitude(int32_t u) {
  return static_cast<int32_t>((int64_t{u} * 20000 - 2560000) / 256);
}

void PlotSetup::SetFirstSample(int64_t s) {
  if (s < 0) s = 0;
  spect.firstVisibleSample = ClampToInt32(s);
  spect.lastVisibleSample = ClampToInt32(int64_t{spect.firstVisibleSample} + spect.samplesPerPlot);
  startTimeNs = SampleToNs(spect.firstVisibleSample);
}

int64_t PlotSetup::SampleToNs(int64_t s) const {
  const int64_t rate = spect.effectiveRateHz;
  if (rate <= 0) return 0;
  if (s <= 100000 && s >= -100000) return s * 1000000000 / rate;
  return static_cast<int64_t>(static_cast<double>(s) * 1e9 / static_cast<double>(rate));
}

int32_t PlotSetup::SampleToX(int64_t s) const {
  if (!hasDocument) return -1;
  const int64_t spp = std::max(spect.samplesPerPlot, 1);
  const int64_t w = layout.plotWidth;
  const int64_t d = s - spect.firstVisibleSample;
  if (w <= 1000000 && s < 50001 && d >= -50001) return ClampToInt32(d * w / spp + layout.leftMargin);
  return ClampToInt32(static_cast<double>(d) * static_cast<double>(w) / static_cast<double>(spp) +
                 layout.leftMargin);
}

int32_t PlotSetup::XToSample(int64_t x) const {
  if (!hasDocument) return -1;
  const int64_t w = std::max(layout.plotWidth, 1);
  const int64_t dx = std::max<int64_t>(x, layout.leftMargin) - layout.leftMargin;
  return ClampToInt32(dx * spect.samplesPerPlot / w + spect.firstVisibleSample);
}

int32_t PlotSetup::TimeToX(int64_t ns) const {
  if (!hasDocument) return -1;
  const int64_t d = std::max<int64_t>(durationNs, 1);
  const int64_t dt = ns - startTimeNs;
  if (d <= 10000000 && dt > -(int64_t{1} << 40) && dt < (int64_t{1} << 40))
    return ClampToInt32(dt * layout.plotWidth / d + layout.leftMargin);
  return ClampToInt32(static_cast<double>(dt) * layout.plotWidth / static_cast<double>(d) +
                 layout.leftMargin);
}

int32_t PlotSetup::AmplitudeToY(int64_t a) const {
  const PlotRect& r = layout.osc;
  if (!hasDocument || a < amp.min) return r.bottom;
  if (a > amp.max) return r.top;
  const int64_t span = std::max<int64_t>(int64_t{amp.max} - amp.min, 1);
  return ClampToInt32(r.bottom + (a - amp.min) * r.height() / span);
}

int32_t PlotSetup::YToAmplitude(int64_t y) const {
  const PlotRect& r = layout.osc;
  if (!hasDocument) return amp.min;
  if (y > r.top) return amp.max;
  const int64_t h = std::max(r.height(), 1);
  return ClampToInt32(amp.min + (y - r.bottom) * (int64_t{amp.max} - amp.min) / h);
}

int32_t PlotSetup::FrequencyToY(int64_t hz) const {
  const PlotRect& r = layout.spect;
  if (!hasDocument || hz < spect.minFrequencyHz) return r.bottom;
  if (hz > spect.maxFrequencyHz) return r.top;
  const double span = static_cast<double>(spect.maxFrequencyHz) - spect.minFrequencyHz;
  if (span <= 0) return r.bottom;
  return ClampToInt32(r.bottom + static_cast<double>(hz - spect.minFrequencyHz) / span * r.height());
}

int32_t PlotSetup::SampleValueToAmplitude(int32_t raw) const {
  return bitsPerSample == 8 ? Sample8ToAmplitude(raw) : Sample16ToAmplitude(raw);
}

PlotArea PlotSetup::HitTest(int64_t x, int64_t y) const {
  if (bothChannels && y < -layout.channelHeight) y += layout.channelShift;
  if (oscShown && layout.osc.Contains(x, y)) return PlotArea::Oscillogram;
  if (spectAreaShown() && layout.spect.Contains(x, y))
    return spectShown ? PlotArea::Spectrogram : PlotArea::ZeroCrossing;
  return PlotArea::None;
}

bool PlotSetup::IsShown(PlotArea area) const {
  switch (area) {
    case PlotArea::Oscillogram: return oscShown;
    case PlotArea::Spectrogram: return spectShown;
    case PlotArea::ZeroCrossing: return zcShown;
    default: return false;
  }
}

PlotSetup MakePlotSetup(const SoundSource& sound, AnalysisSettings& settings, PixelScale scale,
                        int32_t widthPixels, int32_t heightPixels) {
  PlotSetup p;
  p.hasDocument = true;
  p.frameCount = std::max(sound.frameCount, 0);
  p.channels = sound.channels == 2 ? 2 : 1;
  p.bitsPerSample = sound.bitsPerSample == 8 ? 8 : 16;
  p.fontSize = std::clamp(settings.fontSize, 1, 200);

  // Diagrams and channels.
  p.oscShown = settings.oscillogramShown != 0;
  p.lineBetweenSamples = settings.lineBetweenSamples != 0;
  p.zcShown = settings.freqPlot != 0;
  p.spectShown = settings.spectrogramShown != 0 && !p.zcShown;
  p.colorBarShown = p.spectShown && settings.colorBar != 0;
  if (p.channels == 2) {
    const bool left = settings.leftChannel != 0, right = settings.rightChannel != 0;
    p.bothChannels = left == right;  // neither is taken as both
    p.singleChannel = !left && right ? 1 : 0;
  }

  // Amplitude range and its formats.
  p.amp = MakeAmplitudeAxis(settings, p.oscShown);

  // Layout, then the spectrogram quantities that depend on it.
  PlotLayoutInput in;
  in.scale = scale;
  in.widthPixels = widthPixels;
  in.heightPixels = heightPixels;
  in.fontSize = p.fontSize;
  in.oscillogram = p.oscShown;
  in.spectrogram = p.spectAreaShown();
  in.colorBar = p.colorBarShown;
  in.bothChannels = p.bothChannels;
  auto layOut = [&] {
    p.layout = MakePlotLayout(in);
    PlotGeometry g;
    g.scale = scale;
    g.plotWidthUnits = p.layout.plotWidth;
    g.spectBottom = p.layout.spect.bottom;
    g.spectHeight = p.spectAreaShown() ? p.layout.spect.height() : 0;
    p.spect = MakeSpectrogramSetup(sound, settings, g);

    // Time axis.
    p.durationNs = p.spect.plotDurationNs;
    p.tickNs = TimeTickIntervalNs(p.durationNs);
    p.timeCode = TimeFormatCode(p.tickNs);
    p.readoutCode = FinerTimeFormatCode(p.timeCode, p.tickNs);
  };
  layOut();
  if (p.layout.combined) {
    // The combined view's time texts go right of the plot, 120 units from
    // it: room for the widest they get anywhere in the sound (the end time
    // of a plot scrolled to the end, with no trailing zeros removed), so
    // that scrolling keeps the width.
    const int64_t lastEndNs = p.SampleToNs(p.frameCount) + p.durationNs;
    CombinedTimeTexts t;
    t.end = FormatTimeValue(p.readoutCode, lastEndNs);
    t.interval = FormatTimeValue(p.readoutCode, p.tickNs);
    t.unit = TimeUnitName(p.readoutCode);
    // The interval's line as if it were one (a shorter interval text, with
    // its zeros removed, may be written on one line).
    const size_t chars = std::max(t.end.size() + 1 + t.unit.size(),
                                  t.interval.size() + t.unit.size() + 5);
    in.rightTextUnits = 120 + TextWidthBoundUnits(static_cast<int32_t>(chars), p.fontSize);
    if (in.rightTextUnits + 4 * std::max(scale.unitsPerPixel, 1) > p.layout.rightMargin) layOut();
  }

  // Frequency axis and the zero-crossing set-up.
  settings.minFrequencyHz = p.spect.settledMinFrequencyHz;
  settings.maxFrequencyHz = p.spect.settledMaxFrequencyHz;
  p.freq = MakeFrequencyAxis(p.spect.minFrequencyHz, p.spect.maxFrequencyHz);
  p.zc = MakeZeroCrossingSetup(settings, p.bitsPerSample);

  p.oscGridX = settings.oscGridX;
  p.oscGridY = settings.oscGridY;
  p.spectGridX = settings.spectGridX;
  p.spectGridY = settings.spectGridY;
  p.freqGridX = settings.freqGridX;
  p.freqGridY = settings.freqGridY;

  p.spectTitle = SpectrogramTitle(p.spect);
  p.SetFirstSample(p.spect.firstVisibleSample);
  // The settings keep a last visible sample only when one was set.
  return p;
}

}  // namespace nv
