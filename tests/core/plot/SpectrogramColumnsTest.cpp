#include "plot/SpectrogramColumns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace nv {
namespace {

PlotGeometry Geometry(int widthPx, int heightPx) {
  PlotGeometry g;
  g.scale = PixelScaleFromDevice(-15000, true);
  g.plotWidthUnits = widthPx * 15;
  g.spectBottom = 1000;
  g.spectHeight = heightPx * 15;
  return g;
}

std::vector<uint8_t> Pcm16(const std::vector<double>& v, int channels = 1, int channel = 0) {
  std::vector<uint8_t> out(v.size() * 2 * channels, 0);
  for (size_t i = 0; i < v.size(); ++i) {
    const auto s = static_cast<int16_t>(std::lround(v[i]));
    const size_t at = (i * channels + channel) * 2;
    out[at] = static_cast<uint8_t>(s & 0xFF);
    out[at + 1] = static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF);
  }
  return out;
}

// Per visible bin, the value the runs give it (-1 for none), read back from
// the runs by their y extents.
std::vector<int> BinValues(const SpectrogramSetup& s, const SpectrogramColumns& c, size_t col) {
  std::vector<int> v(s.fftSize / 2, -1);
  for (const LevelRun& r : ColumnRuns(s, c, col)) {
    for (int k = s.firstVisibleBin; k <= s.lastVisibleBin; ++k) {
      const int lower = k == s.firstVisibleBin ? s.spectBottom : s.binRow[k - 1];
      if (lower >= r.fromY && s.binRow[k] <= r.toY) v[k] = r.value;
    }
  }
  return v;
}

// All runs of all columns, one after the other.
std::vector<LevelRun> AllRuns(const SpectrogramSetup& s, const SpectrogramColumns& c) {
  std::vector<LevelRun> runs;
  for (size_t col = 0; col < c.columnCount(); ++col) {
    const std::vector<LevelRun> r = ColumnRuns(s, c, col);
    runs.insert(runs.end(), r.begin(), r.end());
  }
  return runs;
}

TEST(SpectrogramColumns, FullScaleSineAtABinCentreReachesTheTopLevel) {
  const int n = 1024, k0 = 100;
  const int frames = 200000;
  std::vector<double> x(frames);
  for (int i = 0; i < frames; ++i) x[i] = 32767.0 * std::sin(2 * M_PI * k0 * i / n);
  const std::vector<uint8_t> pcm = Pcm16(x);
  SoundSource snd{pcm.data(), frames, 1, 16, 44100, 1000};
  AnalysisSettings st;
  st.fftSize = n;
  st.timePerPlotUs = 4000000;
  st.threshold = 0;
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(100, 512));
  ASSERT_TRUE(s.drawable);
  SpectrogramColumns cols;
  ComputeSpectrogramColumns(s, snd, ColumnStretch{10000, 12000, 0, 15 * 10, 0}, cols);
  ASSERT_EQ(cols.columnCount(), 11u);
  for (size_t c = 0; c < cols.columnCount(); ++c) {
    const std::vector<int> v = BinValues(s, cols, c);
    EXPECT_EQ(v[k0], 63) << "column " << c;
    EXPECT_LT(v[k0 + 5], 63);
    EXPECT_EQ(cols.x[c], static_cast<int32_t>(15 * c));
    // Runs go upwards and change value from one to the next when adjacent.
    for (const LevelRun& r : ColumnRuns(s, cols, c)) EXPECT_LE(r.fromY, r.toY);
  }
}

