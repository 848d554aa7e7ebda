// The pulse interval / pulse length histogram on bursts at known places. At
// 1 MHz without time expansion one frame is one microsecond, so bar limits in
// frames equal microseconds.
#include <gtest/gtest.h>

#include <string>

#include "PulseTestSignals.h"
#include "analysis/PulseAnalysis.h"
#include "analysis/RateHistogram.h"
#include "base/TimeBase.h"
#include "document/CNorvaneDoc.h"
#include "document/DemoRecording.h"

namespace nv {
namespace {

using test::Sound16;

// Fixed histogram 0 ... endMs in `bars` bars, threshold 1000, delay 1 ms
// (D = 1000 frames).
RateSettings Fixed(bool interval, int endMs = 10, int bars = 10) {
  RateSettings s;
  s.intervalMode = interval ? 1 : 0;
  s.autoCalc = 0;
  s.histStartMs = 0;
  s.histEndMs = endMs;
  s.bars = bars;
  s.delayMs = 1;
  s.threshold = 1000;
  return s;
}

RateHistogram Computed(const RateSettings& s, const SampleSource& src, int64_t start = 0,
                       int64_t end = -1) {
  RateHistogram h(s);
  h.SetUp(src, 1000000, 1000, start, end);
  h.Compute(src);
  return h;
}

// The first-start settings find the calls of a bat recording, as the pulse
// characteristics analysis's do: every pulse of the demo (47: two of its
// 48 calls overlap) counts as a length and, but for the first, as an
// interval; none is split or dropped.
TEST(RateHistogram, FirstStartSettingsFindTheDemosCalls) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(BuildDemoRecording(doc));
  const SampleSource src = doc.Samples();
  PulseRunInput in;
  in.samples = src;
  in.rateHz = doc.Format().nSamplesPerSec;
  in.timeExpansion = doc.Info().TimeExpansion();
  const int pulses = PulseAnalysis::Run(in, {});
  ASSERT_EQ(pulses, 47);
  for (const bool interval : {true, false}) {
    RateSettings s;
    s.intervalMode = interval ? 1 : 0;
    RateHistogram h(s);
    h.SetUp(src, in.rateHz, in.timeExpansion, 0, -1);
    h.Compute(src);
    EXPECT_EQ(h.Total(), interval ? pulses - 1 : pulses) << (interval ? "intervals" : "lengths");
    const std::vector<int64_t> values = RateHistogram::Detect(src, 0, 0, src.Frames(), h.Threshold(),
                                                             h.DelayFrames(), interval);
    ASSERT_EQ(static_cast<int>(values.size()), interval ? pulses - 1 : pulses);
    // Calls of 2 to 6 ms (7 ms where two overlap), 5 to 120 ms apart (real
    // time).
    for (const int64_t v : values) {
      const int64_t us = TimeBase(in.rateHz, in.timeExpansion).FramesToMicroseconds(v);
      if (interval)
        EXPECT_TRUE(us >= 5000 && us <= 120000) << us;
      else
        EXPECT_TRUE(us >= 1000 && us <= 8000) << us;
    }
  }
}

TEST(RateHistogram, LengthOfDelayNotCountedOneMoreIs) {
  Sound16 snd(20000);
  snd.Burst(1000, 1001, 5000);  // last - first = 1000 = D
  snd.Burst(6000, 1002, 5000);  // 1001
  const RateHistogram h = Computed(Fixed(false), snd.Source());
  EXPECT_EQ(h.DelayFrames(), 1000);
  EXPECT_EQ(h.Total(), 1);
  EXPECT_EQ(h.Count(2), 1);  // 1001 lies in (1000, 2000]
}

TEST(RateHistogram, GapOfDelayJoinsOneMoreSplits) {
  Sound16 one(20000), two(20000);
  one.Burst(1000, 2000, 5000);  // last above 2999
  one.Burst(4000, 2000, 5000);  // 1000 silent frames between
  two.Burst(1000, 2000, 5000);
  two.Burst(4001, 2000, 5000);  // 1001 silent frames
  const RateHistogram a = Computed(Fixed(false), one.Source());
  EXPECT_EQ(a.Total(), 1);
  EXPECT_EQ(a.Count(5), 1);  // 5999 - 1000 = 4999
  const RateHistogram b = Computed(Fixed(false), two.Source());
  EXPECT_EQ(b.Total(), 2);
  EXPECT_EQ(b.Count(2), 2);  // 1999 each
}

TEST(RateHistogram, IntervalsBarLimitsAndTheEnd) {
  Sound16 snd(30000);
  for (int start : {1000, 4000, 8000, 13000}) snd.Burst(static_cast<size_t>(start), 1500, 5000);
  // Four pulses, three intervals; 3000 lies exactly on a limit: bar 3.
  RateHistogram h = Computed(Fixed(true), snd.Source());
  EXPECT_EQ(h.Total(), 3);
  EXPECT_EQ(h.Count(3), 1);
  EXPECT_EQ(h.Count(4), 1);
  EXPECT_EQ(h.Count(5), 1);
  EXPECT_EQ(h.Count(2), 0);
  EXPECT_EQ(h.LargestCount(), 1);
  // The histogram ends at 4 ms: the interval of 5000 is dropped from the total.
  h = Computed(Fixed(true, 4, 4), snd.Source());
  EXPECT_EQ(h.Total(), 2);
  EXPECT_EQ(h.LastBar(), 4);
  // The first pulse yields no interval even when it starts at the first frame.
  Sound16 atZero(20000);
  for (int start : {0, 3000, 7000}) atZero.Burst(static_cast<size_t>(start), 1500, 5000);
  h = Computed(Fixed(true), atZero.Source());
  EXPECT_EQ(h.Total(), 2);
  EXPECT_EQ(h.Count(3), 1);
  EXPECT_EQ(h.Count(4), 1);
  // A pulse still open at the end of the range is not measured.
  h = Computed(Fixed(false), snd.Source(), 0, 13500);
  EXPECT_EQ(h.Total(), 3);
}

TEST(RateHistogram, AtMost1024BarsAndTheTextExport) {
  Sound16 snd(20000);
  snd.Burst(1000, 2500, 5000);
  RateHistogram h = Computed(Fixed(false, 4000, 2000), snd.Source());
  EXPECT_EQ(h.BarWidthUs(), 2000);
  EXPECT_EQ(h.Bars(), 1024);
  EXPECT_EQ(h.FirstBar(), 1);
  EXPECT_EQ(h.LastBar(), 1024);
  EXPECT_EQ(h.HistEndUs(), 1024 * 2000);
  const std::string text = h.AsciiText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1025);

