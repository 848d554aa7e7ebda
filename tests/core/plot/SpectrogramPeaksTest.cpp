// The spectrogram columns when the columns lie farther apart than the
// frames: 150 bat-like calls (5 ms linear sweeps from 80 to 35 kHz every
// 100 ms at 384 kHz) must each be drawn as a sweep at the default span and
// at a whole-hour zoom; cached, budgeted and threaded computations give the
// same columns.
#include "plot/SpectrogramPeaks.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "ScreenGeometry.h"
#include "SweepCalls.h"

namespace nv {
namespace {

PlotGeometry Geometry(int widthPx, int heightPx) { return ScreenGeometry(widthPx, heightPx, 1000); }

constexpr int kWidthPx = 1500;
constexpr int kHighLevel = 32;

AnalysisSettings Settings(int64_t spanUs, int64_t first) {
  AnalysisSettings st;
  st.timePerPlotUs = spanUs;
  st.firstVisibleSample = first;
  st.lastVisibleSample = -1;
  st.threshold = 8;
  return st;
}

// The whole plot width as one stretch.
ColumnStretch WholeWidth(const SpectrogramSetup& s) {
  return ColumnStretch{s.firstVisibleSample, s.lastVisibleSample, 0, (kWidthPx - 1) * 15, 0};
}

// The columns x0 ... x1 (pixel numbers) of the plot.
ColumnStretch Columns(const SpectrogramSetup& s, int x0, int x1) {
  const ColumnStretch all = WholeWidth(s);
  auto sampleAt = [&](int64_t px) {
    return all.firstSample + px * 15 * (all.lastSample - all.firstSample) / all.lastX;
  };
  return ColumnStretch{static_cast<int32_t>(sampleAt(x0)), static_cast<int32_t>(sampleAt(x1)),
                       x0 * 15, x1 * 15, 0};
}

int BinOf(const SpectrogramSetup& s, double hz) {
  return static_cast<int>(std::lround(hz * s.fftSize / static_cast<double>(s.effectiveRateHz)));
}

// For every call: each column it covers shows high levels at the sweep's
// frequencies of the times inside the column (away from its edges by a
// quarter frame), the level-weighted mean frequency falls from column to
// column, and columns far from every call show nothing. Returns the number
// of calls checked.
int CheckCalls(const SpectrogramSetup& s, const SpectrogramColumns& cols,
               const std::vector<int64_t>& bounds, const SweepCalls& calls) {
  const int64_t margin = s.fftSize / 4;
  int checked = 0;
  for (int i = 0; i < calls.count; ++i) {
    const int64_t cs = calls.Start(i), ce = cs + calls.length;
    double previousMean = 1e300;
    int columnsShown = 0;
    for (size_t c = 0; c < cols.columnCount(); ++c) {
      const int64_t s0 = bounds[c], s1 = bounds[c + 1];
      const int64_t u0 = std::max({cs, s0 + margin}), u1 = std::min({ce, s1 - margin});
      if (u1 <= u0) continue;
      for (int64_t t = u0; t < u1; t += 16) {
        const int k = BinOf(s, calls.FrequencyAt(t - cs));
        if (cols.value(c, k - cols.firstBin) < kHighLevel) {
          ADD_FAILURE() << "call " << i << " column " << c << " at " << calls.FrequencyAt(t - cs)
                        << " Hz: level " << cols.value(c, k - cols.firstBin);
          return -1;
        }
      }
      double sum = 0, weight = 0;
      for (int k = BinOf(s, 30000); k <= BinOf(s, 85000); ++k) {
        const int v = cols.value(c, k - cols.firstBin);
        if (v >= kHighLevel) sum += v * s.binFrequency[k], weight += v;
      }
      const double mean = sum / weight;
      EXPECT_LT(mean, previousMean) << "call " << i << " column " << c;
      previousMean = mean;
      ++columnsShown;
    }
    EXPECT_GE(columnsShown, 1) << "call " << i;
    checked += columnsShown >= 1;
  }
  // Columns whose frames reach no call stay empty.
  const int64_t reach = s.fftSize;
  for (size_t c = 0; c < cols.columnCount(); ++c) {
    bool nearCall = false;
    for (int i = 0; i < calls.count; ++i)
      nearCall = nearCall || (bounds[c] - reach < calls.Start(i) + calls.length &&
                              calls.Start(i) < bounds[c + 1] + reach);
    if (nearCall) continue;
    for (int b = 0; b < cols.binCount; ++b) {
      if (cols.value(c, b) >= 0) {
        ADD_FAILURE() << "column " << c << " far from every call shows bin " << b;
        return -1;
      }
    }
  }
  return checked;
}

TEST(SpectrogramPeaks, EveryCallIsDrawnAsItsSweepAtTheDefaultSpan) {
  const SweepCalls calls;  // 150 calls in 15 s
  const std::vector<int16_t> pcm = calls.Samples(0, calls.Start(calls.count));
  const SoundSource snd{reinterpret_cast<const uint8_t*>(pcm.data()),
                        static_cast<int32_t>(pcm.size()), 1, 16, SweepCalls::kRateHz, 1000};
  AnalysisSettings st = Settings(15000000, 0);
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300));
  ASSERT_EQ(s.samplesPerColumn, 3840);
  ASSERT_EQ(s.fftSize, 512);
  ASSERT_TRUE(SpectrogramPeaks::Applies(s));
  SpectrogramPeaks peaks;
  SpectrogramColumns cols;
  const ColumnStretch st0 = WholeWidth(s);
  ASSERT_TRUE(peaks.Compute(s, snd, st0, cols, 2));
  EXPECT_EQ(CheckCalls(s, cols, ColumnSampleBounds(s, st0, cols.x), calls), calls.count);

