#pragma once
// Synthetic sounds for the pulse analysis tests: 16-bit mono buffers with
// bursts and frequency-modulated calls at known places.
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/SampleSource.h"

namespace nv::test {

// 16-bit little-endian mono frames.
struct Sound16 {
  std::vector<int16_t> values;
  std::vector<uint8_t> bytes;
  explicit Sound16(size_t frames) : values(frames, 0) {}
  SampleSource Source() {
    bytes.resize(values.size() * 2);
    for (size_t i = 0; i < values.size(); ++i) {
      const uint16_t u = static_cast<uint16_t>(values[i]);
      bytes[2 * i] = static_cast<uint8_t>(u & 0xFF);
      bytes[2 * i + 1] = static_cast<uint8_t>(u >> 8);
    }
    return SampleSource(bytes.data(), static_cast<int64_t>(values.size()), 1, 16);
  }
  // Frames [first, first + count) alternate between +v and -v.
  void Burst(size_t first, size_t count, int16_t v) {
    for (size_t i = 0; i < count && first + i < values.size(); ++i)
      values[first + i] = (i % 2) ? static_cast<int16_t>(-v) : v;
  }
  // A linear sweep from f0 to f1 Hz (at the rate `rateHz` of the frames)
  // starting at `first` for `count` frames, with raised-cosine ramps of
  // `ramp` frames at both ends.
  void Sweep(size_t first, size_t count, double f0, double f1, double rateHz, double amplitude,
             size_t ramp) {
    const double pi = 3.14159265358979323846;
    double phase = 0;
    for (size_t i = 0; i < count && first + i < values.size(); ++i) {
      const double f = f0 + (f1 - f0) * static_cast<double>(i) / static_cast<double>(count);
      double env = 1;
      if (i < ramp) env = 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / ramp);
      if (count - 1 - i < ramp) env = 0.5 - 0.5 * std::cos(pi * static_cast<double>(count - 1 - i) / ramp);
      values[first + i] = static_cast<int16_t>(std::lround(amplitude * 32767.0 * env * std::sin(phase)));
      phase += 2 * pi * f / rateHz;
    }
  }
};

}  // namespace nv::test