  h = Computed(Fixed(false, 5, 5), snd.Source());
  EXPECT_EQ(h.AsciiText(),
            "From (ms)\tTo (ms)\t# observations\r\n0\t1\t0\r\n1\t2\t0\r\n2\t3\t1\r\n3\t4\t0\r\n4\t5\t0\r\n");
}

TEST(RateHistogram, EmptySetUpsDivideByNothing) {
  Sound16 snd(20000);
  snd.Burst(1000, 2500, 5000);
  {  // End equal to start: no bars.
    RateSettings s = Fixed(false, 5, 10);
    s.histStartMs = 5;
    RateHistogram h = Computed(s, snd.Source());
    EXPECT_EQ(h.Bars(), 0);
    EXPECT_EQ(h.Settings().bars, 0);
    EXPECT_EQ(h.Total(), 0);
    EXPECT_EQ(h.LargestCount(), 1);
    EXPECT_LT(h.LastBar(), h.FirstBar());
    EXPECT_EQ(h.AsciiText(), "From (ms)\tTo (ms)\t# observations\r\n");
  }
  {  // No bars asked for: bars of one microsecond.
    RateSettings s = Fixed(false, 5, 0);
    RateHistogram h = Computed(s, snd.Source());
    EXPECT_EQ(h.BarWidthUs(), 1);
    EXPECT_EQ(h.Bars(), 1024);
  }
  {  // No samples at all, with automatic threshold and settings.
    RateSettings s = Fixed(true);
    s.threshold = -1;
    s.autoCalc = 1;
    RateHistogram h(s);
    h.SetUp(SampleSource(), 1000000, 1000, 0, -1);
    EXPECT_TRUE(h.Compute(SampleSource()));
    EXPECT_EQ(h.Total(), 0);
    EXPECT_EQ(h.LargestCount(), 1);
    EXPECT_EQ(h.FirstBar(), 1);
    EXPECT_EQ(h.LastBar(), 2);
    EXPECT_FALSE(h.Compute(SampleSource()));  // computed once per set-up
  }
  {  // A range of one frame (end before start).
    RateHistogram h(Fixed(false));
    h.SetUp(snd.Source(), 1000000, 1000, 500, 100);
    EXPECT_EQ(h.RangeStart(), 500);
    EXPECT_EQ(h.RangeEnd(), 501);
    h.Compute(snd.Source());
    EXPECT_EQ(h.Total(), 0);
  }
}

