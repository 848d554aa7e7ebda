#pragma once
// A synthetic series of bat-like calls for the spectrogram tests: `count`
// linear sweeps from 80 to 35 kHz, each 5 ms long with 0.2 ms raised-cosine
// edges, one every 100 ms from `offset`, in 16-bit mono at 384 kHz.
#include <cmath>
#include <cstdint>
#include <vector>

namespace nv {

struct SweepCalls {
  static constexpr int64_t kRateHz = 384000;
  int count = 150;
  int64_t offset = 0;                 // first sample of the first call
  int64_t period = kRateHz / 10;      // 100 ms
  int64_t length = kRateHz / 200;     // 5 ms
  double startHz = 80000, endHz = 35000;
  double amplitude = 16000;

  int64_t Start(int i) const { return offset + i * period; }
  // The sweep's frequency t samples after the call's start.
  double FrequencyAt(int64_t t) const {
    return startHz + (endHz - startHz) * static_cast<double>(t) / static_cast<double>(length);
  }
  // The sound of the samples [from, to).
  std::vector<int16_t> Samples(int64_t from, int64_t to) const {
    std::vector<int16_t> v(static_cast<size_t>(to - from), 0);
    const double T = static_cast<double>(length) / kRateHz;
    const int64_t edge = kRateHz / 5000;
    for (int i = 0; i < count; ++i) {
      for (int64_t n = 0; n < length && Start(i) + n < to; ++n) {
        if (Start(i) + n < from) continue;
        const double t = static_cast<double>(n) / kRateHz;
        const double phase = 2 * M_PI * (startHz * t + (endHz - startHz) * t * t / (2 * T));
        double gain = 1.0;
        const int64_t fromEdge = std::min(n, length - 1 - n);
        if (fromEdge < edge) gain = 0.5 - 0.5 * std::cos(M_PI * static_cast<double>(fromEdge) / edge);
        v[static_cast<size_t>(Start(i) + n - from)] =
            static_cast<int16_t>(std::lround(amplitude * gain * std::sin(phase)));
      }
    }
    return v;
  }
};

}  // namespace nv
