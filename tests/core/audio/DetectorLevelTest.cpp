// The level of the detector's sound: a call is heard at the level it was
// recorded at, a tone at -6 dB of full scale comes out without a sample at
// full scale and without a third harmonic, whatever the filter's order, and
// a call far too loud for the sample range is limited, never wrapped round
// to the other sign.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
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

// The stored bytes of `values` as 8- or 16-bit samples (8-bit: value + 128).
std::vector<uint8_t> Stored(const std::vector<int32_t>& values, int bits) {
  std::vector<uint8_t> bytes;
  for (int32_t v : values) {
    if (bits == 8) {
      bytes.push_back(static_cast<uint8_t>(v + 128));
    } else {
      const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(v));
      bytes.push_back(static_cast<uint8_t>(u & 0xff));
      bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
  }
  return bytes;
}

// Every value the detector plays for the whole of a mono sound.
std::vector<int32_t> PlayAll(const std::vector<int32_t>& values, int bits, int64_t rateHz, int32_t timeExpansion,
                             int k, int32_t realHz, const FilterDescription& f) {
  const std::vector<uint8_t> bytes = Stored(values, bits);
  DetectorRequest r;
  r.sound = SampleSource(bytes.data(), static_cast<int64_t>(values.size()), 1, bits);
  r.format.SetFormat(1, bits, rateHz);
  r.timeExpansion = timeExpansion;
  r.firstFrame = 0;
  r.endFrame = static_cast<int64_t>(values.size());
  r.speedFactor = k;
  r.blockBytes = ComputeBufferSize(r.format);
  r.frequencyHz = realHz;
  DetectorStream d;
  EXPECT_EQ(d.Start(r, f), DetectorStartResult::Started);
  std::vector<int32_t> played;
  std::vector<uint8_t> block(d.BlockBytes());
  while (uint32_t got = d.FillBlock(block.data())) {
    const SampleSource s(block.data(), got / (bits / 8), 1, bits);
    for (int64_t i = 0; i < s.Frames(); ++i) played.push_back(s.Raw(i, 0));
  }
  return played;
}

TEST(DetectorLevel, AToneSixDecibelsBelowFullScaleIsHeardCleanAtItsLevel) {
  // A 50 kHz call recorded through a tenfold time-expanding detector at
  // 44 100 Hz, at -6 dB of full scale, heard at 45 kHz through low-pass
  // filters of several kinds and orders at speed factor 10: a 5 kHz tone.
  test::ScopedSink sink;
  constexpr int kRate = 44100;
  constexpr int kExpansion = 10000;
  constexpr double kToneRecorded = 5000;
  struct Case {
    int filterType, order, bits;
  };
  const Case cases[] = {
      {FilterType::Butterworth, 2, 16}, {FilterType::Butterworth, 4, 16}, {FilterType::Butterworth, 6, 16},
      {FilterType::Butterworth, 8, 16}, {FilterType::Chebyshev1, 4, 16},   {FilterType::Butterworth, 4, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.filterType << " order " << c.order << " bits " << c.bits);
    const double full = c.bits == 8 ? 128.0 : 32768.0;
    const double amplitude = full / 2;  // -6 dB
    std::vector<int32_t> tone(kRate * 3);
    for (size_t n = 0; n < tone.size(); ++n)
      tone[n] = static_cast<int32_t>(
          std::lround(amplitude * std::sin(2 * std::numbers::pi * kToneRecorded * static_cast<double>(n) / kRate)));
    FilterDescription f;
    f.filterType = c.filterType;
    f.bandType = BandType::LowPass;
    f.order = c.order;
    f.lowPassHz = 10000;
    f.rippleTenthsDb = 5;
    ASSERT_TRUE(DesignFilter(f, NyquistHz(kRate, kExpansion)));
    const std::vector<int32_t> played = PlayAll(tone, c.bits, kRate, kExpansion, 10, 45000, f);
    ASSERT_EQ(played.size(), tone.size() / 10);

    // No sample at full scale, nor near it.
    const auto atFull = std::count_if(played.begin(), played.end(), [&](int32_t v) {
      return v >= static_cast<int32_t>(full) - 1 || v <= -static_cast<int32_t>(full);
    });
    EXPECT_EQ(atFull, 0) << "of " << played.size() << " samples";

    // 0.2 s after the filter has settled: 5 Hz a bin, 5 and 15 kHz on bins.
    const std::vector<double> steady(played.end() - 8820, played.end());
    const double oscillatorRecorded = 4500 * (6.283185526 / (2 * std::numbers::pi));
    const double heard = Amplitude(steady, 5000, kRate);
    // At the level recorded, weighed by the filter at the difference frequency.
    const double expected = amplitude * Magnitude(f, kToneRecorded - oscillatorRecorded, kRate);
    EXPECT_NEAR(heard, expected, 0.01 * expected + 1.0);
    // The third harmonic of a clipped tone: far below the tone (-60 dB for
    // 16-bit sound; 8-bit sound has its own rounding noise).
    const double third = Amplitude(steady, 15000, kRate);
    EXPECT_LT(third, heard * (c.bits == 16 ? 1e-3 : 1e-2)) << 20 * std::log10(third / heard) << " dB";
  }
  EXPECT_TRUE(sink.texts().empty());
}

