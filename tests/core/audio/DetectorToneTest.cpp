// What the detector is for: a bat's 50 kHz call recorded through a tenfold
// time-expanding detector, heard through the virtual detector tuned to
// 45 kHz with a low-pass filter, comes out as a 5 kHz tone when the speed
// factor equals the time-expansion factor. The spectrum of the played sound
// is checked against what the mixing and the filter must give, computed here
// from the tone, the oscillator and the filter's transfer function.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "TestSupport.h"
#include "audio/DetectorStream.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

// |DFT| of x at `hz` for a sampling rate `rateHz`, scaled so that a sine of
// amplitude A on an exact bin gives A.
double Amplitude(const std::vector<double>& x, double hz, double rateHz) {
  std::complex<double> s = 0.0;
  const double w = 2 * std::numbers::pi * hz / rateHz;
  for (size_t n = 0; n < x.size(); ++n) s += x[n] * std::polar(1.0, -w * static_cast<double>(n));
  return 2.0 * std::abs(s) / static_cast<double>(x.size());
}

// |H(e^jw)| of a[0..N], b[0..N] at `hz` of a filter running at `rateHz`.
double Magnitude(const FilterDescription& f, double hz, double rateHz) {
  const double w = 2 * std::numbers::pi * hz / rateHz;
  std::complex<double> num = 0.0, den = 0.0;
  for (int i = 0; i <= f.order; ++i) {
    num += f.b[static_cast<size_t>(i)] * std::polar(1.0, -w * i);
    den += f.a[static_cast<size_t>(i)] * std::polar(1.0, -w * i);
  }
  return std::abs(num / den);
}

TEST(DetectorTone, FiftyKilohertzHeardAtFortyFiveComesOutAtFive) {
  test::ScopedSink sink;
  constexpr int kRate = 44100;         // recorded rate
  constexpr int kExpansion = 10000;    // tenfold, in thousandths
  constexpr double kToneReal = 50000;  // the bat, real Hz
  constexpr double kToneRecorded = kToneReal / 10;
  constexpr double kAmplitude = 8000;
  constexpr int kSeconds = 4;          // of recording
  std::vector<int16_t> tone(kRate * kSeconds);
  for (size_t n = 0; n < tone.size(); ++n)
    tone[n] = static_cast<int16_t>(std::lround(kAmplitude * std::sin(2 * std::numbers::pi * kToneRecorded * static_cast<double>(n) / kRate)));
  const std::vector<uint8_t> bytes = test::Samples16(tone);

  // A 4th-order Butterworth low-pass at 10 kHz real (1 kHz recorded),
  // designed against the real Nyquist frequency of 220 500 Hz.
  FilterDescription f;
  f.filterType = FilterType::Butterworth;
  f.bandType = BandType::LowPass;
  f.order = 4;
  f.lowPassHz = 10000;
  ASSERT_TRUE(DesignFilter(f, NyquistHz(kRate, kExpansion)));

  DetectorRequest r;
  r.sound = SampleSource(bytes.data(), static_cast<int64_t>(tone.size()), 1, 16);
  r.format.SetFormat(1, 16, kRate);
  r.timeExpansion = kExpansion;
  r.firstFrame = 0;
  r.endFrame = static_cast<int64_t>(tone.size());
  r.speedFactor = 10;
  r.blockBytes = ComputeBufferSize(r.format);
  r.frequencyHz = 45000;
  DetectorStream d;
  ASSERT_EQ(d.Start(r, f), DetectorStartResult::Started);
  EXPECT_EQ(d.OscillatorHz(), 4500);
  std::vector<double> played;
  std::vector<uint8_t> block(d.BlockBytes());
  while (uint32_t got = d.FillBlock(block.data())) {
    const SampleSource s(block.data(), got / 2, 1, 16);
    for (int64_t i = 0; i < s.Frames(); ++i) played.push_back(s.Raw(i, 0));
  }
  // Four seconds of recording are 0.4 s real and play in 0.4 s.
  ASSERT_EQ(played.size(), tone.size() / 10);

  // 0.2 s of the output after the filter has settled: 8 820 samples at
  // 44 100 Hz, 5 Hz a bin, so 5 kHz lies on a bin.
  const std::vector<double> steady(played.end() - 8820, played.end());
  // Mixing A sin(w1 t) with sin(w0 t) gives A/2 at w1 - w0 (and w1 + w0);
  // the filter weighs the difference at 500 Hz recorded, and the level of 2
  // brings the tone back to its recorded amplitude.
  const double oscillatorRecorded = 4500 * (6.283185526 / (2 * std::numbers::pi));
  const double difference = kToneRecorded - oscillatorRecorded;
  const double expected = kAmplitude / 2 * Magnitude(f, difference, kRate) * kDetectorGain;
  const double at5k = Amplitude(steady, 5000, kRate);
  EXPECT_NEAR(at5k, expected, 0.01 * expected);
  // It is the strongest component: the neighbours and every other
  // frequency on a 100 Hz grid are far below it.
  for (double hz = 100; hz < kRate / 2; hz += 100) {
    if (std::abs(hz - 5000) < 1) continue;
    EXPECT_LT(Amplitude(steady, hz, kRate), 0.01 * at5k) << hz << " Hz";
  }
  // The sum frequency (9.5 kHz recorded, 95 kHz real) lands at 6.8 kHz after
  // taking every tenth sample (9 500 - 2 x 4 410 = 680 Hz at 4 410 Hz,
  // played ten times faster); the low-pass has taken it down by its
  // response at 9.5 kHz recorded.
  const double image = kAmplitude / 2 * Magnitude(f, kToneRecorded + oscillatorRecorded, kRate) * kDetectorGain;
  EXPECT_LT(image, 0.001 * expected);
  EXPECT_LT(Amplitude(steady, 6800, kRate), 0.002 * at5k + 5);
  EXPECT_TRUE(sink.texts().empty());
}

}  // namespace
}  // namespace nv