TEST(RateHistogram, AutomaticThresholdAndSettings) {
  // Mean magnitude 500 and largest 1000: threshold 500 + 250.
  Sound16 flat(1000);
  for (size_t i = 0; i < 500; ++i) flat.values[i] = (i % 2) ? -1000 : 1000;
  RateSettings s = Fixed(true);
  s.threshold = 0;
  RateHistogram h = Computed(s, flat.Source());
  EXPECT_EQ(h.Threshold(), 750);

  // Eleven pulses 10 ms apart: mean interval 10000 frames, bar width
  // nice(2000 us) = 500 us, the value in bar 20, shown up to it.
  Sound16 snd(120000);
  for (size_t k = 0; k < 11; ++k) snd.Burst(1000 + k * 10000, 2000, 8000);
  s = Fixed(true);
  s.autoCalc = 1;
  s.threshold = -1;
  RateHistogram a(s);
  a.SetUp(snd.Source(), 1000000, 1000, 0, -1);
  EXPECT_TRUE(a.Compute(snd.Source()));
  EXPECT_EQ(a.Threshold(), 1466 + 2000);  // mean 11 * 2000 * 8000 / 120000, + 8000 / 4
  EXPECT_EQ(a.BarWidthUs(), 500);
  EXPECT_EQ(a.Count(20), 10);
  EXPECT_EQ(a.LastBar(), 20);
  EXPECT_EQ(a.Total(), 10);
  EXPECT_EQ(a.Settings().histStartMs, 0);
  EXPECT_EQ(a.Settings().histEndMs, 10);
  EXPECT_EQ(a.Settings().bars, 20);
  EXPECT_EQ(a.Settings().threshold, a.Threshold());
}

TEST(RateHistogram, ChannelsAndEightBitScale) {
  // Stereo: both or neither flag analyse the left channel, right alone the right.
  std::vector<uint8_t> bytes(20000 * 4, 0);
  for (int i = 1000; i < 3000; ++i) {  // right channel only
    bytes[static_cast<size_t>(4 * i + 3)] = 0x20;  // 8192
  }
  const SampleSource stereo(bytes.data(), 20000, 2, 16);
  RateSettings s = Fixed(false);
  EXPECT_EQ(Computed(s, stereo).Total(), 0);
  s.leftChannel = 0;
  EXPECT_EQ(Computed(s, stereo).Total(), 1);
  // 8-bit: (u - 128) * 256 against the 16-bit threshold of 1000.
  std::vector<uint8_t> eight(20000, 128);
  for (int i = 1000; i < 3000; ++i) eight[static_cast<size_t>(i)] = 131;  // 768: not above
  for (int i = 6000; i < 8000; ++i) eight[static_cast<size_t>(i)] = 132;  // 1024: above
  const RateHistogram h = Computed(Fixed(false), SampleSource(eight.data(), 20000, 1, 8));
  EXPECT_EQ(h.Total(), 1);
  EXPECT_EQ(h.Count(2), 1);
}

TEST(RateHistogram, ThresholdFromTheLevelCursor) {
  Sound16 snd(20000);
  snd.Burst(1000, 2500, 3000);
  RateSettings s = Fixed(false);
  s.threshold = 5000;
  RateHistogram h(s);
  h.SetUp(snd.Source(), 1000000, 1000, 0, -1);
  h.Compute(snd.Source());
  EXPECT_EQ(h.Total(), 0);
  h.SetThreshold(2000);
  h.SetUp(snd.Source(), 1000000, 1000, 0, -1);
  h.Compute(snd.Source());
  EXPECT_EQ(h.Total(), 1);
  EXPECT_EQ(h.Settings().threshold, 2000);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// The histogram's detection frame by frame, as described: the oracle for
// the block-wise detection over long silences.
std::vector<int64_t> LiteralValues(const std::vector<int16_t>& x, int32_t thr, int64_t d, bool interval) {
  std::vector<int64_t> out;
  bool open = false, previous = false;
  int64_t f = 0, g = 0, e = 0;
  for (size_t k = 0; k < x.size(); ++k) {
    const int64_t idx = static_cast<int64_t>(k);
    if (std::abs(static_cast<int32_t>(x[k])) > thr) {
      if (!open) {
        open = true;
        f = idx;
      }
      g = idx;
    } else if (open && g + d < idx) {
      if (!interval || previous) {
        if (g - f > d) out.push_back(interval ? f - e : g - f);
      }
      e = f;
      previous = true;
      open = false;
    }
  }
  return out;
}

TEST(RateHistogram, BlockwiseDetectionAgreesWithTheFrameByFrameRule) {
  uint64_t state = 777;
  auto next = [&](uint64_t mod) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (state >> 33) % mod;
  };
  for (int round = 0; round < 20; ++round) {
    test::Sound16 snd(60000);
    size_t pos = next(3000);
    while (pos < 60000) {
      snd.Burst(pos, 1 + next(900), static_cast<int16_t>(500 + next(2000)));
      pos += 1 + next(900) + 1 + next(9000);
    }
    const int64_t d = static_cast<int64_t>(next(3000));
    for (bool interval : {false, true}) {
      EXPECT_EQ(RateHistogram::Detect(snd.Source(), 0, 0, 60000, 1000, d, interval),
                LiteralValues(snd.values, 1000, d, interval))
          << "round " << round;
    }
  }
}

}  // namespace
}  // namespace nv