TEST(SpectrogramColumns, SilenceAndEmptyUserMapDrawNothing) {
  const int frames = 50000;
  std::vector<uint8_t> zeros(frames * 2, 0);
  SoundSource snd{zeros.data(), frames, 1, 16, 44100, 1000};
  for (int t : {-3, 0, 16, 32}) {
    AnalysisSettings st;
    st.threshold = t;
    const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(200, 300));
    SpectrogramColumns cols;
    ComputeSpectrogramColumns(s, snd, ColumnStretch{0, frames - 1, 0, 15 * 199, 0}, cols);
    EXPECT_EQ(cols.columnCount(), 200u);
    EXPECT_TRUE(AllRuns(s, cols).empty()) << t;
  }
  // Noise with the user scheme and no ranges: nothing either.
  std::vector<double> noise(frames);
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> d(-20000, 20000);
  for (double& v : noise) v = d(rng);
  const std::vector<uint8_t> pcm = Pcm16(noise);
  SoundSource loud{pcm.data(), frames, 1, 16, 44100, 1000};
  AnalysisSettings st;
  st.colorScheme = 100;
  const SpectrogramSetup s = MakeSpectrogramSetup(loud, st, Geometry(200, 300));
  SpectrogramColumns cols;
  ComputeSpectrogramColumns(s, loud, ColumnStretch{0, frames - 1, 0, 15 * 199, 0}, cols);
  EXPECT_TRUE(AllRuns(s, cols).empty());
}

TEST(SpectrogramColumns, FramePlansForAutomaticAndSetOverlap) {
  std::vector<uint8_t> data(2 * 100000, 0);
  SoundSource snd{data.data(), 100000, 1, 16, 44100, 1000};
  AnalysisSettings st;
  st.fftSize = 512;
  st.fftOverlap = 50;
  SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(100, 300));
  ASSERT_EQ(s.frameAdvance, 256);
  // 10 columns of 1000 samples each (x step 15 units, 150 units for 10000 samples).
  ColumnStretch stretch{1000, 11000, 0, 150, 0};
  std::vector<int32_t> xs = ColumnPositions(s, stretch);
  ASSERT_EQ(xs.size(), 11u);
  std::vector<ColumnFrames> plan = PlanColumnFrames(s, snd.frameCount, stretch, xs);
  // The sequence starts at a - N/2 and advances by 256; column c takes every
  // start up to its next column's first sample - N/2.
  int64_t next = 1000 - 256;
  for (size_t c = 0; c < plan.size(); ++c) {
    const int64_t latest = 1000 + 1000 * static_cast<int64_t>(c + 1) - 256;
    ASSERT_EQ(plan[c].repeatOf, -1);
    EXPECT_EQ(plan[c].firstFrameStart, next) << c;
    int count = 0;
    do {
      ++count;
      next += 256;
    } while (next <= latest);
    EXPECT_EQ(plan[c].frameCount, count) << c;
  }

  // Columns of 100 samples with an advance of 256: columns in between repeat
  // the last column that computed frames.
  ColumnStretch narrow{1000, 2000, 0, 150, 0};
  plan = PlanColumnFrames(s, snd.frameCount, narrow, ColumnPositions(s, narrow));
  EXPECT_EQ(plan[0].frameCount, 1);  // the first column always computes
  EXPECT_EQ(plan[0].firstFrameStart, 1000 - 256);
  EXPECT_EQ(plan[1].repeatOf, 0);    // next start 1000 > latest 1200 - 256
  EXPECT_EQ(plan[2].frameCount, 1);  // latest 1300 - 256 >= 1000
  EXPECT_EQ(plan[2].firstFrameStart, 1000);
  EXPECT_EQ(plan[3].repeatOf, 2);    // 1256 > 1400 - 256
  EXPECT_EQ(plan[4].repeatOf, 2);
  EXPECT_EQ(plan[5].frameCount, 1);
  EXPECT_EQ(plan[5].firstFrameStart, 1256);

  // Automatic overlap: one frame per column, centred on its first sample.
  st.fftOverlap = -1;
  s = MakeSpectrogramSetup(snd, st, Geometry(100, 300));
  plan = PlanColumnFrames(s, snd.frameCount, narrow, ColumnPositions(s, narrow));
  for (size_t c = 0; c < plan.size(); ++c) {
    EXPECT_EQ(plan[c].frameCount, 1);
    EXPECT_EQ(plan[c].firstFrameStart, 1000 + 100 * static_cast<int64_t>(c) - 256);
  }

  // 100 % overlap still moves on by one sample per frame.
  st.fftOverlap = 100;
  s = MakeSpectrogramSetup(snd, st, Geometry(100, 300));
  plan = PlanColumnFrames(s, snd.frameCount, narrow, ColumnPositions(s, narrow));
  EXPECT_EQ(plan[0].frameCount, 101);  // starts 744 ... 844
  EXPECT_EQ(plan[1].firstFrameStart, 845);

  // A frame ending exactly at the end of the document ends the column.
  st.fftOverlap = 50;
  s = MakeSpectrogramSetup(snd, st, Geometry(100, 300));
  ColumnStretch atEnd{100000 - 256, 100000 + 2000, 0, 15, 0};
  plan = PlanColumnFrames(s, snd.frameCount, atEnd, ColumnPositions(s, atEnd));
  EXPECT_EQ(plan[0].firstFrameStart, 100000 - 512);
  EXPECT_EQ(plan[0].frameCount, 1);
  EXPECT_EQ(plan[1].firstFrameStart, 100000 - 256);
}

