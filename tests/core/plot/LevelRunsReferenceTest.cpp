// The fast paths of the column walk (bulk level lookup into words and
// bytes, the per-bin rows and the runs drawn from them) against the plain
// formulas, on random data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/BinPower.h"
#include "dsp/RealFft.h"
#include "plot/LevelScale.h"
#include "plot/SpectrogramColumns.h"

namespace nv {
namespace {

TEST(LevelScaleBulk, EqualsTheFormulaForRandomAndSpecialPowers) {
  std::mt19937_64 rng(2024);
  std::uniform_real_distribution<double> lnP(-3.0, 24.0);
  std::vector<double> p;
  for (int i = 0; i < 4000; ++i) p.push_back(std::exp(lnP(rng)));
  for (double v : {0.0, -0.0, -1.0, -1e10, 1.0, 0.5, 1e-310, 2.56e7, 1073741824.0, 2147483648.0,
                   1e300, std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()})
    p.push_back(v);
  for (int t = -1; t <= 33; t += 2) {
    for (int c = -10; c <= 10; c += 3) {
      const LevelScale s(t, c);
      std::vector<double> q = p;
      // Powers at and next to every level boundary and the floor.
      for (int l = 1; l < 64; ++l) {
        double v = l / 64.0;
        if (c != 0) v = std::pow(v, 1.0 / s.gamma());
        const double b = std::exp(s.lnFloor() + v * (s.lnTop() - s.lnFloor()));
        for (double x = std::nextafter(b, 0.0), k = 0; k < 3; ++k, x = std::nextafter(x, 1e300))
          q.push_back(x);
      }
      q.push_back(s.floor());
      q.push_back(std::nextafter(s.floor(), 0.0));
      q.push_back(std::nextafter(s.floor(), 1e300));
      // Every length up to 9 and every start, so that vector bodies and
      // tails both run.
      for (int len = 0; len <= 9; ++len) {
        std::vector<int32_t> out(static_cast<size_t>(len) + 1, 77);
        s.Levels(q.data() + 5, len, out.data());
        for (int i = 0; i < len; ++i) ASSERT_EQ(out[i], s.ExactLevel(q[5 + i]));
        EXPECT_EQ(out[len], 77);
      }
      for (int len = 0; len <= 17; ++len) {
        std::vector<int8_t> out(static_cast<size_t>(len) + 1, 77);
        s.Levels(q.data() + 3, len, out.data());
        for (int i = 0; i < len; ++i) ASSERT_EQ(out[i], s.ExactLevel(q[3 + i]));
        EXPECT_EQ(out[len], 77);
      }
      std::vector<int32_t> out(q.size());
      s.Levels(q.data(), static_cast<int>(q.size()), out.data());
      for (size_t i = 0; i < q.size(); ++i) {
        ASSERT_EQ(out[i], s.ExactLevel(q[i])) << "t " << t << " c " << c << " P " << q[i];
        ASSERT_EQ(s.Level(q[i]), out[i]);
      }
      std::vector<int8_t> bytes(q.size());
      s.Levels(q.data(), static_cast<int>(q.size()), bytes.data());
      for (size_t i = 0; i < q.size(); ++i) ASSERT_EQ(bytes[i], out[i]) << "P " << q[i];
    }
  }
}

PlotGeometry Geometry(int widthPx, int heightPx) {
  PlotGeometry g;
  g.scale = PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = widthPx * 15;
  g.spectBottom = 700;
  g.spectHeight = heightPx * 15;
  return g;
}

// The runs of one column the plain way: frames read one sample at a time,
// windowed, transformed, powers averaged, exact levels, and runs built bin
// by bin.
std::vector<LevelRun> PlainColumn(const SpectrogramSetup& s, const std::vector<int16_t>& pcm,
                                  const ColumnFrames& f) {
  const int n = s.fftSize;
  std::vector<double> acc(static_cast<size_t>(n / 2), 0.0), x(static_cast<size_t>(n));
  for (int j = 0; j < f.frameCount; ++j) {
    const int64_t start = f.firstFrameStart + static_cast<int64_t>(j) * s.frameAdvance;
    for (int i = 0; i < n; ++i) {
      const int64_t at = start + i;
      const double v =
          at >= 0 && at < static_cast<int64_t>(pcm.size()) ? static_cast<double>(pcm[at]) : 0.0;
      x[i] = v * s.windowTable[i];
    }
    RealFft(x.data(), s.log2Fft);
    for (int k = 1; k < n / 2; ++k) acc[k] += BinPower(x.data(), n, k);
  }
  std::vector<int> level(static_cast<size_t>(n / 2), kNoLevel);
  for (int k = std::max(s.firstVisibleBin, 1); k <= std::min(s.lastVisibleBin, n / 2 - 1); ++k)
    level[k] = s.levels.ExactLevel(f.frameCount > 1 ? acc[k] / f.frameCount : acc[k]);
  std::vector<LevelRun> runs;
  int start = s.firstVisibleBin;
  for (int k = s.firstVisibleBin; k <= s.lastVisibleBin; ++k) {
    if (k < s.lastVisibleBin && level[k + 1] == level[k]) continue;
    if (level[k] >= 0) {
      const int32_t lower = start == s.firstVisibleBin ? s.spectBottom : s.binRow[start - 1];
      runs.push_back(LevelRun{lower, s.binRow[k], level[k]});
    }
    start = k + 1;
  }
  return runs;
}

TEST(SpectrogramColumnsReference, RunsEqualThePlainWalk) {
  const int frames = 120000;
  std::vector<int16_t> pcm(frames);
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> d(-1, 1);
  for (int i = 0; i < frames; ++i)
    pcm[i] = static_cast<int16_t>(9000 * std::sin(i * (0.02 + 2e-6 * i)) + 2500 * d(rng) +
                                  (i / 5000 % 2 ? 0 : 12000 * std::sin(i * 0.7)));
  const SoundSource snd{reinterpret_cast<const uint8_t*>(pcm.data()), frames, 1, 16, 44100, 1000};
  int checked = 0;
  for (int size : {16, 64, 256, 1024, 2048}) {
    for (int overlap : {-1, 50}) {
      for (int contrast : {0, 4, -6}) {
        AnalysisSettings st;
        st.fftSize = size;
        st.fftOverlap = overlap;
        st.contrast = contrast;
        st.threshold = 6;
        st.window = 2;
        const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(150, 300));
        ASSERT_TRUE(s.drawable);
        const ColumnStretch stretch{-500, 110000, 0, 15 * 149, 0};
        SpectrogramColumns cols;
        ComputeSpectrogramColumns(s, snd, stretch, cols, 1);
        const std::vector<ColumnFrames> plan =
            PlanColumnFrames(s, frames, stretch, ColumnPositions(s, stretch));
        ASSERT_EQ(plan.size(), cols.columnCount());
        for (size_t c = 0; c < plan.size(); ++c) {
          const ColumnFrames& f = plan[c].repeatOf >= 0 ? plan[plan[c].repeatOf] : plan[c];
          const std::vector<LevelRun> ref = PlainColumn(s, pcm, f);
          const std::vector<LevelRun> runs = ColumnRuns(s, cols, c);
          ASSERT_EQ(runs.size(), ref.size())
              << "N " << size << " overlap " << overlap << " column " << c;
          for (size_t i = 0; i < ref.size(); ++i) {
            const LevelRun& r = runs[i];
            ASSERT_EQ(r.fromY, ref[i].fromY);
            ASSERT_EQ(r.toY, ref[i].toY);
            ASSERT_EQ(r.value, ref[i].value);
          }
          checked += static_cast<int>(ref.size());
        }
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

TEST(SpectrogramColumnsReference, UserPensEqualThePlainLookup) {
  const int frames = 60000;
  std::vector<int16_t> pcm(frames);
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> d(-1, 1);
  for (int i = 0; i < frames; ++i)
    pcm[i] = static_cast<int16_t>(12000 * std::sin(i * (0.05 + 3e-6 * i)) + 4000 * d(rng));
  const SoundSource snd{reinterpret_cast<const uint8_t*>(pcm.data()), frames, 1, 16, 44100, 1000};
  for (int overlap : {-1, 50}) {
    AnalysisSettings st;
    st.fftSize = 256;
    st.fftOverlap = overlap;
    st.colorScheme = 100;
    st.userColorMap.rangeCount = 2;
    st.userColorMap.ranges[0] = ColorRange{0, -40000, -1500, 20, 0xFF0000, 0xFFFF00, 0};
    st.userColorMap.ranges[1] = ColorRange{-45000, -95000, -700, 70, 0x0000FF, 0x00FF00, 0};
    const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(120, 200));
    ASSERT_TRUE(s.drawable && s.userScheme);
    const ColumnStretch stretch{0, 55000, 0, 15 * 119, 0};
    SpectrogramColumns cols;
    ComputeSpectrogramColumns(s, snd, stretch, cols, 2);
    const std::vector<ColumnFrames> plan =
        PlanColumnFrames(s, frames, stretch, ColumnPositions(s, stretch));
    ASSERT_EQ(plan.size(), cols.columnCount());
    int drawn = 0;
    for (size_t c = 0; c < plan.size(); ++c) {
      const ColumnFrames& f = plan[c].repeatOf >= 0 ? plan[plan[c].repeatOf] : plan[c];
      const int n = s.fftSize;
      std::vector<double> acc(static_cast<size_t>(n / 2), 0.0), x(static_cast<size_t>(n));
      for (int j = 0; j < f.frameCount; ++j) {
        const int64_t start = f.firstFrameStart + static_cast<int64_t>(j) * s.frameAdvance;
        for (int i = 0; i < n; ++i) {
          const int64_t at = start + i;
          x[i] = (at >= 0 && at < frames ? static_cast<double>(pcm[at]) : 0.0) * s.windowTable[i];
        }
        RealFft(x.data(), s.log2Fft);
        for (int k = 1; k < n / 2; ++k) acc[k] += BinPower(x.data(), n, k);
      }
      for (int k = s.firstVisibleBin; k <= s.lastVisibleBin; ++k) {
        const double p = k == 0 ? 0.0 : (f.frameCount > 1 ? acc[k] / f.frameCount : acc[k]);
        const int32_t pen = s.userPens.FindPen(UserLevelKey(p));
        ASSERT_EQ(cols.value(c, k - s.firstVisibleBin), pen) << "column " << c << " bin " << k;
        drawn += pen >= 0;
      }
    }
    EXPECT_GT(drawn, 1000);
  }
}

}  // namespace
}  // namespace nv
