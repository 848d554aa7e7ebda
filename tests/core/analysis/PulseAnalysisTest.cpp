// The pulse characteristics analysis on synthetic sounds with known answers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PulseTestSignals.h"
#include "analysis/PulseAnalysis.h"

namespace nv {
namespace {

using test::Sound16;

// Detection only: every measurement that needs the spectrogram off.
PulseSettings OscillogramOnly() {
  PulseSettings s;
  s.leftChannel = 1;
  s.ampMaxAmp = s.freqStrong = s.freqStrongMark = s.freqMax = s.freqMin = 0;
  s.freqMaxMark = s.freqMinMark = s.duration = 0;
  s.ampThreshold = -2000;  // 1 % of full scale: 328
  s.ampSeparationUs = 10;
  s.durTimeUs = 5;
  return s;
}

struct Outcome {
  std::vector<PulseResult> results;
  std::vector<std::string> status;
};

// At 1 MHz without time expansion one frame is one microsecond.
Outcome Analyse(const SampleSource& src, const PulseSettings& s, int64_t rateHz = 1000000,
            int32_t expansion = 1000, int64_t from = 0, int64_t to = -1) {
  Outcome run;
  PulseRunInput in;
  in.samples = src;
  in.rateHz = rateHz;
  in.timeExpansion = expansion;
  in.startFrame = from;
  in.endFrame = to;
  in.settings = s;
  PulseCallbacks cb;
  cb.status = [&](const std::string& t) { run.status.push_back(t); };
  cb.result = [&](PulseResult&& r) { run.results.push_back(std::move(r)); };
  const int n = PulseAnalysis::Run(in, cb);
  EXPECT_EQ(n, static_cast<int>(run.results.size()));
  return run;
}

TEST(PulseAnalysis, AmplitudeThresholdIgnoresTheSign) {
  // 10^(-12/10) of full scale, rounded.
  EXPECT_EQ(PulseAnalysis::AmplitudeThreshold(-1200, 16), 2068);
  EXPECT_EQ(PulseAnalysis::AmplitudeThreshold(1200, 16), 2068);
  EXPECT_EQ(PulseAnalysis::AmplitudeThreshold(-2000, 16), 328);
  EXPECT_EQ(PulseAnalysis::AmplitudeThreshold(-2000, 8), 1);
  EXPECT_EQ(PulseAnalysis::AmplitudeThreshold(0, 16), 32768);

  Sound16 snd(2000);
  snd.Burst(100, 300, 3000);
  snd.Burst(1000, 300, 2500);
  PulseSettings minus = OscillogramOnly(), plus = OscillogramOnly();
  minus.ampThreshold = -1200;
  plus.ampThreshold = 1200;
  const Outcome a = Analyse(snd.Source(), minus), b = Analyse(snd.Source(), plus);
  ASSERT_EQ(a.results.size(), 2u);
  ASSERT_EQ(b.results.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(a.results[i].startUs, b.results[i].startUs);
    EXPECT_EQ(a.results[i].durationUs, b.results[i].durationUs);
  }
}

TEST(PulseAnalysis, DetectionEdges) {
  const PulseSettings s = OscillogramOnly();
  {  // A magnitude equal to the threshold is not above it; one more is.
    Sound16 snd(1000);
    snd.Burst(100, 200, 328);
    EXPECT_TRUE(Analyse(snd.Source(), s).results.empty());
    snd.Burst(100, 200, 329);
    EXPECT_EQ(Analyse(snd.Source(), s).results.size(), 1u);
  }
  {  // The length is two frames short of the first-to-last span above.
    Sound16 snd(1000);
    snd.Burst(100, 50, 5000);  // frames 100 ... 149 above
    const Outcome r = Analyse(snd.Source(), s);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].startUs, 100);
    EXPECT_EQ(r.results[0].durationUs, 48);
    EXPECT_EQ(r.results[0].endUs, 148);
    EXPECT_EQ(r.results[0].pulseNumber, 1);
  }
  {  // Duration equal to the minimum: discarded; one longer: kept.
    Sound16 snd(1000);
    snd.Burst(100, 50, 5000);
    PulseSettings t = s;
    t.durTimeUs = 48;
    EXPECT_TRUE(Analyse(snd.Source(), t).results.empty());
    t.durTimeUs = 47;
    EXPECT_EQ(Analyse(snd.Source(), t).results.size(), 1u);
  }
  {  // Bursts G frames apart form one pulse, G + 1 apart two (G = 10).
    Sound16 one(1000), two(1000);
    one.Burst(100, 50, 5000);
    one.Burst(160, 50, 5000);  // frames 150 ... 159 silent
    two.Burst(100, 50, 5000);
    two.Burst(161, 50, 5000);  // frames 150 ... 160 silent
    const Outcome a = Analyse(one.Source(), s), b = Analyse(two.Source(), s);
    ASSERT_EQ(a.results.size(), 1u);
    EXPECT_EQ(a.results[0].durationUs, 209 - 100 - 1);
    ASSERT_EQ(b.results.size(), 2u);
    EXPECT_EQ(b.results[1].startUs, 161);
    EXPECT_EQ(b.results[1].pulseNumber, 2);
  }
  {  // A pulse still open at the end of the range is measured.
    Sound16 snd(1000);
    snd.Burst(900, 100, 5000);  // above up to the last frame
    Outcome r = Analyse(snd.Source(), s);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].durationUs, 99);
    Sound16 tail(1000);
    tail.Burst(900, 95, 5000);  // five silent frames at the end (fewer than G)
    r = Analyse(tail.Source(), s);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].durationUs, 94);
    // The same pulse cut by a range end.
    r = Analyse(snd.Source(), s, 1000000, 1000, 0, 950);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].durationUs, 49);
  }
  {  // A reversed range is the same stretch; statuses frame the run.
    Sound16 snd(1000);
    snd.Burst(300, 100, 5000);
    const Outcome r = Analyse(snd.Source(), s, 1000000, 1000, 600, 200);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.status, (std::vector<std::string>{"Calculation started.", "Calculation completed."}));
    const Outcome none = Analyse(snd.Source(), s, 1000000, 1000, 500, -1);
    EXPECT_TRUE(none.results.empty());
    EXPECT_EQ(none.status.size(), 2u);
  }
  {  // An empty sound and a single frame above give nothing.
    EXPECT_TRUE(Analyse(SampleSource(), s).results.empty());
    Sound16 snd(100);
    snd.values[50] = 10000;
    PulseSettings t = s;
    t.durTimeUs = -100;
    EXPECT_TRUE(Analyse(snd.Source(), t).results.empty());
  }
}