TEST(SpectrogramColumns, ParallelResultEqualsSequentialAndRepeatsAreExact) {
  const int frames = 300000;
  std::vector<double> x(frames);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-1, 1);
  for (int i = 0; i < frames; ++i)
    x[i] = 8000 * std::sin(i * (0.01 + 1e-6 * i)) + 3000 * d(rng);
  const std::vector<uint8_t> pcm = Pcm16(x);
  SoundSource snd{pcm.data(), frames, 1, 16, 44100, 1000};
  for (int overlap : {-1, 0, 50, 90}) {
    for (int scheme : {7, 100}) {
      AnalysisSettings st;
      st.fftOverlap = overlap;
      st.fftSize = 256;
      st.colorScheme = scheme;
      st.contrast = 3;
      st.threshold = 8;
      if (scheme == 100) {
        st.userColorMap.rangeCount = 1;
        st.userColorMap.ranges[0] = ColorRange{0, -90000, -1000, 90, 0x404040, 0xF0F0F0, 0};
      }
      const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(700, 200));
      // Columns of about 150 samples (repeats at 90 % overlap are rare, at 0 % common).
      const ColumnStretch stretch{-300, 100000, 0, 15 * 699, 0};
      SpectrogramColumns seq, par;
      ComputeSpectrogramColumns(s, snd, stretch, seq, 1);
      ComputeSpectrogramColumns(s, snd, stretch, par, 4);
      ASSERT_EQ(seq.columnCount(), 700u);
      EXPECT_EQ(seq.x, par.x);
      EXPECT_EQ(seq.rowOf, par.rowOf);
      EXPECT_EQ(seq.levels, par.levels);
      EXPECT_EQ(seq.pens, par.pens);
      const std::vector<LevelRun> seqRuns = AllRuns(s, seq), parRuns = AllRuns(s, par);
      ASSERT_EQ(seqRuns.size(), parRuns.size());
      for (size_t i = 0; i < seqRuns.size(); ++i) {
        ASSERT_EQ(seqRuns[i].fromY, parRuns[i].fromY);
        ASSERT_EQ(seqRuns[i].toY, parRuns[i].toY);
        ASSERT_EQ(seqRuns[i].value, parRuns[i].value);
      }
      const std::vector<ColumnFrames> plan =
          PlanColumnFrames(s, frames, stretch, ColumnPositions(s, stretch));
      int repeats = 0;
      for (size_t c = 0; c < plan.size(); ++c) {
        if (plan[c].repeatOf < 0) continue;
        ++repeats;
        const size_t src = static_cast<size_t>(plan[c].repeatOf);
        for (int i = 0; i < seq.binCount; ++i) ASSERT_EQ(seq.value(c, i), seq.value(src, i));
        const std::vector<LevelRun> a = ColumnRuns(s, seq, c), b = ColumnRuns(s, seq, src);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].value, b[i].value);
      }
      if (overlap == 0) {
        EXPECT_GT(repeats, 100);
      }
      EXPECT_FALSE(seqRuns.empty());
    }
  }
}

