#pragma once
// The pulse interval / pulse length histogram of one stretch of one channel:
// a simple amplitude-threshold detection, the intervals between successive
// pulse starts or the pulse lengths, binned into at most 1024 bars; the
// automatic threshold and the automatic bar width and range; the text export.
//
// Units: times in microseconds of real time (64-bit), bar limits and values
// in sample frames, thresholds in 16-bit amplitude units (0 ... 32768; 8-bit
// sound is brought to that scale). Owned by one window; interface thread
// (or any one thread at a time).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/SampleSource.h"
#include "base/TimeBase.h"
#include "settings/RateSettings.h"

namespace nv {

class RateHistogram {
 public:
  static constexpr int kMaxBars = 1024;

  // Takes a copy of the settings; the current threshold starts as theirs.
  explicit RateHistogram(const RateSettings& settings);

  RateSettings& Settings() { return settings_; }
  const RateSettings& Settings() const { return settings_; }

  // Set-up: the range [start, end) (end < 0: up to the end of the sound; an
  // end before the start gives one frame), the histogram start, end and bars
  // from the settings, the threshold, the detection delay, the channel and
  // the bar limits. The histogram is computed again by the next Compute.
  void SetUp(const SampleSource& samples, int64_t rateHz, int32_t timeExpansion, int64_t start,
             int64_t end);
  // Computes the histogram once after each SetUp (later calls do nothing and
  // return false). Returns true when the threshold was computed automatically
  // (the view's level cursor should follow it).
  bool Compute(const SampleSource& samples);
  bool Computed() const { return computed_; }

  // A threshold set from outside (the level cursor): into the settings and
  // the current value; call SetUp afterwards.
  void SetThreshold(int32_t threshold);
  int32_t Threshold() const { return threshold_; }

  int64_t RangeStart() const { return start_; }
  int64_t RangeEnd() const { return end_; }
  int Channel() const { return channel_; }  // 0 left (or mono), 1 right
  int64_t DelayFrames() const { return delay_; }
  int64_t HistStartUs() const { return startUs_; }
  int64_t HistEndUs() const { return endUs_; }
  int64_t BarWidthUs() const { return widthUs_; }
  int Bars() const { return bars_; }
  int64_t Limit(int i) const { return limits_[static_cast<size_t>(i)]; }
  // The bars shown: FirstBar() ... LastBar() (none when LastBar() < FirstBar()).
  int FirstBar() const { return first_; }
  int LastBar() const { return last_; }
  int64_t Count(int i) const { return counts_[static_cast<size_t>(i)]; }
  int64_t LargestCount() const { return largest_; }
  int64_t Total() const { return total_; }
  // Time-format codes (see plot/TimeFormat.h) of the axis labels and of the
  // finer readout.
  int AxisFormatCode() const;
  int ReadoutFormatCode() const;

  // "From (ms)\tTo (ms)\t# observations\r\n" and one line per shown bar.
  std::string AsciiText() const;

  // The measured values (frames) of a range at a threshold and delay: pulse
  // intervals or lengths in detection order. Exposed for tests and tools.
  static std::vector<int64_t> Detect(const SampleSource& samples, int channel, int64_t start,
                                     int64_t end, int32_t threshold, int64_t delay,
                                     bool intervalMode);

 private:
  int64_t Time(int64_t frames) const;
  int64_t Samples(int64_t us) const;

  RateSettings settings_;
  TimeBase time_{44100, TimeBase::kNoExpansion};
  int64_t start_ = 0, end_ = 0;
  int channel_ = 0;
  int64_t delay_ = 0;
  int32_t threshold_ = -1;
  int64_t startUs_ = 0, endUs_ = 0, widthUs_ = 1;
  int bars_ = 0;
  std::array<int64_t, kMaxBars + 1> limits_{};
  std::array<int64_t, kMaxBars + 1> counts_{};
  int first_ = 1, last_ = 0;
  int64_t largest_ = 1, total_ = 0;
  bool computed_ = false;
};

}  // namespace nv
