// The detection in a band and above the noise floor: the band's filter, the
// noise floor estimate, and whole analyses of synthetic sounds with
// out-of-band sound and a changing background.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "PulseTestSignals.h"
#include "analysis/DetectionBand.h"
#include "analysis/NoiseFloor.h"
#include "analysis/PulseAnalysis.h"
#include "analysis/PulseFieldPreset.h"

namespace nv {
namespace {

using test::Sound16;
constexpr double kPi = 3.14159265358979323846;

// Gain in dB of the band's filter for a sine of `hz` at `rateHz`, from the
// steady state.
double GainDb(DetectionBand band, double hz, double rateHz) {
  band.Reset();
  const int n = static_cast<int>(rateHz / 50);  // 20 ms
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) x[static_cast<size_t>(i)] = std::sin(2 * kPi * hz * i / rateHz);
  band.Process(x.data(), n);
  double peak = 0;
  for (int i = n / 2; i < n; ++i) peak = std::max(peak, std::fabs(x[static_cast<size_t>(i)]));
  return 20 * std::log10(peak);
}

TEST(DetectionBand, PassesTheBandAndStopsTheRest) {
  for (const double rate : {192000.0, 384000.0, 500000.0}) {
    DetectionBand band;
    band.Design(20000, 80000, static_cast<int64_t>(rate));
    EXPECT_EQ(band.Sections(), 6);
    EXPECT_NEAR(GainDb(band, 40000, rate), 0.0, 0.5) << rate;
    EXPECT_NEAR(GainDb(band, 20000, rate), -3.0, 0.6) << rate;
    EXPECT_NEAR(GainDb(band, 80000, rate), -3.0, 0.6) << rate;
    EXPECT_LT(GainDb(band, 8000, rate), -45.0) << rate;
    EXPECT_LT(GainDb(band, 5000, rate), -65.0) << rate;
    EXPECT_LT(GainDb(band, 2000, rate), -60.0) << rate;
  }
  // An open upper edge: a high-pass only.
  DetectionBand high;
  high.Design(15000, 0, 384000);
  EXPECT_EQ(high.Sections(), 3);
  EXPECT_NEAR(GainDb(high, 150000, 384000), 0.0, 0.5);
  EXPECT_LT(GainDb(high, 3000, 384000), -50.0);
  // No edges: everything passes unchanged.
  DetectionBand none;
  none.Design(0, 0, 384000);
  EXPECT_EQ(none.Sections(), 0);
}

TEST(DetectionBand, CheckNamesTheFault) {
  EXPECT_EQ(DetectionBand::Check(15000, 0, 192000), "");
  EXPECT_EQ(DetectionBand::Check(15000, 96000, 192000), "");
  EXPECT_EQ(DetectionBand::Check(15000, 120000, 192000),
            "The detection band's upper edge (120000 Hz) lies above the Nyquist frequency of the "
            "recording (96000 Hz).");
  EXPECT_EQ(DetectionBand::Check(100000, 0, 192000),
            "The detection band's lower edge (100000 Hz) does not lie below the Nyquist frequency of "
            "the recording (96000 Hz).");
  EXPECT_EQ(DetectionBand::Check(50000, 20000, 384000),
            "The detection band's lower edge (50000 Hz) must lie below its upper edge (20000 Hz).");
  EXPECT_EQ(DetectionBand::Check(-1, 20000, 384000), "The detection band's edges must not be negative.");
  // A time-expanded recording: 38.4 kHz stored, tenfold: the real Nyquist
  // frequency is 192 kHz.
  PulseSettings s;
  s.detectLowHz = 20000;
  s.detectHighHz = 150000;
  EXPECT_EQ(PulseAnalysis::CheckDetection(s, 38400, 10000), "");
  EXPECT_NE(PulseAnalysis::CheckDetection(s, 38400, 1000), "");
  s.aboveNoise = 1;
  s.noiseMargin = -100;
  EXPECT_EQ(PulseAnalysis::CheckDetection(s, 38400, 10000),
            "The threshold above the noise floor must lie between 0 and 100 dB.");
}

TEST(NoiseFloor, FollowsAChangingBackground) {
  NoiseFloor floor(100, 0.1, 4);
  EXPECT_EQ(floor.Floor(), 0.0);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> jitter(0.9, 1.1);
  // Quiet blocks with a call (strong blocks) in every fourth: the floor
  // reads the quiet ones.
  for (int k = 0; k < 300; ++k) floor.Add((k % 4 == 0 ? 1000.0 : 1.0) * jitter(rng));
  EXPECT_NEAR(floor.Floor(), 0.92, 0.05);
  // The background rises a hundredfold: within one window the floor is there.
  for (int k = 0; k < 100; ++k) floor.Add(100.0 * jitter(rng));
  EXPECT_NEAR(floor.Floor(), 92.0, 5.0);
  // And falls again: a tenth of a window (and one refresh) is enough.
  for (int k = 0; k < 14; ++k) floor.Add(1.0 * jitter(rng));
  EXPECT_LT(floor.Floor(), 1.1);
}

// Detection only, first-start defaults otherwise.
PulseSettings DetectionOnly() {
  PulseSettings s;
  s.leftChannel = 1;
  s.ampMaxAmp = s.freqStrong = s.freqStrongMark = s.freqMax = s.freqMin = 0;
  s.freqMaxMark = s.freqMinMark = s.duration = 0;
  return s;
}

std::vector<PulseResult> Analyse(const SampleSource& src, const PulseSettings& s, int64_t rateHz,
                                 int32_t expansion = 1000) {
  std::vector<PulseResult> out;
  PulseRunInput in;
  in.samples = src;
  in.rateHz = rateHz;
  in.timeExpansion = expansion;
  in.settings = s;
  PulseCallbacks cb;
  cb.result = [&](PulseResult&& r) { out.push_back(std::move(r)); };
  PulseAnalysis::Run(in, cb);
  return out;
}

TEST(PulseFieldDetection, DefaultsKeepTheDocumentedDetection) {
  EXPECT_FALSE(PulseAnalysis::ConditionedDetection(PulseSettings{}));
  PulseSettings field;
  PulseFieldPreset::ApplyTo(field);
  EXPECT_TRUE(PulseAnalysis::ConditionedDetection(field));
  EXPECT_EQ(field.detectLowHz, 15000);
  EXPECT_EQ(field.aboveNoise, 1);
}

// 384 kHz of real rate over faint noise (-60 dB): 6 calls at 50 kHz (5 ms)
// and, between them, 6 loud 8 kHz tones (an insect, 10 ms): the whole band
// finds both, a band from 25 kHz only the calls; also tenfold time-expanded.
TEST(PulseFieldDetection, TheBandExcludesOutOfBandSound) {
  const int64_t rate = 384000;  // effective: frames per real second
  const size_t perMs = static_cast<size_t>(rate / 1000);
  for (const int32_t expansion : {1000, 10000}) {
    const int64_t fileRate = rate * 1000 / expansion;
    const double k = expansion / 1000.0;  // file frequency = real / k
    Sound16 snd(perMs * 600);
    std::mt19937 rng(5);
    std::normal_distribution<double> gauss(0.0, 0.001 * 32767.0);
    std::vector<size_t> calls;
    for (int c = 0; c < 6; ++c) {
      const size_t call = perMs * static_cast<size_t>(20 + 90 * c);
      const size_t tone = call + perMs * 30;
      snd.Sweep(call, perMs * 5, 55000.0 / k, 45000.0 / k, static_cast<double>(fileRate), 0.2, 20);
      snd.Sweep(tone, perMs * 10, 8000.0 / k, 8000.0 / k, static_cast<double>(fileRate), 0.3, 200);
      calls.push_back(call);
    }
    for (int16_t& v : snd.values) v = static_cast<int16_t>(v + std::lround(gauss(rng)));
    const SampleSource src = snd.Source();
    PulseSettings s = DetectionOnly();
    EXPECT_EQ(Analyse(src, s, fileRate, expansion).size(), 12u) << expansion;
    s.detectLowHz = 25000;
    s.detectHighHz = 120000;
    const auto found = Analyse(src, s, fileRate, expansion);
    ASSERT_EQ(found.size(), 6u) << expansion;
    for (size_t c = 0; c < 6; ++c)
      EXPECT_NEAR(found[c].startUs, static_cast<double>(calls[c]) * 1e6 / static_cast<double>(rate), 100.0)
          << expansion << " " << c;
    // The same above the noise floor.
    s.aboveNoise = 1;
    s.noiseMargin = 800;
    EXPECT_EQ(Analyse(src, s, fileRate, expansion).size(), 6u) << expansion;
  }
}

// Three seconds at 250 kHz whose background rises 20 dB from start to end,
// with calls 15 dB above the background where they are: above the noise
// floor every call is found and nothing else; no absolute threshold does.
TEST(PulseFieldDetection, TheThresholdFollowsARisingBackground) {
  const int64_t rate = 250000;
  const size_t frames = static_cast<size_t>(rate * 3);
  std::vector<double> x(frames);
  std::mt19937 rng(7);
  std::normal_distribution<double> gauss(0.0, 1.0);
  auto noiseAt = [&](size_t i) {  // rms, full scale 1
    return 0.001 * std::pow(10.0, static_cast<double>(i) / static_cast<double>(frames));
  };
  for (size_t i = 0; i < frames; ++i) x[i] = noiseAt(i) * gauss(rng);
  std::vector<size_t> calls;
  for (size_t c = static_cast<size_t>(rate / 20); c + rate / 50 < frames; c += static_cast<size_t>(rate / 10)) {
    const double amp = noiseAt(c) * std::sqrt(2.0) * std::pow(10.0, 15.0 / 20.0);
    const size_t n = static_cast<size_t>(rate * 4 / 1000);
    for (size_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / static_cast<double>(rate);
      const double env = std::min(1.0, std::min(static_cast<double>(i), static_cast<double>(n - i)) / 50.0);
      x[c + i] += amp * env * std::sin(2 * kPi * (70000.0 * t - 0.5 * 30000.0 / 0.004 * t * t));
    }
    calls.push_back(c);
  }
  Sound16 snd(frames);
  for (size_t i = 0; i < frames; ++i)
    snd.values[i] = static_cast<int16_t>(std::lround(std::clamp(x[i] * 32767.0, -32768.0, 32767.0)));
  const SampleSource src = snd.Source();

  // Every call once, each start within 0.5 ms.
  auto matches = [&](const std::vector<PulseResult>& found) {
    if (found.size() != calls.size()) return false;
    for (size_t k = 0; k < calls.size(); ++k)
      if (std::fabs(found[k].startUs - static_cast<double>(calls[k]) * 1e6 / rate) > 500.0) return false;
    return true;
  };
  PulseSettings s = DetectionOnly();
  PulseFieldPreset::ApplyTo(s);
  const auto found = Analyse(src, s, rate);
  EXPECT_EQ(found.size(), calls.size());
  EXPECT_TRUE(matches(found));

  // Absolute thresholds from -60 to -20 dB: each misses calls, or finds
  // pulses that are not calls, or merges calls.
  PulseSettings a = DetectionOnly();
  a.detectLowHz = PulseFieldPreset::kDetectLowHz;
  for (int32_t t = 2000; t <= 6000; t += 500) {
    a.ampThreshold = -t;
    EXPECT_FALSE(matches(Analyse(src, a, rate))) << t;
  }
}

}  // namespace
}  // namespace nv