TEST(SpectrogramColumns, StereoChannelsAndEightBitSamples) {
  const int frames = 20000, n = 256, k0 = 40;
  std::vector<double> tone(frames);
  for (int i = 0; i < frames; ++i) tone[i] = 25600.0 * std::sin(2 * M_PI * k0 * i / n);
  // Stereo: the tone on the right only.
  const std::vector<uint8_t> stereo = Pcm16(tone, 2, 1);
  SoundSource snd{stereo.data(), frames, 2, 16, 44100, 1000};
  AnalysisSettings st;
  st.fftSize = n;
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(100, 128));
  const ColumnStretch left{5000, 6000, 0, 150, 0};
  ColumnStretch right = left;
  right.channel = 1;
  SpectrogramColumns l, r;
  ComputeSpectrogramColumns(s, snd, left, l);
  ComputeSpectrogramColumns(s, snd, right, r);
  EXPECT_TRUE(AllRuns(s, l).empty());
  EXPECT_FALSE(AllRuns(s, r).empty());
  EXPECT_GT(BinValues(s, r, 3)[k0], 55);

  // The same tone as 8-bit mono (multiples of 256) gives the same levels.
  std::vector<uint8_t> eight(frames);
  for (int i = 0; i < frames; ++i) eight[i] = static_cast<uint8_t>(128 + std::lround(tone[i] / 256));
  std::vector<double> back(frames);
  for (int i = 0; i < frames; ++i) back[i] = (eight[i] - 128) * 256.0;
  const std::vector<uint8_t> mono16 = Pcm16(back);
  SoundSource s8{eight.data(), frames, 1, 8, 44100, 1000};
  SoundSource s16{mono16.data(), frames, 1, 16, 44100, 1000};
  SpectrogramColumns a, b;
  ComputeSpectrogramColumns(s, s8, left, a);
  ComputeSpectrogramColumns(s, s16, left, b);
  const std::vector<LevelRun> ra = AllRuns(s, a), rb = AllRuns(s, b);
  ASSERT_EQ(ra.size(), rb.size());
  for (size_t i = 0; i < ra.size(); ++i) EXPECT_EQ(ra[i].value, rb[i].value);
}

TEST(SpectrogramColumns, FramesBeyondTheDocumentReadZeros) {
  // A document shorter than a set FFT size of 2048.
  const int frames = 1500;
  std::vector<double> x(frames);
  for (int i = 0; i < frames; ++i) x[i] = 20000 * std::sin(i * 0.3);
  const std::vector<uint8_t> pcm = Pcm16(x);
  SoundSource snd{pcm.data(), frames, 1, 16, 44100, 1000};
  AnalysisSettings st;
  st.fftSize = 2048;
  const SpectrogramSetup s = MakeSpectrogramSetup(snd, st, Geometry(50, 200));
  EXPECT_EQ(s.fftSize, 2048);
  SpectrogramColumns cols;
  ComputeSpectrogramColumns(s, snd, ColumnStretch{-5000, 8000, 0, 15 * 49, 0}, cols);
  EXPECT_EQ(cols.columnCount(), 50u);
  EXPECT_FALSE(AllRuns(s, cols).empty());
  // Columns far before and far after the sound see only zeros.
  EXPECT_TRUE(ColumnRuns(s, cols, 0).empty());
  EXPECT_TRUE(ColumnRuns(s, cols, 49).empty());
}

}  // namespace
}  // namespace nv