  // The same columns from the cache, from one thread, and in slices of a
  // small budget: every way gives the same values.
  SpectrogramColumns again;
  ASSERT_TRUE(peaks.Compute(s, snd, st0, again, 1));
  EXPECT_EQ(again.levels, cols.levels);
  SpectrogramPeaks sliced;
  int rounds = 0;
  while (!sliced.Compute(s, snd, st0, again, 2, 2000)) {
    const SpectrogramPeaks::XRange missing = sliced.MissingColumns();
    ASSERT_LE(missing.first, missing.last);
    ASSERT_LT(++rounds, 1000);
  }
  EXPECT_GT(rounds, 3);
  EXPECT_EQ(again.levels, cols.levels);
}

TEST(SpectrogramPeaks, DenseColumnsAreLeftToTheColumnWalk) {
  const SweepCalls calls;
  const std::vector<int16_t> pcm = calls.Samples(0, calls.Start(3));
  const SoundSource snd{reinterpret_cast<const uint8_t*>(pcm.data()),
                        static_cast<int32_t>(pcm.size()), 1, 16, SweepCalls::kRateHz, 1000};
  // 2 s: 512 samples per column and N = 512, one frame per column without
  // gaps; 2.1 s leaves gaps.
  for (int64_t spanUs : {20000, 300000, 2000000}) {
    AnalysisSettings st = Settings(spanUs, 0);
    EXPECT_FALSE(SpectrogramPeaks::Applies(MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300))));
  }
  AnalysisSettings st = Settings(2100000, 0);
  EXPECT_TRUE(SpectrogramPeaks::Applies(MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300))));
  // A set overlap: as soon as a column holds more than one frame advance.
  st = Settings(300000, 0);
  st.fftSize = 256;
  st.fftOverlap = 50;
  EXPECT_FALSE(SpectrogramPeaks::Applies(MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300))));
  st.timePerPlotUs = 1100000;
  EXPECT_TRUE(SpectrogramPeaks::Applies(MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300))));
}

// One hour of 384 kHz sound, silent but for the 150 calls half way through:
// an anonymous mapping whose untouched pages read as zeros and take no
// memory.
class HourOfSound {
 public:
  static constexpr int64_t kFrames = int64_t{3600} * SweepCalls::kRateHz;
  explicit HourOfSound(const SweepCalls& calls) {
    bytes_ = static_cast<size_t>(kFrames) * 2;
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    if (p == MAP_FAILED) return;
    data_ = static_cast<int16_t*>(p);
    const std::vector<int16_t> v = calls.Samples(calls.offset, calls.Start(calls.count));
    std::memcpy(data_ + calls.offset, v.data(), v.size() * 2);
  }
  ~HourOfSound() {
    if (data_) munmap(data_, bytes_);
  }
  SoundSource Sound() const {
    return SoundSource{reinterpret_cast<const uint8_t*>(data_), static_cast<int32_t>(kFrames), 1, 16,
                       SweepCalls::kRateHz, 1000};
  }
  bool ok() const { return data_ != nullptr; }

 private:
  int16_t* data_ = nullptr;
  size_t bytes_ = 0;
};