TEST(PulseAnalysis, StereoChannelAndEightBit) {
  // Left silent, right with a burst: the left flag picks the channel.
  std::vector<uint8_t> bytes(1000 * 4, 0);
  for (int i = 200; i < 300; ++i) {
    const int16_t v = (i % 2) ? -6000 : 6000;
    bytes[static_cast<size_t>(4 * i + 2)] = static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF);
    bytes[static_cast<size_t>(4 * i + 3)] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
  }
  const SampleSource stereo(bytes.data(), 1000, 2, 16);
  PulseSettings s = OscillogramOnly();
  s.leftChannel = 1;
  EXPECT_TRUE(Analyse(stereo, s).results.empty());
  s.leftChannel = 0;
  ASSERT_EQ(Analyse(stereo, s).results.size(), 1u);

  // 8-bit: threshold 1 of 128; magnitude |u - 128|.
  std::vector<uint8_t> eight(1000, 128);
  for (int i = 100; i < 200; ++i) eight[static_cast<size_t>(i)] = 130;  // magnitude 2
  for (int i = 500; i < 600; ++i) eight[static_cast<size_t>(i)] = 127;  // magnitude 1: not above
  const Outcome r = Analyse(SampleSource(eight.data(), 1000, 1, 8), OscillogramOnly());
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.results[0].startUs, 100);
}

TEST(PulseAnalysis, MarksOfStartAndEnd) {
  Sound16 snd(1000);
  snd.Burst(0, 50, 5000);    // starts at time 0: no start mark
  snd.Burst(300, 50, 5000);
  PulseSettings s = OscillogramOnly();
  s.startTimeMark = s.stopTimeMark = 1;
  s.leftChannel = 0;
  const Outcome r = Analyse(snd.Source(), s);
  ASSERT_EQ(r.results.size(), 2u);
  ASSERT_EQ(r.results[0].marks.size(), 1u);
  EXPECT_EQ(r.results[0].marks[0].label, "#1 end");
  ASSERT_EQ(r.results[1].marks.size(), 2u);
  const PulseMarkRequest& start = r.results[1].marks[0];
  EXPECT_EQ(start.label, "#2 start");
  EXPECT_EQ(start.kind, PulseMarkKind::Start);
  EXPECT_EQ(start.position, 300);
  EXPECT_EQ(start.value, 0);
  EXPECT_FALSE(start.inSpectrogram);
  EXPECT_EQ(start.channel, 2);
  EXPECT_EQ(start.cursorKind, CursorKind::Marking);
  EXPECT_EQ(r.results[1].marks[1].label, "#2 end");
  EXPECT_EQ(r.results[1].marks[1].position, 300 + 48);
}

