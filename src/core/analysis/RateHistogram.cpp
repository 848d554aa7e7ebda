#include "analysis/RateHistogram.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/WaveFormat.h"
#include "plot/AxisRules.h"
#include "plot/TimeFormat.h"

namespace nv {
namespace {

constexpr int kBlockFrames = 4096;

int64_t Nice(int64_t x) { return x > 0 ? std::max<int64_t>(1, NiceStep(x)) : 1; }

}  // namespace

RateHistogram::RateHistogram(const RateSettings& settings)
    : settings_(settings), threshold_(settings.threshold) {}

int64_t RateHistogram::Time(int64_t frames) const {
  return time_.FramesToMicroseconds(frames);
}
int64_t RateHistogram::Samples(int64_t us) const {
  return time_.MicrosecondsToFrames(us);
}

void RateHistogram::SetThreshold(int32_t threshold) {
  settings_.threshold = threshold;
  threshold_ = threshold;
}

void RateHistogram::SetUp(const SampleSource& samples, int64_t rateHz, int32_t timeExpansion,
                          int64_t start, int64_t end) {
  time_ = TimeBase(rateHz, timeExpansion);
  const int64_t frames = samples.Empty() ? 0 : samples.Frames();
  start_ = std::clamp<int64_t>(start, 0, frames);
  end_ = end < 0 ? frames : std::min(end, frames);
  if (end_ < start_) end_ = start_ + 1;

  startUs_ = static_cast<int64_t>(settings_.histStartMs) * 1000;
  endUs_ = static_cast<int64_t>(settings_.histEndMs) * 1000;
  int64_t n = settings_.bars;
  int64_t w = n > 0 ? (endUs_ - startUs_) / n : 0;
  if (w <= 0) {
    // No bar of a whole microsecond: one bar per microsecond of the range
    // (none when the range is empty).
    w = 1;
    n = std::max<int64_t>(0, endUs_ - startUs_);
    settings_.bars = static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
  }
  bars_ = static_cast<int>(std::min<int64_t>(n, kMaxBars));
  widthUs_ = w;

  if (!settings_.autoCalc || threshold_ >= 0) threshold_ = settings_.threshold;
  delay_ = Samples(static_cast<int64_t>(settings_.delayMs) * 1000);
  const bool left = settings_.leftChannel != 0, right = settings_.rightChannel != 0;
  channel_ = samples.Channels() == 2 && right && !left ? 1 : 0;
  for (int i = 0; i <= kMaxBars; ++i)
    limits_[static_cast<size_t>(i)] = Samples(startUs_ + static_cast<int64_t>(i) * widthUs_);
  computed_ = false;
}

std::vector<int64_t> RateHistogram::Detect(const SampleSource& samples, int channel, int64_t start,
                                           int64_t end, int32_t threshold, int64_t delay,
                                           bool intervalMode) {
  std::vector<int64_t> values;
  const int64_t frames = samples.Empty() ? 0 : samples.Frames();
  start = std::clamp<int64_t>(start, 0, frames);
  end = std::clamp<int64_t>(end, start, frames);
  const int scale = samples.Bits() == 8 ? 256 : 1;
  bool open = false, havePrevious = false;
  int64_t f = 0, g = 0, e = 0;
  // Ends the open pulse (first frame f, last frame g): its length, or the
  // interval from the previous pulse's start, counts when it lasted longer
  // than the delay.
  auto closePulse = [&] {
    if (!intervalMode || havePrevious) {
      const int64_t o = g - f;
      if (o > delay) values.push_back(intervalMode ? f - e : o);
    }
    e = f;
    havePrevious = true;
    open = false;
  };
  int32_t block[kBlockFrames];
  for (int64_t pos = start; pos < end; pos += kBlockFrames) {
    const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, end - pos));
    if (static_cast<int64_t>(samples.Slice(pos, n).PeakRaw()) * scale <= threshold) {
      // No frame of the block is above: only the end of an open pulse.
      const int64_t closing = std::max(g + delay + 1, pos - start);
      if (open && closing < pos - start + n) closePulse();
      continue;
    }
    samples.ReadRaw(pos, n, channel, block);
    for (int k = 0; k < n; ++k) {
      const int64_t index = pos - start + k;
      if (std::abs(block[k]) * scale > threshold) {
        if (!open) {
          open = true;
          f = index;
        }
        g = index;
      } else if (open && g + delay < index) {
        closePulse();
      }
    }
  }
  return values;
}

