#include "document/DemoRecording.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/MessageSink.h"
#include "base/SampleSource.h"
#include "document/CNorvaneDoc.h"

namespace nv {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFileRateHz = 44100;       // as stored
constexpr int kExpansion = 10000;        // tenfold, in thousandths
constexpr double kRealRateHz = 441000;   // effective rate
constexpr double kRealSeconds = 3.0;

// A small deterministic generator (xorshift) for noise and jitter.
struct Random {
  uint64_t s = 0x9E3779B97F4A7C15ull;
  double Uniform() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
  double Gauss() {
    double u = Uniform() + 1e-12, v = Uniform();
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * kPi * v);
  }
};

// One call: a sweep from f0 to f1 (real Hz) over `durS` seconds, then an
// optional quasi-constant tail at f1, with a smooth envelope.
struct Call {
  double startS, durS, f0, f1, tailS, amplitude;
};

void AddCall(std::vector<double>& out, const Call& c) {
  const double total = c.durS + c.tailS;
  const int64_t first = static_cast<int64_t>(c.startS * kRealRateHz);
  const int64_t n = static_cast<int64_t>(total * kRealRateHz);
  double phase = 0, phase2 = 0;
  for (int64_t i = 0; i < n && first + i < static_cast<int64_t>(out.size()); ++i) {
    const double t = i / kRealRateHz;
    // Exponential sweep, as the calls of many vespertilionid bats.
    double f = t < c.durS ? c.f0 * std::pow(c.f1 / c.f0, t / c.durS) : c.f1 * (1 - 0.02 * (t - c.durS) / (c.tailS + 1e-9));
    phase += 2 * kPi * f / kRealRateHz;
    phase2 += 2 * kPi * 2 * f / kRealRateHz;
    const double env = std::pow(std::sin(kPi * t / total), 2);
    double s = std::sin(phase);
    if (2 * f < kRealRateHz / 2) s += 0.12 * std::sin(phase2);  // a weak second harmonic
    out[static_cast<size_t>(first + i)] += c.amplitude * env * s;
  }
}

}  // namespace

AnalysisSettings DemoViewSettings() {
  AnalysisSettings s;
  s.timePerPlotUs = 3000000;
  s.maxFrequencyHz = 150000;
  s.minFrequencyHz = 0;
  s.fftSize = 256;
  return s;
}

bool BuildDemoRecording(CNorvaneDoc& doc) {
  const int64_t frames = static_cast<int64_t>(kRealSeconds * kRealRateHz);
  std::vector<double> x(static_cast<size_t>(frames), 0.0);
  Random rnd;
  // Faint background noise, about -62 dB of full scale.
  for (double& v : x) v = 0.0008 * rnd.Gauss();

  // Bat 1: frequency-modulated sweeps 80 to 40 kHz, 3 ms, every 90 to 110 ms,
  // approaching and then flying away (louder, then fainter).
  int firstCallA = -1;
  for (double t = 0.05; t < 2.9; t += 0.09 + 0.02 * rnd.Uniform()) {
    const double closeness = std::exp(-std::pow((t - 1.2) / 0.7, 2));
    if (firstCallA < 0) firstCallA = static_cast<int>(t * kRealRateHz);
    AddCall(x, {t, 0.003, 80000, 40000, 0.0, 0.05 + 0.55 * closeness});
  }
  // Bat 2 enters later: a steep sweep 65 to 47 kHz with a 4 ms quasi-constant
  // tail, every 65 to 80 ms.
  int firstCallB = -1;
  for (double t = 1.6; t < 2.95; t += 0.065 + 0.015 * rnd.Uniform()) {
    if (firstCallB < 0) firstCallB = static_cast<int>(t * kRealRateHz);
    AddCall(x, {t, 0.0015, 65000, 47000, 0.004, 0.25});
  }

  doc.SetFormat(1, 16, kFileRateHz);
  doc.RecomputeBufferSize();
  doc.Info().SetTimeExpansion(kExpansion);
  doc.Info().SetDate("08.12.26");
  doc.Info().SetTime("21:47");
  doc.Info().SetRecordedBy("Norvane demo");
  doc.Info().SetContents("Demo: two bats passing a tenfold time-expanding detector");

  std::vector<uint8_t> bytes(static_cast<size_t>(frames) * 2);
  for (int64_t i = 0; i < frames; ++i) {
    const long s = std::lround(x[static_cast<size_t>(i)] * 32767.0);
    StoreRaw(&bytes[static_cast<size_t>(2 * i)], 16,
             static_cast<int32_t>(std::clamp<long>(s, INT32_MIN, INT32_MAX)));
  }
  TempFile& work = doc.WritableWorkFile();
  if (!work.Truncate(0) || !work.WriteAt(0, bytes.data(), bytes.size())) {
    ShowWorkFileWriteError();
    return false;
  }
  doc.SetLength(frames);

  auto mark = [&](int number, int position, int value, const char* label, const char* text) {
    MarkRecord m;
    m.position = position;
    m.value = value;
    m.channel = 3;
    m.inSpectrogram = value > 0 ? 1 : 0;
    m.kind = value > 0 ? 2 : 1;
    m.displayMark = 1;
    m.displayLabel = 1;
    m.number = number;
    m.label = label;
    m.description = text;
    doc.Marks().AppendFromFile(m);
  };
  mark(0, firstCallA, 80000, "Bat 1", "First call of the frequency-modulated bat, start near 80 kHz.");
  mark(1, static_cast<int>(1.2 * kRealRateHz), 0, "Closest pass", "Bat 1 passes the detector.");
  mark(2, firstCallB, 47000, "Bat 2", "A second bat with a quasi-constant tail near 47 kHz.");
  doc.SetModifiedFlag(true);
  return true;
}

}  // namespace nv
