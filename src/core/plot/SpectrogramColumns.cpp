#include "plot/SpectrogramColumns.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "dsp/BinPower.h"
#include "dsp/RealFft.h"

namespace nv {

namespace {

inline int16_t LoadI16(const uint8_t* p) {
  uint16_t u = static_cast<uint16_t>(p[0] | (p[1] << 8));
  int16_t v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// The hot loops are compiled twice, for AVX2 and for the base instruction
// set, and the clone is chosen once at load time. No FMA: both clones give
// identical results.
#define NV_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define NV_HOT_LOOP
#endif

// 16-bit samples at any byte address (the sample store promises no alignment).
typedef int16_t UnalignedI16 __attribute__((aligned(1), may_alias));

NV_HOT_LOOP void WindowMono16(const uint8_t* p, const double* window, double* frame, int64_t lo,
                              int64_t hi) {
  const UnalignedI16* s = reinterpret_cast<const UnalignedI16*>(p) - lo;
  for (int64_t i = lo; i < hi; ++i) frame[i] = static_cast<double>(s[i]) * window[i];
}

// acc[k] = (or +=) BinPower of bins kLo ... kHi of the transformed frame x.
NV_HOT_LOOP void PowerBins(const double* x, int n, int kLo, int kHi, double* acc, bool add) {
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

// Change masks of the values w[0 ... len] (len >= 1): bit j of word q is set
// when w[i] != w[i - 1] for i = 1 + 64 q + j, for i = 1 ... len; the bits
// above len are clear. w must be readable up to w[len + 8].
void ChangeMaskPlain(const int32_t* w, int len, uint64_t* mask) {
  const int words = (len + 63) / 64;
  for (int q = 0; q < words; ++q) {
    uint64_t m = 0;
    const int i0 = 1 + 64 * q;
    const int count = std::min(64, len + 1 - i0);
    for (int j = 0; j < count; ++j)
      m |= static_cast<uint64_t>(w[i0 + j] != w[i0 + j - 1]) << j;
    mask[q] = m;
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void ChangeMaskAvx2(const int32_t* w, int len, uint64_t* mask) {
  const int words = (len + 63) / 64;
  for (int q = 0; q < words; ++q) {
    uint64_t m = 0;
    const int32_t* p = w + 1 + 64 * q;
    const int count = std::min(64, len - 64 * q);  // reads up to w[len + 7]
    for (int j = 0; j < count; j += 8) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + j));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + j - 1));
      const unsigned eq =
          static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(a, b))));
      m |= static_cast<uint64_t>(~eq & 0xFFu) << j;
    }
    mask[q] = m;
  }
  const int tail = len % 64;
  if (tail != 0) mask[words - 1] &= (uint64_t{1} << tail) - 1;
}
#endif

using ChangeMaskFn = void (*)(const int32_t*, int, uint64_t*);

ChangeMaskFn ChooseChangeMask() {
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return &ChangeMaskAvx2;
#endif
  return &ChangeMaskPlain;
}

// Runs of equal value from bin row to bin row. Values at v[first ... last],
// v[last + 1] different from every value, readable up to v[last + 9]; mask
// holds (last - first + 1 + 63) / 64 words. A run is written for every
// change and counted only when the finished run has a level. Returns the
// number of runs written to out.
size_t MakeRuns(const int32_t* v, const int32_t* lower, const int32_t* row, int first,
                int last, uint64_t* mask, LevelRun* out) {
  static const ChangeMaskFn changeMask = ChooseChangeMask();
  const int len = last - first + 1;
  const int32_t* w = v + first;
  changeMask(w, len, mask);
  // Bin i of the stretch: lower boundary lo[i], upper boundary up[i - 1].
  const int32_t* lo = lower + first;
  const int32_t* up = row + first - 1;
  size_t count = 0;
  size_t start = 0;
  int32_t cur = w[0];
  const size_t words = static_cast<size_t>(len + 63) / 64;
  for (size_t q = 0; q < words; ++q) {
    const size_t i0 = 1 + 64 * q;
    for (uint64_t m = mask[q]; m != 0; m &= m - 1) {
      const size_t i = i0 + static_cast<size_t>(__builtin_ctzll(m));
      out[count] = LevelRun{lo[start], up[i], cur};
      count += static_cast<size_t>(cur >= 0);
      start = i;
      cur = w[i];
    }
  }
  return count;
}