TEST(DetectorLevel, LoudCallsAreLimitedNeverWrapped) {
  // A full-scale tone through a filter with a gain of 40 (and the sound's
  // own sample values at its limits): far beyond the sample range. Every
  // played value keeps the sign of the unlimited value, rises with it, stays
  // in the sample range and reaches full scale only far beyond it.
  test::ScopedSink sink;
  for (int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const int32_t hi = bits == 8 ? 127 : 32767, lo = bits == 8 ? -128 : -32768;
    std::vector<int32_t> x(30000);
    for (size_t n = 0; n < x.size(); ++n) {
      const double v = (hi + 1.0) * std::sin(2 * std::numbers::pi * 300 * static_cast<double>(n) / 44100);
      x[n] = std::clamp(static_cast<int32_t>(std::lround(v)), lo, hi);
    }
    x[100] = hi;
    x[101] = lo;
    FilterDescription f;
    f.filterType = FilterType::UserDefined;
    f.order = 0;
    f.a[0] = 1.0;
    f.b[0] = 40.0;
    const std::vector<int32_t> played = PlayAll(x, bits, 44100, 1000, 1, 11025, f);
    ASSERT_EQ(played.size(), x.size());
    // The unlimited played value: the gain times x[j] sin(angle[j]).
    const double theta = 11025 * 6.283185526 / 44100;
    std::vector<std::pair<double, int32_t>> pairs;
    int wrapped = 0, limited = 0;
    for (size_t j = 0; j < x.size(); ++j) {
      const double m = kDetectorGain * 40.0 * x[j] * std::sin(theta * static_cast<double>(j));
      const int32_t v = played[j];
      ASSERT_GE(v, lo);
      ASSERT_LE(v, hi);
      if ((m >= 1 && v < 0) || (m <= -1 && v > 0)) ++wrapped;
      if (std::abs(m) > hi) {
        ++limited;
        // Beyond full scale the limiter stands above its knee.
        EXPECT_GE(std::abs(v), kDetectorLimiterKnee * hi) << j;
      }
      if (std::abs(m) > 20.0 * (hi + 1)) {
        EXPECT_EQ(v, m > 0 ? hi : lo) << j;
      }
      pairs.emplace_back(m, v);
    }
    EXPECT_EQ(wrapped, 0);
    EXPECT_GT(limited, 1000);
    std::sort(pairs.begin(), pairs.end());
    for (size_t i = 1; i < pairs.size(); ++i)
      if (pairs[i].first - pairs[i - 1].first > 1e-6) {
        EXPECT_GE(pairs[i].second, pairs[i - 1].second) << pairs[i - 1].first << " " << pairs[i].first;
      }
  }
  EXPECT_TRUE(sink.texts().empty());
}

TEST(DetectorLevel, TheLimiterCurve) {
  for (int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const double hi = bits == 8 ? 127 : 32767, lo = bits == 8 ? -128 : -32768;
    // Below the knee: the doubled value, rounded.
    for (double y = -0.74 * -lo / 2; y <= 0.74 * hi / 2; y += 0.37)
      EXPECT_EQ(DetectorOutputValue(y, bits), static_cast<int32_t>(std::round(2 * y))) << y;
    // Rising, in range, and keeping the sign over a wide sweep.
    int32_t last = DetectorOutputValue(-1e12, bits);
    EXPECT_EQ(last, lo);
    for (double y = -1e7; y <= 1e7; y += (std::abs(y) < 1e5 ? 0.25 : 97.0)) {
      const int32_t v = DetectorOutputValue(y, bits);
      EXPECT_GE(v, last) << y;
      EXPECT_GE(v, lo);
      EXPECT_LE(v, hi);
      if (y >= 0.5) {
        EXPECT_GT(v, 0) << y;
      }
      if (y <= -0.5) {
        EXPECT_LT(v, 0) << y;
      }
      last = v;
    }
    EXPECT_EQ(DetectorOutputValue(1e12, bits), hi);
    EXPECT_EQ(DetectorOutputValue(HUGE_VAL, bits), hi);
    EXPECT_EQ(DetectorOutputValue(-HUGE_VAL, bits), lo);
    EXPECT_EQ(DetectorOutputValue(std::nan(""), bits), 0);
    // Full scale itself is bent below full scale.
    EXPECT_LT(DetectorOutputValue(hi / 2, bits), hi);
  }
}

}  // namespace
}  // namespace nv