bool RateHistogram::Compute(const SampleSource& samples) {
  if (computed_) return false;
  computed_ = true;
  counts_.fill(0);
  bool thresholdComputed = false;
  const int scale = samples.Bits() == 8 ? 256 : 1;
  if (threshold_ < 1) {
    // Mean magnitude plus a quarter of the largest, over the range.
    int64_t sum = 0, largest = 0, count = 0;
    int32_t block[kBlockFrames];
    for (int64_t pos = start_; pos < end_; pos += kBlockFrames) {
      const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, end_ - pos));
      samples.ReadRaw(pos, n, channel_, block);
      // A block's magnitudes fit a 32-bit sum (4096 x 32768), which the
      // compiler turns into vector instructions.
      int32_t blockSum = 0, blockMax = 0;
      for (int k = 0; k < n; ++k) {
        const int32_t m = block[k] < 0 ? -block[k] : block[k];
        blockSum += m;
        blockMax = std::max(blockMax, m);
      }
      sum += static_cast<int64_t>(blockSum) * scale;
      largest = std::max(largest, static_cast<int64_t>(blockMax) * scale);
      count += n;
    }
    threshold_ = static_cast<int32_t>((count > 0 ? sum / count : 0) + largest / 4);
    thresholdComputed = true;
  }

  const bool intervalMode = settings_.intervalMode != 0;
  const std::vector<int64_t> values =
      Detect(samples, channel_, start_, end_, threshold_, delay_, intervalMode);
  int n = bars_;
  if (settings_.autoCalc) {
    int64_t mean = 1;
    if (!values.empty()) {
      int64_t sum = 0;
      for (int64_t v : values) sum += v;
      mean = sum / static_cast<int64_t>(values.size());
    }
    if (mean < 5) mean = 5;
    widthUs_ = std::max<int64_t>(1, Nice(Time(mean / 5)));
    startUs_ = 0;
    endUs_ = Time(end_ - start_);
    for (int i = 0; i <= kMaxBars; ++i)
      limits_[static_cast<size_t>(i)] = Samples(static_cast<int64_t>(i) * widthUs_);
    n = kMaxBars;
  }
  const int64_t top = limits_[static_cast<size_t>(n)];
  for (int64_t v : values) {
    if (v > top) continue;
    const auto it = std::lower_bound(limits_.begin(), limits_.begin() + n + 1, v);
    ++counts_[static_cast<size_t>(it - limits_.begin())];
  }

  first_ = 1;
  if (settings_.autoCalc) {
    int last = 2;
    for (int i = n; i > 2; --i)
      if (counts_[static_cast<size_t>(i)] > 0) {
        last = i;
        break;
      }
    last_ = last;
    endUs_ = startUs_ + static_cast<int64_t>(last) * widthUs_;
    bars_ = last;
    settings_.histStartMs = static_cast<int32_t>(startUs_ / 1000);
    settings_.histEndMs = static_cast<int32_t>(std::min<int64_t>(endUs_ / 1000, INT32_MAX));
    settings_.threshold = threshold_;
    settings_.bars = last;
  } else {
    last_ = n;
    endUs_ = startUs_ + static_cast<int64_t>(n) * widthUs_;
  }
  largest_ = 1;
  total_ = 0;
  for (int i = first_; i <= last_; ++i) {
    largest_ = std::max(largest_, counts_[static_cast<size_t>(i)]);
    total_ += counts_[static_cast<size_t>(i)];
  }
  return thresholdComputed;
}

int RateHistogram::AxisFormatCode() const {
  return TimeFormatCode(Nice(endUs_ - startUs_) * 1000);
}

int RateHistogram::ReadoutFormatCode() const {
  return TimeFormatCode(Nice(std::max<int64_t>(1, (endUs_ - startUs_) / 10)) * 1000);
}

std::string RateHistogram::AsciiText() const {
  std::string out = "From (ms)\tTo (ms)\t# observations\r\n";
  char buf[96];
  for (int i = first_; i <= last_; ++i) {
    const int64_t from = (startUs_ + static_cast<int64_t>(i - 1) * widthUs_) / 1000;
    const int64_t to = (startUs_ + static_cast<int64_t>(i) * widthUs_) / 1000;
    std::snprintf(buf, sizeof buf, "%d\t%d\t%d\r\n", static_cast<int>(from), static_cast<int>(to),
                  static_cast<int>(counts_[static_cast<size_t>(i)]));
    out += buf;
  }
  return out;
}

}  // namespace nv