TEST(SpectrogramPeaks, EveryCallIsDrawnAtAWholeHourZoom) {
  SweepCalls calls;
  calls.offset = int64_t{1800} * SweepCalls::kRateHz + 12345;
  const HourOfSound hour(calls);
  ASSERT_TRUE(hour.ok());
  const SoundSource snd = hour.Sound();
  AnalysisSettings st = Settings(int64_t{3600} * 1000000, 0);
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300));
  ASSERT_EQ(s.samplesPerColumn, 921600);
  ASSERT_TRUE(SpectrogramPeaks::Applies(s));
  // The columns around the calls (a repaint of that part of the plot).
  SpectrogramPeaks peaks;
  SpectrogramColumns cols;
  const ColumnStretch around = Columns(s, 745, 760);
  ASSERT_TRUE(peaks.Compute(s, snd, around, cols, 2));
  ASSERT_EQ(CheckCalls(s, cols, ColumnSampleBounds(s, around, cols.x), calls), calls.count);
  for (size_t c = 0; c < cols.columnCount(); ++c) {
    // A column that holds calls shows the whole band of the sweeps.
    const std::vector<int64_t> b = ColumnSampleBounds(s, around, cols.x);
    if (b[c + 1] <= calls.Start(0) + calls.length || b[c] >= calls.Start(calls.count - 1)) continue;
    for (double hz = 36000; hz <= 79000; hz += 1000)
      EXPECT_GE(cols.value(c, BinOf(s, hz) - cols.firstBin), kHighLevel) << c << " " << hz;
  }

  // Zoomed in to the calls and out again: the cached blocks give what a
  // fresh computation gives.
  AnalysisSettings near = Settings(120 * 1000000, calls.offset - 60 * SweepCalls::kRateHz);
  const SpectrogramSetup sNear = MakeSpectrogramSetup(snd, near, Geometry(kWidthPx, 300));
  ASSERT_TRUE(SpectrogramPeaks::Applies(sNear));
  ASSERT_EQ(sNear.fftSize, s.fftSize);
  SpectrogramColumns nearCols;
  const ColumnStretch nearAround = Columns(sNear, 700, 960);
  ASSERT_TRUE(peaks.Compute(sNear, snd, nearAround, nearCols, 2));
  EXPECT_EQ(CheckCalls(sNear, nearCols, ColumnSampleBounds(sNear, nearAround, nearCols.x), calls),
            calls.count);
  for (int threads : {1, 3}) {
    SpectrogramPeaks fresh;
    SpectrogramColumns freshCols;
    ASSERT_TRUE(fresh.Compute(sNear, snd, nearAround, freshCols, threads));
    EXPECT_EQ(freshCols.levels, nearCols.levels);
    ASSERT_TRUE(fresh.Compute(s, snd, around, freshCols, threads));
    EXPECT_EQ(freshCols.levels, cols.levels);
  }
}

TEST(SpectrogramPeaks, UserPensAndStereoChannels) {
  const SweepCalls calls;
  const std::vector<int16_t> mono = calls.Samples(0, calls.Start(20));
  // The calls in the right channel, silence in the left.
  std::vector<int16_t> stereo(mono.size() * 2, 0);
  for (size_t i = 0; i < mono.size(); ++i) stereo[2 * i + 1] = mono[i];
  const SoundSource snd{reinterpret_cast<const uint8_t*>(stereo.data()),
                        static_cast<int32_t>(mono.size()), 2, 16, SweepCalls::kRateHz, 1000};
  AnalysisSettings st = Settings(2000000 * 2, 0);
  st.colorScheme = 100;
  st.userColorMap.rangeCount = 1;
  st.userColorMap.ranges[0] = ColorRange{0, -60000, -1000, 60, 0xFF0000, 0x0000FF, 0};
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(kWidthPx, 300));
  ASSERT_TRUE(s.userScheme && SpectrogramPeaks::Applies(s));
  SpectrogramPeaks peaks;
  SpectrogramColumns left, right;
  ColumnStretch stretch = WholeWidth(s);
  ASSERT_TRUE(peaks.Compute(s, snd, stretch, left, 2));
  stretch.channel = 1;
  ASSERT_TRUE(peaks.Compute(s, snd, stretch, right, 2));
  const int k = BinOf(s, 60000) - right.firstBin;
  int drawn = 0;
  for (size_t c = 0; c < left.columnCount(); ++c) {
    EXPECT_EQ(left.value(c, k), kNoPen);
    drawn += right.value(c, k) != kNoPen;
  }
  // Every call (20 of them) lies in some column that shows 60 kHz.
  EXPECT_GE(drawn, 20);
}

}  // namespace
}  // namespace nv