// A 5 ms sweep from 80 to 35 kHz at 384 kHz, as a bat's FM call.
struct FmCall {
  static constexpr double kRate = 384000;
  static constexpr size_t kStart = 20000, kLength = 1920;
  Sound16 snd{60000};
  FmCall() { snd.Sweep(kStart, kLength, 80000, 35000, kRate, 0.5, 20); }
  static PulseSettings Settings() {
    PulseSettings s;
    s.leftChannel = 1;
    s.fftSize = 256;
    s.fftOverlap = 192;  // hop 64 frames
    s.fftWindow = 2;
    s.ampThreshold = -2000;
    s.freqThreshold = -2000;
    s.freqSeparationHz = 5000;
    s.ampSeparationUs = 1000;
    s.durTimeUs = 500;
    s.freqMaxMark = s.freqMinMark = s.freqStrongMark = 1;
    return s;
  }
};

TEST(PulseAnalysis, FrequencyModulatedCallMeasured) {
  FmCall call;
  const PulseSettings s = FmCall::Settings();
  const Outcome r = Analyse(call.snd.Source(), s, 384000);
  ASSERT_EQ(r.results.size(), 1u);
  const PulseResult& p = r.results[0];
  const double frameUs = 1e6 / FmCall::kRate, hopUs = 64 * frameUs, binHz = FmCall::kRate / 256;
  EXPECT_NEAR(p.startUs, FmCall::kStart * frameUs, hopUs);
  EXPECT_NEAR(p.endUs, (FmCall::kStart + FmCall::kLength) * frameUs, hopUs);
  EXPECT_NEAR(p.durationUs, 5000, hopUs);
  EXPECT_NEAR(p.maxFrequencyHz, 80000, binHz);
  EXPECT_NEAR(p.minFrequencyHz, 35000, binHz);
  EXPECT_GE(p.strongestHz, 35000 - binHz);
  EXPECT_LE(p.strongestHz, 80000 + binHz);
  // A -6 dB sine spread over a few bins by the sweep.
  EXPECT_LT(p.maxLevelDb, -6.0);
  EXPECT_GT(p.maxLevelDb, -20.0);
  EXPECT_NEAR(p.spectStartUs, FmCall::kStart * frameUs, 256 * frameUs + hopUs);
  EXPECT_NEAR(p.spectStopUs + 256 * frameUs, (FmCall::kStart + FmCall::kLength) * frameUs,
              256 * frameUs + hopUs);
  EXPECT_DOUBLE_EQ(p.spectDurationUs, p.spectStopUs - p.spectStartUs);
  EXPECT_EQ(p.energy, 0);

  // Frequency marks at the column centre, in the spectrogram, kind 2.
  ASSERT_EQ(p.marks.size(), 3u);
  EXPECT_EQ(p.marks[0].label, "#1 low");
  EXPECT_EQ(p.marks[1].label, "#1 high");
  EXPECT_EQ(p.marks[2].label, "#1 max ampl.");
  for (const PulseMarkRequest& m : p.marks) {
    EXPECT_TRUE(m.inSpectrogram);
    EXPECT_EQ(m.cursorKind, CursorKind::Measurement);
    EXPECT_EQ(m.channel, 1);
  }
  EXPECT_EQ(p.marks[0].value, static_cast<int32_t>(p.minFrequencyHz));
  EXPECT_EQ(p.marks[1].value, static_cast<int32_t>(p.maxFrequencyHz));
  // The high mark lies near the start of the call, the low one near its end.
  EXPECT_NEAR(p.marks[1].position, FmCall::kStart + 128, 256 + 64);
  EXPECT_NEAR(p.marks[0].position, FmCall::kStart + FmCall::kLength - 128, 256 + 64);
}

