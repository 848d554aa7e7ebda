#include "plot/SpectrogramColumns.h"

#include <algorithm>
#include <thread>

#include "dsp/BinPower.h"
#include "dsp/RealFft.h"

namespace nv {

namespace {

// acc[k] = (or +=) BinPower of bins kLo ... kHi of the transformed frame x.
// The loop exists twice, for the base instruction set and for AVX2, and the
// variant is chosen on first use from the processor's features (no
// load-time resolvers: they run before a sanitizer's runtime exists). No
// FMA: both variants give the same bits.
template <int Variant>
inline void PowerBinsBody(const double* x, int n, int kLo, int kHi, double* acc, bool add) {
  if (add) {
    for (int k = kLo; k <= kHi; ++k) {
      const double re = 2.0 * x[k], im = 2.0 * x[n - k];
      acc[k] += re * re + im * im;
    }
  } else {
    for (int k = kLo; k <= kHi; ++k) {
      const double re = 2.0 * x[k], im = 2.0 * x[n - k];
      acc[k] = re * re + im * im;
    }
  }
}

using PowerBinsFn = void (*)(const double*, int, int, int, double*, bool);

void PowerBinsBase(const double* x, int n, int kLo, int kHi, double* acc, bool add) {
  PowerBinsBody<0>(x, n, kLo, kHi, acc, add);
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void PowerBinsAvx2(const double* x, int n, int kLo, int kHi,
                                                   double* acc, bool add) {
  PowerBinsBody<1>(x, n, kLo, kHi, acc, add);
}
#endif

PowerBinsFn ChoosePowerBins() {
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return &PowerBinsAvx2;
#endif
  return &PowerBinsBase;
}

void PowerBins(const double* x, int n, int kLo, int kHi, double* acc, bool add) {
  static const PowerBinsFn fn = ChoosePowerBins();
  fn(x, n, kLo, kHi, acc, add);
}

// Computes the values of one column from its frames.
class ColumnWorker {
 public:
  ColumnWorker(const SpectrogramSetup& setup, const SampleSource& sound, int channel)
      : setup_(setup),
        sound_(sound),
        channel_(channel),
        n_(setup.fftSize),
        frame_(static_cast<size_t>(setup.fftSize)),
        power_(static_cast<size_t>(setup.fftSize / 2), 0.0) {
    kLo_ = std::max(setup.firstVisibleBin, 1);
    kHi_ = std::min(setup.lastVisibleBin, n_ / 2 - 1);
  }

  // Writes the values of bins firstVisibleBin ... lastVisibleBin to levels
  // (built-in scheme) or pens (user scheme).
  void Compute(const ColumnFrames& f, int8_t* levels, int32_t* pens) {
    const double* window = setup_.windowTable.data();
    double* x = frame_.data();
    double* acc = power_.data();
    const int n = n_;
    for (int32_t j = 0; j < f.frameCount; ++j) {
      const int64_t start = f.firstFrameStart + static_cast<int64_t>(j) * setup_.frameAdvance;
      sound_.ReadWindowed(start, n, channel_, window, x);
      RealFft(x, setup_.log2Fft);
      PowerBins(x, n, kLo_, kHi_, acc, j != 0);
    }
    if (f.frameCount > 1) {
      const double frames = f.frameCount;
      for (int k = kLo_; k <= kHi_; ++k) acc[k] /= frames;
    }
    // Bin 0 is never filled: no level, or the pen of power 0.
    const int first = setup_.firstVisibleBin;
    if (setup_.userScheme) {
      int32_t* v = pens - first;
      const int32_t none = setup_.userPens.FindPen(UserLevelKey(0.0));
      for (int k = first; k < kLo_; ++k) v[k] = none;
      for (int k = kLo_; k <= kHi_; ++k) v[k] = setup_.userPens.FindPen(UserLevelKey(acc[k]));
    } else {
      int8_t* v = levels - first;
      for (int k = first; k < kLo_; ++k) v[k] = static_cast<int8_t>(kNoLevel);
      if (kHi_ >= kLo_) setup_.levels.Levels(acc + kLo_, kHi_ - kLo_ + 1, v + kLo_);
    }
  }

 private:
  const SpectrogramSetup& setup_;
  const SampleSource& sound_;
  int channel_;
  int n_;
  int kLo_ = 1, kHi_ = 0;
  std::vector<double> frame_;
  std::vector<double> power_;
};

// Computes the rows of the columns [begin, end) of the plan that compute
// frames.
void ComputeChunk(const SpectrogramSetup& setup, const SampleSource& sound, int channel,
                  const std::vector<ColumnFrames>& plan, size_t begin, size_t end,
                  SpectrogramColumns& out) {
  ColumnWorker worker(setup, sound, channel);
  for (size_t c = begin; c < end; ++c) {
    if (plan[c].repeatOf >= 0) continue;
    const size_t at = out.rowStart(c);
    if (out.userScheme)
      worker.Compute(plan[c], nullptr, out.pens.data() + at);
    else
      worker.Compute(plan[c], out.levels.data() + at, nullptr);
  }
}

}  // namespace

std::vector<int32_t> ColumnPositions(const SpectrogramSetup& setup, const ColumnStretch& st) {
  std::vector<int32_t> xs;
  if (st.lastX < st.firstX) return xs;
  const int64_t per = setup.scale.unitsPerPixel;
  const int64_t per1000 = std::max<int32_t>(setup.scale.unitsPer1000Pixels, 1);
  for (int64_t k = 0;; ++k) {
    const int64_t x = per >= 10 ? st.firstX + k * per : st.firstX + k * per1000 / 1000;
    if (x > st.lastX) break;
    xs.push_back(static_cast<int32_t>(x));
  }
  return xs;
}

std::vector<int64_t> ColumnSampleBounds(const SpectrogramSetup& setup, const ColumnStretch& st,
                                        const std::vector<int32_t>& xs) {
  std::vector<int64_t> bounds(xs.size() + 1);
  const int64_t a = st.firstSample, b = st.lastSample;
  const int64_t x0 = st.firstX;
  const int64_t spanX = std::max<int64_t>(static_cast<int64_t>(st.lastX) - x0, 1);
  const int64_t per = setup.scale.unitsPerPixel;
  const int64_t per1000 = std::max<int32_t>(setup.scale.unitsPer1000Pixels, 1);
  auto firstSampleAt = [&](int64_t x) { return a + (x - x0) * (b - a) / spanX; };
  for (size_t c = 0; c < xs.size(); ++c) bounds[c] = firstSampleAt(xs[c]);
  const auto k = static_cast<int64_t>(xs.size());
  bounds[xs.size()] = firstSampleAt(per >= 10 ? x0 + k * per : x0 + k * per1000 / 1000);
  return bounds;
}

std::vector<ColumnFrames> PlanColumnFrames(const SpectrogramSetup& setup, int32_t frameCount,
                                           const ColumnStretch& st,
                                           const std::vector<int32_t>& xs) {
  std::vector<ColumnFrames> plan(xs.size());
  if (xs.empty()) return plan;
  const int64_t a = st.firstSample;
  const int64_t halfN = setup.fftSize / 2;
  const int64_t n = setup.fftSize;
  const std::vector<int64_t> bounds = ColumnSampleBounds(setup, st, xs);

  const bool automatic = setup.overlapPercent < 0;
  int64_t nextStart = a - halfN;
  int32_t lastComputed = -1;
  for (size_t c = 0; c < xs.size(); ++c) {
    const int64_t colFirst = bounds[c];
    const int64_t latest = bounds[c + 1] - halfN;
    ColumnFrames& f = plan[c];
    if (automatic) {
      f.firstFrameStart = colFirst - halfN;
      f.frameCount = 1;
      lastComputed = static_cast<int32_t>(c);
      continue;
    }
    if (lastComputed >= 0 && nextStart > latest) {
      f.repeatOf = lastComputed;
      continue;
    }
    f.firstFrameStart = nextStart;
    do {
      const int64_t end = nextStart + n;
      ++f.frameCount;
      nextStart += setup.frameAdvance;
      if (end == frameCount) break;  // a frame ending at the end of the document
    } while (nextStart <= latest);
    lastComputed = static_cast<int32_t>(c);
  }
  return plan;
}

std::vector<LevelRun> ColumnRuns(const SpectrogramSetup& setup, const SpectrogramColumns& cols,
                                 size_t c) {
  std::vector<LevelRun> runs;
  const int first = cols.firstBin;
  auto add = [&](int i, int j, int32_t value) {
    const int k = first + i;
    const int32_t lower = k == setup.firstVisibleBin ? setup.spectBottom : setup.binRow[k - 1];
    runs.push_back(LevelRun{lower, setup.binRow[first + j], value});
  };
  if (cols.userScheme)
    ForEachRun(cols.penRow(c), cols.binCount, add);
  else
    ForEachRun(cols.levelRow(c), cols.binCount, add);
  return runs;
}

void ComputeSpectrogramColumns(const SpectrogramSetup& setup, const SoundSource& sound,
                               const ColumnStretch& stretch, SpectrogramColumns& out,
                               unsigned maxThreads) {
  out.x.clear();
  out.rowOf.clear();
  out.firstBin = setup.firstVisibleBin;
  out.binCount = 0;
  out.userScheme = setup.userScheme;
  if (!setup.drawable || sound.frameCount <= 0 || !sound.samples) return;
  const int channel = (sound.channels == 2 && stretch.channel == 1) ? 1 : 0;
  const SampleSource samples = sound.Samples();
  out.x = ColumnPositions(setup, stretch);
  const std::vector<ColumnFrames> plan = PlanColumnFrames(setup, sound.frameCount, stretch, out.x);
  const size_t columns = plan.size();
  out.binCount = std::max(setup.lastVisibleBin - setup.firstVisibleBin + 1, 0);

  // One row per column that computes frames; repeating columns share the
  // row of the column they repeat.
  out.rowOf.resize(columns);
  uint32_t rows = 0;
  for (size_t c = 0; c < columns; ++c)
    out.rowOf[c] = plan[c].repeatOf >= 0 ? out.rowOf[static_cast<size_t>(plan[c].repeatOf)] : rows++;
  // Resizing to the size of the previous call writes nothing.
  const size_t values = static_cast<size_t>(rows) * static_cast<size_t>(out.binCount);
  if (out.userScheme)
    out.pens.resize(values);
  else
    out.levels.resize(values);

  unsigned threads = maxThreads != 0 ? maxThreads : std::max(1u, std::thread::hardware_concurrency());
  constexpr size_t kMinColumnsPerThread = 32;
  threads = static_cast<unsigned>(
      std::min<size_t>(threads, std::max<size_t>(1, columns / kMinColumnsPerThread)));
  std::vector<size_t> bounds(threads + 1);
  for (unsigned t = 0; t <= threads; ++t) bounds[t] = columns * t / threads;
  // Every thread writes its own rows of the result.
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t)
    pool.emplace_back(
        [&, t] { ComputeChunk(setup, samples, channel, plan, bounds[t], bounds[t + 1], out); });
  ComputeChunk(setup, samples, channel, plan, bounds[0], bounds[1], out);
  for (std::thread& th : pool) th.join();
}

}  // namespace nv