// Fills frame with the n windowed samples of `channel` from `start`;
// positions before 0 or at or after the end of the document are 0.
void ReadFrame(const SoundSource& snd, int channel, int64_t start, int n, const double* window,
               double* frame) {
  const int64_t total = snd.frameCount;
  const int64_t lo = std::clamp<int64_t>(-start, 0, n);
  const int64_t hi = std::clamp<int64_t>(total - start, lo, n);
  std::fill(frame, frame + lo, 0.0);
  std::fill(frame + hi, frame + n, 0.0);
  const int channels = snd.channels == 2 ? 2 : 1;
  if (snd.bitsPerSample == 8) {
    const uint8_t* p = snd.samples + (start + lo) * channels + channel;
    for (int64_t i = lo; i < hi; ++i, p += channels)
      frame[i] = SampleValue8(*p) * window[i];
  } else {
    const uint8_t* p = snd.samples + ((start + lo) * channels + channel) * 2;
    const int stride = 2 * channels;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (channels == 1) {
      WindowMono16(p, window, frame, lo, hi);
      return;
    }
#endif
    for (int64_t i = lo; i < hi; ++i, p += stride)
      frame[i] = static_cast<double>(LoadI16(p)) * window[i];
  }
}

// A value no bin has: marks the end of the last run.
constexpr int32_t kNoRunValue = INT32_MIN;

// Computes the runs of one column from its frames and appends them to runs.
class ColumnWorker {
 public:
  ColumnWorker(const SpectrogramSetup& setup, const SoundSource& sound, int channel)
      : setup_(setup),
        sound_(sound),
        channel_(channel),
        n_(setup.fftSize),
        frame_(static_cast<size_t>(setup.fftSize)),
        power_(static_cast<size_t>(setup.fftSize / 2), 0.0),
        value_(static_cast<size_t>(setup.fftSize / 2 + 1 + kValuePadding), kNoLevel),
        mask_(static_cast<size_t>((setup.fftSize / 2 + 63) / 64 + 1)),
        lower_(static_cast<size_t>(setup.fftSize / 2), setup.spectBottom) {
    kLo_ = std::max(setup.firstVisibleBin, 1);
    kHi_ = std::min(setup.lastVisibleBin, n_ / 2 - 1);
    // The lower boundary of each bin's band: the row of the bin below, or
    // the lower edge of the area for the first visible bin.
    for (int k = setup.firstVisibleBin + 1; k <= setup.lastVisibleBin; ++k)
      lower_[k] = setup.binRow[k - 1];
  }