TEST(PulseAnalysis, FrequencySeparationZeroFindsOnlyTheStrongestCell) {
  FmCall call;
  PulseSettings s = FmCall::Settings();
  s.freqSeparationHz = 0;
  const Outcome r = Analyse(call.snd.Source(), s, 384000);
  ASSERT_EQ(r.results.size(), 1u);
  const PulseResult& p = r.results[0];
  EXPECT_GT(p.strongestHz, 30000);
  EXPECT_EQ(p.maxFrequencyHz, 0);
  EXPECT_EQ(p.minFrequencyHz, 0);
  EXPECT_EQ(p.spectStartUs, 0);
  EXPECT_EQ(p.spectStopUs, 0);
  ASSERT_EQ(p.marks.size(), 1u);
  EXPECT_EQ(p.marks[0].label, "#1 max ampl.");
}

TEST(PulseAnalysis, FrequencyLimitsBoundTheSearch) {
  FmCall call;
  PulseSettings s = FmCall::Settings();
  s.minFrequencyHz = 45000;
  s.maxFrequencyHz = 70000;
  const Outcome r = Analyse(call.snd.Source(), s, 384000);
  ASSERT_EQ(r.results.size(), 1u);
  const double binHz = FmCall::kRate / 256;
  EXPECT_LE(r.results[0].maxFrequencyHz, 70000);
  EXPECT_GT(r.results[0].maxFrequencyHz, 70000 - binHz);
  EXPECT_GE(r.results[0].minFrequencyHz, 45000);
  EXPECT_LT(r.results[0].minFrequencyHz, 45000 + binHz);
  // A threshold above every cell: the strongest cell only.
  s.freqThreshold = 0;
  const Outcome high = Analyse(call.snd.Source(), s, 384000);
  ASSERT_EQ(high.results.size(), 1u);
  EXPECT_EQ(high.results[0].maxFrequencyHz, 0);
  EXPECT_GT(high.results[0].strongestHz, 0);
}

TEST(PulseAnalysis, CellAtTheThresholdBelongsToThePulse) {
  // The spectrogram threshold is a level: a cell whose level equals it is
  // in. Set the threshold to the strongest cell's level rounded down to the
  // stored hundredths: the region is found; a hundredth above it, not.
  FmCall call;
  PulseSettings s = FmCall::Settings();
  const Outcome first = Analyse(call.snd.Source(), s, 384000);
  ASSERT_EQ(first.results.size(), 1u);
  const double level = first.results[0].maxLevelDb;
  s.freqThreshold = static_cast<int32_t>(std::floor(level * 100));
  const Outcome at = Analyse(call.snd.Source(), s, 384000);
  EXPECT_GT(at.results[0].maxFrequencyHz, 0);
  s.freqThreshold += 1;
  const Outcome above = Analyse(call.snd.Source(), s, 384000);
  EXPECT_EQ(above.results[0].maxFrequencyHz, 0);
  // The comparison itself: the power that stands for a level threshold is
  // the smallest whose level reaches it; the next smaller power is out.
  for (double theta : {-20.0, -24.0, -60.0, -3.01, 0.0}) {
    const double p = PulseAnalysis::ThresholdPower(theta);
    EXPECT_GE(10 * std::log10(p), theta);
    EXPECT_LT(10 * std::log10(std::nextafter(p, 0.0)), theta);
  }
}

TEST(PulseAnalysis, TimeExpandedFileGivesRealTimesAndFrequencies) {
  // The same call stored tenfold slowed down: the file rate is 38 400 Hz and
  // the factor 10. Times and frequencies must read as in real time.
  FmCall real;
  FmCall expanded;
  const PulseSettings s = FmCall::Settings();
  const Outcome a = Analyse(real.snd.Source(), s, 384000, 1000);
  const Outcome b = Analyse(expanded.snd.Source(), s, 38400, 10000);
  ASSERT_EQ(a.results.size(), 1u);
  ASSERT_EQ(b.results.size(), 1u);
  EXPECT_NEAR(b.results[0].startUs, a.results[0].startUs, 1);
  EXPECT_NEAR(b.results[0].durationUs, a.results[0].durationUs, 1);
  EXPECT_DOUBLE_EQ(b.results[0].maxFrequencyHz, a.results[0].maxFrequencyHz);
  EXPECT_DOUBLE_EQ(b.results[0].minFrequencyHz, a.results[0].minFrequencyHz);
  EXPECT_DOUBLE_EQ(b.results[0].strongestHz, a.results[0].strongestHz);
  EXPECT_NEAR(b.results[0].maxFrequencyHz, 80000, 1500);
}

