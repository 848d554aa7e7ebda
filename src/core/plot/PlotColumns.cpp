#include "plot/PlotColumns.h"

#include <algorithm>

namespace nv {

namespace {

// The first sample of the column at x.
struct ColumnWalk {
  int64_t a, b, x0, spanX;
  explicit ColumnWalk(const ColumnStretch& st)
      : a(st.firstSample), b(st.lastSample), x0(st.firstX),
        spanX(std::max<int64_t>(int64_t{st.lastX} - st.firstX, 1)) {}
  int64_t FirstSampleAt(int64_t x) const { return a + (x - x0) * (b - a) / spanX; }
};

// The x of the column after column i of xs (one device pixel further).
int64_t NextColumnX(const SpectrogramSetup& s, const std::vector<int32_t>& xs, size_t i) {
  if (i + 1 < xs.size()) return xs[i + 1];
  if (s.scale.unitsPerPixel >= 10) return int64_t{xs[i]} + s.scale.unitsPerPixel;
  const int64_t step = std::max<int64_t>(s.scale.unitsPer1000Pixels / 1000, 1);
  return int64_t{xs[i]} + step;
}

}  // namespace

ColumnStretch StretchForClip(const PlotSetup& setup, int32_t clipLeft, int32_t clipRight,
                             int32_t channel) {
  ColumnStretch st;
  st.channel = channel;
  st.firstSample = 0;
  st.lastSample = -1;
  if (!setup.hasDocument || setup.frameCount <= 0 || setup.layout.plotWidth <= 0) return st;
  const int32_t left = std::max(clipLeft, setup.layout.plotLeft);
  const int32_t right = std::min(clipRight, setup.layout.plotRight);
  if (right < left) return st;
  int64_t a = setup.XToSample(left), b = setup.XToSample(right);
  a = std::max<int64_t>(a, setup.firstVisible());
  b = std::min<int64_t>(b, setup.lastVisible());
  b = std::min<int64_t>(b, setup.frameCount);
  if (b <= a) return st;
  st.firstSample = static_cast<int32_t>(a);
  st.lastSample = static_cast<int32_t>(b);
  st.firstX = setup.SampleToX(a);
  st.lastX = setup.SampleToX(b);
  if (st.lastX <= st.firstX) st.lastX = st.firstX;
  return st;
}

void ComputeOscillogramColumns(const PlotSetup& setup, const SoundSource& sound,
                               const ColumnStretch& st, std::vector<OscillogramColumn>& out) {
  out.clear();
  if (!sound.samples || sound.frameCount <= 0 || st.lastSample < st.firstSample) return;
  const std::vector<int32_t> xs = ColumnPositions(setup.spect, st);
  out.reserve(xs.size());
  const ColumnWalk walk(st);
  const SampleSource samples = sound.Samples();
  const int64_t n = samples.Frames();
  const int64_t perColumn = setup.spect.samplesPerColumn;
  const bool eight = samples.Bits() == 8;
  for (size_t i = 0; i < xs.size(); ++i) {
    const int32_t x = xs[i];
    const int64_t s0 = walk.FirstSampleAt(x);
    if (s0 >= n || s0 < 0) continue;
    int64_t count = walk.FirstSampleAt(NextColumnX(setup.spect, xs, i)) - s0;
    if (perColumn > 0) count = std::min(count, perColumn);
    count = std::clamp<int64_t>(count, 1, n - s0);
    int32_t mn, mx;
    samples.MinMaxRaw(s0, count, st.channel, mn, mx);
    // 8-bit amplitudes are converted from the stored unsigned value.
    const int32_t lo = eight ? Sample8ToAmplitude(mn + 128) : Sample16ToAmplitude(mn);
    const int32_t hi = eight ? Sample8ToAmplitude(mx + 128) : Sample16ToAmplitude(mx);
    out.push_back(OscillogramColumn{x, setup.AmplitudeToY(lo), setup.AmplitudeToY(hi)});
  }
}

void ComputeZeroCrossingColumns(const PlotSetup& setup, const SoundSource& sound,
                                const ColumnStretch& st, std::vector<ZeroCrossingPoint>& out) {
  out.clear();
  if (!sound.samples || sound.frameCount <= 0 || st.lastSample < st.firstSample) return;
  const std::vector<int32_t> xs = ColumnPositions(setup.spect, st);
  out.reserve(xs.size());
  const ColumnWalk walk(st);
  for (size_t i = 0; i < xs.size(); ++i) {
    const int32_t x = xs[i];
    const int64_t s0 = walk.FirstSampleAt(x);
    const int64_t s1 = walk.FirstSampleAt(NextColumnX(setup.spect, xs, i));
    ZeroCrossingPoint p;
    p.x = x;
    p.hz = ZeroCrossingEstimate(setup.zc, sound, setup.effectiveRateHz(), st.channel, s0, s1);
    if (p.hz >= 0) p.y = setup.FrequencyToY(p.hz);
    out.push_back(p);
  }
}

}  // namespace nv