  void Compute(const ColumnFrames& f, std::vector<LevelRun>& runs) {
    const int first = setup_.firstVisibleBin, last = setup_.lastVisibleBin;
    const size_t maxRuns = static_cast<size_t>(last - first + 1);
    // The runs go to memory that is usually no longer cached: ask for its
    // lines now, so that they arrive while the frames are transformed.
    if (runs.capacity() - runs.size() >= maxRuns) {
      const char* p = reinterpret_cast<const char*>(runs.data() + runs.size());
      const char* e = reinterpret_cast<const char*>(runs.data() + runs.size() + maxRuns);
      for (; p < e; p += 64) __builtin_prefetch(p, 1, 3);
    }
    const double* window = setup_.windowTable.data();
    double* x = frame_.data();
    double* acc = power_.data();
    const int n = n_;
    for (int32_t j = 0; j < f.frameCount; ++j) {
      const int64_t start = f.firstFrameStart + static_cast<int64_t>(j) * setup_.frameAdvance;
      ReadFrame(sound_, channel_, start, n, window, x);
      RealFft(x, setup_.log2Fft);
      PowerBins(x, n, kLo_, kHi_, acc, j != 0);
    }
    if (f.frameCount > 1) {
      const double frames = f.frameCount;
      for (int k = kLo_; k <= kHi_; ++k) acc[k] /= frames;
    }
    // Levels (bin 0 is never filled: no level).
    int32_t* v = value_.data();
    if (setup_.userScheme) {
      const int32_t none = setup_.userPens.FindPen(UserLevelKey(0.0));
      for (int k = setup_.firstVisibleBin; k < kLo_; ++k) v[k] = none;
      for (int k = kLo_; k <= kHi_; ++k) v[k] = setup_.userPens.FindPen(UserLevelKey(acc[k]));
    } else {
      for (int k = setup_.firstVisibleBin; k < kLo_; ++k) v[k] = kNoLevel;
      if (kHi_ >= kLo_) setup_.levels.Levels(acc + kLo_, kHi_ - kLo_ + 1, v + kLo_);
    }
    v[last + 1] = kNoRunValue;  // ends the last run
    // At most one run per bin, written in place and cut to the runs found.
    const size_t at = runs.size();
    runs.resize(at + maxRuns);
    const size_t count = MakeRuns(v, lower_.data(), setup_.binRow.data(), first, last,
                                  mask_.data(), runs.data() + at);
    runs.resize(at + count);
  }

 private:
  const SpectrogramSetup& setup_;
  const SoundSource& sound_;
  int channel_;
  int n_;
  int kLo_ = 1, kHi_ = 0;
  std::vector<double> frame_;
  std::vector<double> power_;
  // Per bin, plus one end marker and room for the vector reads of MakeRuns.
  static constexpr size_t kValuePadding = 8;
  std::vector<int32_t> value_;
  std::vector<uint64_t> mask_;
  std::vector<int32_t> lower_;
};