TEST(PulseAnalysis, ManyCallsArriveInOrder) {
  // Twenty calls 50 ms apart at 384 kHz.
  Sound16 snd(384000);
  for (int k = 0; k < 20; ++k) snd.Sweep(1000 + k * 19200, 1920, 80000, 35000, 384000, 0.4, 20);
  const Outcome r = Analyse(snd.Source(), FmCall::Settings(), 384000);
  ASSERT_EQ(r.results.size(), 20u);
  for (size_t k = 0; k < r.results.size(); ++k) {
    EXPECT_EQ(r.results[k].pulseNumber, static_cast<double>(k + 1));
    EXPECT_NEAR(r.results[k].startUs, (1000 + k * 19200) * 1e6 / 384000, 170);
  }
}

TEST(PulseAnalysis, StopFlagEndsTheRun) {
  Sound16 snd(2000);
  snd.Burst(100, 100, 5000);
  snd.Burst(1000, 100, 5000);
  std::atomic<bool> stop{true};
  PulseRunInput in;
  in.samples = snd.Source();
  in.rateHz = 1000000;
  in.settings = OscillogramOnly();
  std::vector<std::string> status;
  int results = 0;
  PulseCallbacks cb;
  cb.status = [&](const std::string& t) { status.push_back(t); };
  cb.result = [&](PulseResult&&) { ++results; };
  PulseAnalysis::Run(in, cb, &stop);
  EXPECT_EQ(results, 0);
  EXPECT_EQ(status.back(), "Calculation stopped.");
  // Stopped by the receiver of the first result: no second one.
  stop = false;
  cb.result = [&](PulseResult&&) {
    ++results;
    stop = true;
  };
  PulseAnalysis::Run(in, cb, &stop);
  EXPECT_EQ(results, 1);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// The detection rule frame by frame, as written in the analysis's
// description: the oracle for the block-wise detection over long silences.
std::vector<std::pair<int64_t, int64_t>> LiteralDetection(const std::vector<int16_t>& x, int32_t a,
                                                          int64_t g) {
  std::vector<std::pair<int64_t, int64_t>> out;
  bool in = false;
  int64_t p = 0, i = 0, s = 0;
  for (size_t k = 0; k < x.size(); ++k) {
    if (std::abs(static_cast<int32_t>(x[k])) > a) {
      s = 0;
      if (!in) {
        in = true;
        p = static_cast<int64_t>(k);
        i = 0;
      } else {
        ++i;
      }
    } else {
      ++s;
      if (!in) {
        i = 0;
      } else if (s > g) {
        out.push_back({p, i - s});
        i = 0;
        in = false;
      } else {
        ++i;
      }
    }
  }
  if (in && i != 0) out.push_back({p, i - s});
  return out;
}

TEST(PulseAnalysis, BlockwiseDetectionAgreesWithTheFrameByFrameRule) {
  uint64_t state = 12345;
  auto next = [&](uint64_t mod) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (state >> 33) % mod;
  };
  for (int round = 0; round < 20; ++round) {
    Sound16 snd(60000);
    size_t pos = next(3000);
    while (pos < 60000) {  // bursts of 1 ... 600 frames, gaps of 1 ... 9000
      snd.Burst(pos, 1 + next(600), static_cast<int16_t>(300 + next(2000)));
      pos += 1 + next(600) + 1 + next(9000);
    }
    PulseSettings s = OscillogramOnly();
    s.ampSeparationUs = static_cast<int32_t>(next(5000));
    s.durTimeUs = -1000000;  // keep everything of non-negative length
    const auto want = LiteralDetection(snd.values, 328, s.ampSeparationUs);
    const Outcome got = Analyse(snd.Source(), s);
    std::vector<std::pair<int64_t, int64_t>> kept;
    for (const auto& w : want)
      if (w.second >= 0) kept.push_back(w);
    ASSERT_EQ(got.results.size(), kept.size()) << "round " << round;
    for (size_t k = 0; k < kept.size(); ++k) {
      EXPECT_EQ(got.results[k].startUs, kept[k].first);
      EXPECT_EQ(got.results[k].durationUs, kept[k].second);
    }
  }
}

}  // namespace
}  // namespace nv
