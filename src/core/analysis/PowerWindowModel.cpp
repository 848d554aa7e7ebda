#include "analysis/PowerWindowModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "analysis/PowerExport.h"
#include "analysis/PowerSpectrum.h"
#include "base/WaveFormat.h"
#include "plot/AxisRules.h"

namespace nv {

PowerWindowModel::PowerWindowModel(const PowerSettings& settings, int64_t start, int64_t end)
    : settings_(settings), start_(start < 0 ? 0 : start), end_(end) {
  if (settings_.fftSize == 0) settings_.fftSize = 1024;
  const int n = FftSize();
  if (end_ <= start_) end_ = start_ + n;
  followCursor_ = end_ == start_ + n;
  givenEnd_ = end_;
}

int PowerWindowModel::FftSize() const {
  if (setUp_) return setup_.n;
  const int n = settings_.fftSize;
  return (n >= 16 && n <= 16384 && (n & (n - 1)) == 0) ? n : 1024;
}

bool PowerWindowModel::Update(int64_t start, int64_t end, bool left, bool right, bool force) {
  if (start < 0) return force;
  if (!settings_.contUpdate) return force;
  if (end != kNone && end < start) std::swap(start, end);  // a selection's bounds in either order
  const int n = FftSize();
  start_ = start;
  if (end == kNone) {
    followCursor_ = true;
    end_ = start + n;
  } else {
    if (start + n < end) followCursor_ = false;
    end_ = end;
  }
  givenEnd_ = end_;
  settings_.leftChannel = left ? 1 : 0;
  settings_.rightChannel = right ? 1 : 0;
  return true;
}

void PowerWindowModel::SetUp(const PowerSoundFormat& format, const PowerLayout& layout) {
  format_ = format;
  setup_ = MakePowerSetup(settings_, format, layout);
  setUp_ = true;
  // The range for this frame size: one frame at the cursor, or the range
  // given (a selection) made at least one frame long. It is worked out from
  // what was given, so that a smaller size after a larger one shrinks it
  // back.
  if (followCursor_) end_ = start_ + setup_.n;
  else end_ = std::max(givenEnd_, start_ + setup_.n);
}

PowerWindowModel PowerWindowModel::ForPicture(const PowerSoundFormat& format, const PowerLayout& layout) const {
  PowerWindowModel copy = *this;
  // An automatic size follows the plot's width in pixels, which a printer
  // has many more of: the picture keeps the size the window shows.
  copy.settings_.fftSize = FftSize();
  copy.SetUp(format, layout);
  return copy;
}

void PowerWindowModel::Compute(const SampleSource& samples) {
  levels_.assign(static_cast<size_t>(setup_.n / 2), 0.0);
  framesAveraged_ = ComputePowerLevels(samples, setup_.channel, start_, end_, setup_.log2n,
                                       setup_.window, setup_.levelScale, setup_.logScale,
                                       levels_.data());
}

std::string PowerWindowModel::IntervalText() const {
  const int64_t s = format_.Time().FramesToMicroseconds(start_);
  const int64_t e = format_.Time().FramesToMicroseconds(end_);
  return IntervalText(s, e);
}

std::string PowerWindowModel::IntervalText(int64_t startUs, int64_t endUs) {
  const int64_t len = endUs - startUs;
  char buf[128];
  const double ss = startUs / 1e6, es = endUs / 1e6;
  const double sm = startUs / 1e3, em = endUs / 1e3;
  if (len > 20000000)
    std::snprintf(buf, sizeof buf, "%2.0f - %2.0f s", ss, es);
  else if (len > 2000000)
    std::snprintf(buf, sizeof buf, "%2.1f - %2.1f s", ss, es);
  else if (len > 200000)
    std::snprintf(buf, sizeof buf, "%2.2f - %2.2f s", ss, es);
  else if (len > 20000)
    std::snprintf(buf, sizeof buf, "%2.0f - %2.0f ms", sm, em);
  else if (len > 2000)
    std::snprintf(buf, sizeof buf, "%2.1f - %2.1f ms", sm, em);
  else if (len > 200)
    std::snprintf(buf, sizeof buf, "%2.2f - %2.2f ms", sm, em);
  else
    std::snprintf(buf, sizeof buf, "%d - %d \u00b5s", static_cast<int>(startUs), static_cast<int>(endUs));
  return buf;
}

std::vector<PowerLabel> PowerWindowModel::LevelLabels() const {
  std::vector<PowerLabel> out;
  const PowerSetup& p = setup_;
  if (!(p.levelMax > p.levelMin)) return out;
  if (p.logScale) {
    const double r = (p.levelMax - p.levelMin) / 1000.0;
    const double s = r < 10 ? 2 : r < 20 ? 4 : r < 80 ? 10 : 100;
    const double step = 10.0 * std::log10(s);
    const double lo = p.levelMin / 1000.0 - 1e-9;
    for (double v = p.levelMax / 1000.0; v >= lo && out.size() < 200; v -= step)
      out.push_back({p.LevelY(v), FormatDouble("%1.0f dB", v)});
  } else {
    const double r = (p.levelMax - p.levelMin) / 10000.0;
    double step = r < 0.007 ? 1.0 : r < 0.015 ? 0.002 : r < 0.04 ? 0.005 : r < 0.07 ? 0.01
                : r < 0.12 ? 0.02 : r < 0.4 ? 0.05 : r < 0.7 ? 0.1 : 0.2;
    // Wide ranges (up to 100 V²) would get hundreds of labels at 0.2 V²:
    // take the 1-2-5 step that gives at most ten.
    if (r / step > 10) {
      double decade = std::pow(10.0, std::floor(std::log10(r / 10)));
      for (double mult : {1.0, 2.0, 5.0, 10.0}) {
        step = decade * mult;
        if (r / step <= 10) break;
      }
    }
    const double lo = p.levelMin / 10000.0 - step * 1e-9;
    const std::string fmt = std::string(p.levelFormat) + " V\u00b2";
    for (int i = 0; out.size() < 200; ++i) {
      const double v = p.levelMax / 10000.0 - i * step;
      if (v < lo) break;
      out.push_back({p.LevelY(v), FormatDouble(fmt.c_str(), v)});
    }
  }
  return out;
}

int PowerWindowModel::FrequencyX(double hz) const {
  const PowerSetup& p = setup_;
  const double span = static_cast<double>(p.freqMax) - p.freqMin;
  if (span <= 0) return p.layout.plotLeft;
  const double x = p.layout.plotLeft + (hz - p.freqMin) * p.layout.plotWidth / span;
  return static_cast<int>(std::floor(x + 0.5));
}

std::vector<PowerTick> PowerWindowModel::FrequencyTicks() const {
  std::vector<PowerTick> out;
  const PowerSetup& p = setup_;
  if (p.freqMax <= p.freqMin) return out;
  const int64_t major = p.steps.major, minor = p.steps.minor;
  for (int64_t v = (p.freqMin / minor + 1) * minor; v < p.freqMax && out.size() < 1000; v += minor) {
    if (v % major == 0) continue;
    out.push_back({FrequencyX(static_cast<double>(v)), false, std::string()});
  }
  for (int64_t v = (p.freqMin / major + 1) * major; v <= p.freqMax && out.size() < 2000; v += major) {
    char buf[48];
    if (major >= 1000 && v % 1000 == 0)
      std::snprintf(buf, sizeof buf, "%d kHz", static_cast<int>(v / 1000));
    else
      std::snprintf(buf, sizeof buf, "%d Hz", static_cast<int>(v));
    out.push_back({FrequencyX(static_cast<double>(v)), true, buf});
  }
  return out;
}

std::vector<PowerPoint> PowerWindowModel::Curve() const {
  std::vector<PowerPoint> pts;
  const PowerSetup& p = setup_;
  if (levels_.empty()) return pts;
  pts.reserve(levels_.size());
  pts.push_back({p.layout.plotLeft, p.layout.plotBottom});
  for (size_t m = 1; m < levels_.size() && m < p.binX.size(); ++m)
    pts.push_back({p.binX[m], p.LevelY(levels_[m])});
  return pts;
}

bool PowerWindowModel::PositionAt(int x, int y, int64_t& hz, double& level) const {
  const PowerSetup& p = setup_;
  const PowerLayout& l = p.layout;
  if (!setUp_ || l.plotWidth <= 0 || l.plotHeight <= 0 || !l.Inside(x, y)) {
    hz = -1;
    level = -1;
    return false;
  }
  hz = p.freqMin + static_cast<int64_t>(x - l.plotLeft) * (static_cast<int64_t>(p.freqMax) - p.freqMin) / l.plotWidth;
  level = p.levelMin + (p.levelMax - p.levelMin) * (y - l.plotBottom) / l.plotHeight;
  return true;
}

const char* PowerWindowModel::UnitText() const { return setup_.logScale ? "dB" : "V\u00b2"; }

std::string PowerWindowModel::LevelText(double scaled) const {
  return FormatDouble(setup_.levelFormat, scaled / setup_.LevelFactor());
}

std::string PowerWindowModel::FrequencyText(double hz) const {
  return FormatDouble(setup_.freqFormat, hz / 1000.0);
}

std::string PowerWindowModel::ReadoutAt(int x, int y) const {
  int64_t hz;
  double level;
  if (!PositionAt(x, y, hz, level)) return std::string();
  std::string t = FrequencyText(static_cast<double>(hz));
  t += " kHz, ";
  t += LevelText(level);
  t += ' ';
  t += UnitText();
  if (!hasReference_) {
    t += ' ';
  } else {
    t += " Distance: ";
    t += FrequencyText(static_cast<double>(std::llabs(hz - refHz_)));
    t += " kHz, ";
    t += LevelText(std::fabs(level - refLevel_));
    t += ' ';
    t += UnitText();
  }
  // The curve's own level at the mouse's frequency, so that the spectrum
  // can be read without aiming at the curve.
  double spectrum = 0;
  if (SpectrumLevelAt(hz, spectrum)) {
    if (hasReference_) t += ' ';
    t += "Spectrum: ";
    t += LevelText(spectrum * setup_.LevelFactor());
    t += ' ';
    t += UnitText();
  }
  return t;
}

bool PowerWindowModel::SpectrumLevelAt(int64_t hz, double& level) const {
  const std::vector<double>& bins = setup_.binHz;
  if (levels_.empty() || bins.size() != levels_.size() || hz < 0) return false;
  const double f = static_cast<double>(hz);
  size_t m = static_cast<size_t>(std::lower_bound(bins.begin(), bins.end(), f) - bins.begin());
  if (m >= bins.size()) m = bins.size() - 1;
  else if (m > 0 && f - bins[m - 1] < bins[m] - f) --m;
  level = levels_[m];
  return true;
}

std::string PowerWindowModel::ClickAt(int x, int y) {
  int64_t hz;
  double level;
  if (!PositionAt(x, y, hz, level)) return std::string();
  hasReference_ = true;
  refHz_ = hz;
  refLevel_ = level;
  std::string t(1, ' ');
  t += FrequencyText(static_cast<double>(hz));
  t += " kHz ";
  t += LevelText(level);
  t += ' ';
  t += UnitText();
  return t;
}

bool PowerWindowModel::ReferencePoint(int& x, int& y) const {
  const PowerSetup& p = setup_;
  if (!hasReference_ || refHz_ < p.freqMin || refHz_ > p.freqMax) return false;
  x = FrequencyX(static_cast<double>(refHz_));
  y = p.LevelY(refLevel_ / p.LevelFactor());
  return true;
}

std::string PowerWindowModel::TextExport() const {
  return PowerTextExport(setup_.binHz, levels_, setup_.logScale);
}

}  // namespace nv
