// The pulse characteristics analysis and the interval histogram on one
// minute of 384 kHz 16-bit sound holding 600 downward FM calls (80 to 35
// kHz, 5 ms, 100 ms apart) over faint noise. Goals: the whole analysis
// (detection and the measurement of every pulse) within 0.15 s, the interval
// histogram within 0.05 s, on one core. bench/pulse_vs_numpy.py runs these
// next to a vectorised numpy detection of the same sound. The *Field
// benchmarks run the same with the set for field recordings (detection in
// the band from 15 kHz, 8 dB above the noise floor): goal above 200 times
// real time, i.e. within 0.3 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/PulseAnalysis.h"
#include "analysis/PulseFieldPreset.h"
#include "analysis/RateHistogram.h"

namespace {

constexpr int64_t kRateHz = 384000;
constexpr int64_t kFrames = 60 * kRateHz;
constexpr int kCalls = 600;

// The sound as stored: 16-bit little-endian mono. The same formula is in
// pulse_vs_numpy.py (there with numpy's noise).
std::vector<uint8_t> MakeSound(int64_t rateHz) {
  const int64_t frames = 60 * rateHz;
  std::vector<double> x(static_cast<size_t>(frames), 0.0);
  uint64_t s = 0x9E3779B97F4A7C15ull;  // xorshift noise, about -70 dB
  for (double& v : x) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    v = (static_cast<double>(s >> 11) / 9007199254740992.0 - 0.5) * 0.001;
  }
  const double pi = 3.14159265358979323846;
  const int64_t n = 5 * rateHz / 1000;
  for (int k = 0; k < kCalls; ++k) {
    const int64_t first = 10000 + static_cast<int64_t>(k) * rateHz / 10;
    double phase = 0;
    for (int64_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / n;
      const double f = 80000.0 - 45000.0 * t;
      const double env = std::sin(pi * t);
      x[static_cast<size_t>(first + i)] += 0.5 * env * env * std::sin(phase);
      phase += 2 * pi * f / rateHz;
    }
  }
  std::vector<uint8_t> b(static_cast<size_t>(frames) * 2);
  for (int64_t i = 0; i < frames; ++i) {
    const int16_t v = static_cast<int16_t>(std::lround(x[static_cast<size_t>(i)] * 32767.0));
    b[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF);
    b[static_cast<size_t>(2 * i + 1)] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
  }
  return b;
}

// The sound at 384 kHz (the first-start benchmarks) and at 500 kHz, made once.
const std::vector<uint8_t>& Sound(int64_t rateHz = kRateHz) {
  static const std::vector<uint8_t> at384 = MakeSound(kRateHz);
  static std::vector<uint8_t> at500;
  if (rateHz == kRateHz) return at384;
  if (at500.empty()) at500 = MakeSound(rateHz);
  return at500;
}

nv::PulseRunInput Input(bool measure, bool field = false, int64_t rateHz = kRateHz) {
  nv::PulseRunInput in;
  in.samples = nv::SampleSource(Sound(rateHz).data(), 60 * rateHz, 1, 16);
  in.rateHz = rateHz;
  nv::PulseSettings& s = in.settings;  // the first-start defaults
  s.leftChannel = 1;
  s.fftSize = 256;
  s.fftOverlap = 192;
  s.fftWindow = 2;
  if (field) nv::PulseFieldPreset::ApplyTo(s);
  if (!measure) s.ampMaxAmp = s.freqStrong = s.freqMax = s.freqMin = s.duration = 0;
  return in;
}

void Analyse(benchmark::State& state, bool measure, bool field = false, int64_t rateHz = kRateHz) {
  const nv::PulseRunInput in = Input(measure, field, rateHz);
  int pulses = 0;
  double sink = 0;
  nv::PulseCallbacks cb;
  cb.result = [&](nv::PulseResult&& r) { sink += r.maxFrequencyHz + r.startUs; };
  for (auto _ : state) {
    pulses = nv::PulseAnalysis::Run(in, cb);
    benchmark::DoNotOptimize(sink);
  }
  state.counters["pulses"] = pulses;
  if (pulses != kCalls) state.SkipWithError("wrong number of pulses");
}

void BM_PulseDetection(benchmark::State& state) { Analyse(state, false); }
void BM_PulseAnalysisWhole(benchmark::State& state) { Analyse(state, true); }
void BM_PulseDetectionField(benchmark::State& state) { Analyse(state, false, true); }
void BM_PulseAnalysisField(benchmark::State& state) { Analyse(state, true, true); }
// The same minute of calls recorded at 500 kHz.
void BM_PulseAnalysisField500k(benchmark::State& state) { Analyse(state, true, true, 500000); }

void BM_IntervalHistogram(benchmark::State& state) {
  const nv::SampleSource src(Sound().data(), kFrames, 1, 16);
  nv::RateSettings s;  // automatic threshold and settings
  s.intervalMode = 1;
  s.delayMs = 1;
  int64_t total = 0;
  for (auto _ : state) {
    nv::RateHistogram h(s);
    h.SetUp(src, kRateHz, 1000, 0, -1);
    h.Compute(src);
    total = h.Total();
    benchmark::DoNotOptimize(total);
  }
  state.counters["intervals"] = static_cast<double>(total);
  if (total != kCalls - 1) state.SkipWithError("wrong number of intervals");
}

BENCHMARK(BM_PulseDetection)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PulseAnalysisWhole)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PulseDetectionField)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PulseAnalysisField)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PulseAnalysisField500k)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IntervalHistogram)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
