#pragma once
// An independent, deliberately plain model of the detector's sound for the
// tests: every frame's oscillator angle computed on its own from the frame's
// distance to the range start, the whole filter recursion run frame by frame
// over every frame from N before the range, and every k-th output taken.
// Slow and simple; shares no code with DetectorStream.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "filter/FilterDescription.h"

namespace nv::test {

struct ReferenceInput {
  std::vector<int32_t> left;  // raw values of the left (or only) channel of the whole sound
  int64_t rateHz = 44100;
  int64_t first = 0;          // range start (frame)
  int64_t framesPerBlock = 0; // input frames behind one output block (k x BufferSize / frame size)
  int64_t blocks = 1;         // blocks to produce
  int k = 10;
  int bits = 16;
  // Oscillator frequency (recorded Hz) of each block, from block 0; blocks
  // not named keep the frequency of the block before.
  std::map<int64_t, int32_t> hzFromBlock;
};

// The played value of a filter output: twice y (the mixing halved the
// call), linear up to three quarters of full scale (`lo` for negative
// values, `hi` for positive ones) and from there bent by tanh towards full
// scale; rounded half away from zero.
inline int32_t ReferenceLevel(double y, double lo, double hi) {
  const double v = 2.0 * y;
  const double full = v < 0 ? -lo : hi;
  const double knee = 0.75 * full;
  double m = std::fabs(v);
  if (m > knee) m = knee + (full - knee) * std::tanh((m - knee) / (full - knee));
  m = std::fmin(std::floor(m + 0.5), full);
  return static_cast<int32_t>(v < 0 ? -m : m);
}

// The played values (before storing), block after block.
inline std::vector<int32_t> ReferenceOutput(const ReferenceInput& in, const FilterDescription& f) {
  const int n = f.order;
  const double delta = 6.283185526 / static_cast<double>(in.rateHz);
  const int64_t total = static_cast<int64_t>(in.left.size());
  const int64_t end = std::min(in.first + in.blocks * in.framesPerBlock, total);
    // Angle of every frame from first - n to end: the oscillator turns by the
  // theta of the block a frame lies in from frame to frame, without a jump
  // between blocks; frames before the range count backwards from 0 with the
  // first block's theta.
  const int64_t base = in.first - n;
  std::vector<double> angle(static_cast<size_t>(end - base), 0.0);
  auto hzOfBlock = [&](int64_t b) {
    int32_t hz = in.hzFromBlock.begin()->second;
    for (const auto& [from, v] : in.hzFromBlock)
      if (from <= b) hz = v;
    return hz;
  };
  const double theta0 = hzOfBlock(0) * delta;
  for (int64_t j = base; j < in.first; ++j) angle[static_cast<size_t>(j - base)] = theta0 * static_cast<double>(j - in.first);
  double blockStartAngle = 0.0;
  for (int64_t b = 0; in.first + b * in.framesPerBlock < end; ++b) {
    const double theta = hzOfBlock(b) * delta;
    const int64_t c = in.first + b * in.framesPerBlock;
    for (int64_t j = c; j < std::min(c + in.framesPerBlock, end); ++j)
      angle[static_cast<size_t>(j - base)] = blockStartAngle + theta * static_cast<double>(j - c);
    blockStartAngle += theta * static_cast<double>(in.framesPerBlock);
  }
  std::vector<double> w(static_cast<size_t>(end - base), 0.0), y(static_cast<size_t>(end - base), 0.0);
  for (int64_t j = base; j < end; ++j) {
    const double x = j >= 0 && j < total ? in.left[static_cast<size_t>(j)] : 0.0;
    w[static_cast<size_t>(j - base)] = x * std::sin(angle[static_cast<size_t>(j - base)]);
  }
  const double hi = in.bits == 8 ? 127 : 32767, lo = in.bits == 8 ? -128 : -32768;
  std::vector<int32_t> out;
  for (int64_t j = in.first; j < end; ++j) {
    const size_t i = static_cast<size_t>(j - base);
    double acc = 0.0;
    for (int k = 0; k <= n; ++k) acc += f.b[static_cast<size_t>(k)] * w[i - static_cast<size_t>(k)];
    for (int k = 1; k <= n; ++k)
      if (j - k >= in.first) acc -= f.a[static_cast<size_t>(k)] * y[i - static_cast<size_t>(k)];
    y[i] = acc;
    if ((j - in.first) % in.k == 0) out.push_back(ReferenceLevel(acc, lo, hi));
  }
  return out;
}

}  // namespace nv::test