// Computes columns [begin, end) of the plan into runs and counts.
void ComputeChunk(const SpectrogramSetup& setup, const SoundSource& sound, int channel,
                  const std::vector<ColumnFrames>& plan, size_t begin, size_t end,
                  std::vector<LevelRun>& runs, std::vector<uint32_t>& counts) {
  ColumnWorker worker(setup, sound, channel);
  // The runs of the last column that computed frames: runs[sourceBegin,
  // sourceEnd) when it lies in this chunk, else `before` (a column before
  // the chunk, computed again here).
  std::vector<LevelRun> before;
  size_t sourceBegin = 0, sourceEnd = 0;
  bool sourceHere = false;
  int64_t sourceColumn = -1;
  for (size_t c = begin; c < end; ++c) {
    const ColumnFrames& f = plan[c];
    if (f.repeatOf >= 0) {
      if (sourceColumn != f.repeatOf) {
        // The column repeated lies before this chunk: compute it here.
        before.clear();
        worker.Compute(plan[f.repeatOf], before);
        sourceColumn = f.repeatOf;
        sourceHere = false;
      }
      if (sourceHere) {
        const size_t at = runs.size(), count = sourceEnd - sourceBegin;
        runs.resize(at + count);
        std::copy(runs.begin() + static_cast<std::ptrdiff_t>(sourceBegin),
                  runs.begin() + static_cast<std::ptrdiff_t>(sourceEnd),
                  runs.begin() + static_cast<std::ptrdiff_t>(at));
        counts[c - begin] = static_cast<uint32_t>(count);
      } else {
        runs.insert(runs.end(), before.begin(), before.end());
        counts[c - begin] = static_cast<uint32_t>(before.size());
      }
      continue;
    }
    sourceBegin = runs.size();
    worker.Compute(f, runs);
    sourceEnd = runs.size();
    sourceHere = true;
    sourceColumn = static_cast<int64_t>(c);
    counts[c - begin] = static_cast<uint32_t>(sourceEnd - sourceBegin);
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

std::vector<ColumnFrames> PlanColumnFrames(const SpectrogramSetup& setup, int32_t frameCount,
                                           const ColumnStretch& st,
                                           const std::vector<int32_t>& xs) {
  std::vector<ColumnFrames> plan(xs.size());
  if (xs.empty()) return plan;
  const int64_t a = st.firstSample, b = st.lastSample;
  const int64_t x0 = st.firstX;
  const int64_t spanX = std::max<int64_t>(static_cast<int64_t>(st.lastX) - x0, 1);
  const int64_t halfN = setup.fftSize / 2;
  const int64_t n = setup.fftSize;
  const int64_t per = setup.scale.unitsPerPixel;
  const int64_t per1000 = std::max<int32_t>(setup.scale.unitsPer1000Pixels, 1);
  auto firstSampleAt = [&](int64_t x) { return a + (x - x0) * (b - a) / spanX; };
  auto xOf = [&](int64_t k) { return per >= 10 ? x0 + k * per : x0 + k * per1000 / 1000; };

  const bool automatic = setup.overlapPercent < 0;
  int64_t nextStart = a - halfN;
  int32_t lastComputed = -1;
  for (size_t c = 0; c < xs.size(); ++c) {
    const int64_t colFirst = firstSampleAt(xs[c]);
    const int64_t latest = firstSampleAt(xOf(static_cast<int64_t>(c) + 1)) - halfN;
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

void ComputeSpectrogramColumns(const SpectrogramSetup& setup, const SoundSource& sound,
                               const ColumnStretch& stretch, SpectrogramColumns& out,
                               unsigned maxThreads) {
  out.x.clear();
  out.runs.clear();
  out.runBegin.assign(1, 0);
  if (!setup.drawable || sound.frameCount <= 0 || !sound.samples) return;
  const int channel = (sound.channels == 2 && stretch.channel == 1) ? 1 : 0;
  out.x = ColumnPositions(setup, stretch);
  const std::vector<ColumnFrames> plan = PlanColumnFrames(setup, sound.frameCount, stretch, out.x);
  const size_t columns = plan.size();

  unsigned threads = maxThreads != 0 ? maxThreads : std::max(1u, std::thread::hardware_concurrency());
  constexpr size_t kMinColumnsPerThread = 32;
  threads = static_cast<unsigned>(
      std::min<size_t>(threads, std::max<size_t>(1, columns / kMinColumnsPerThread)));

  std::vector<std::vector<LevelRun>> runs(threads);
  std::vector<std::vector<uint32_t>> counts(threads);
  std::vector<size_t> bounds(threads + 1);
  for (unsigned t = 0; t <= threads; ++t) bounds[t] = columns * t / threads;
  for (unsigned t = 0; t < threads; ++t) counts[t].assign(bounds[t + 1] - bounds[t], 0);
  {
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
      pool.emplace_back([&, t] {
        ComputeChunk(setup, sound, channel, plan, bounds[t], bounds[t + 1], runs[t], counts[t]);
      });
    // The first chunk writes straight into the result.
    ComputeChunk(setup, sound, channel, plan, bounds[0], bounds[1], out.runs, counts[0]);
    for (std::thread& th : pool) th.join();
  }
  out.runBegin.resize(columns + 1);
  uint32_t total = 0;
  size_t c = 0;
  for (unsigned t = 0; t < threads; ++t)
    for (uint32_t k : counts[t]) {
      out.runBegin[c++] = total;
      total += k;
    }
  out.runBegin[columns] = total;
  for (unsigned t = 1; t < threads; ++t)
    out.runs.insert(out.runs.end(), runs[t].begin(), runs[t].end());
}

}  // namespace nv
