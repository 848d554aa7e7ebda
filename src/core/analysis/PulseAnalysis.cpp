#include "analysis/PulseAnalysis.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "analysis/DetectionBand.h"
#include "analysis/NoiseFloor.h"
#include "base/IntegerClamp.h"
#include "base/WaveFormat.h"
#include "dsp/BinPower.h"
#include "dsp/RealFft.h"
#include "dsp/WindowTable.h"

namespace nv {
namespace {

constexpr double kMostNegative = -std::numeric_limits<double>::max();
constexpr int kBlockFrames = 4096;
// The detection in a band or above the noise floor: the level compared with
// the threshold is the mean square over the last 100 us of real time
// (placed at the middle of that stretch); the noise floor is the 10th
// percentile of the mean squares of 0.5 ms blocks over the last 512 blocks
// (256 ms), taken anew every 32 blocks (16 ms), never below -90 dB re full
// scale.
constexpr int64_t kEnvelopeUs = 100;
constexpr int64_t kNoiseBlockUs = 500;
constexpr int kNoiseWindowBlocks = 512;
constexpr double kNoisePercentile = 0.1;
constexpr int kNoiseRefreshBlocks = 32;
constexpr double kLowestFloorDb = -90.0;
// Cells of spectrogram powers kept per pulse (32 MiB of doubles).
constexpr int64_t kCacheCells = int64_t{4} << 20;

// Level in dB of a power relative to full scale; the most negative double
// for no power.
double LevelOf(double power) { return power == 0 ? kMostNegative : 10.0 * std::log10(power); }

double FromBits(uint64_t b) {
  double d;
  std::memcpy(&d, &b, sizeof d);
  return d;
}

// The smallest power whose level is at least thetaDb: comparing powers with
// it is the same as comparing levels with thetaDb, without a logarithm per
// cell. Found by bisection over the bit patterns of the non-negative doubles,
// whose order is the order of their values.
double PowerAtLeast(double thetaDb) {
  if (LevelOf(0) >= thetaDb) return 0;
  uint64_t lo = 0;                       // 0: below
  uint64_t hi = 0x7FF0000000000000ull;  // +infinity: at or above
  while (hi - lo > 1) {
    const uint64_t mid = lo + (hi - lo) / 2;
    if (LevelOf(FromBits(mid)) >= thetaDb) hi = mid;
    else lo = mid;
  }
  return FromBits(hi);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// The oscillogram threshold as a raw magnitude (see AmplitudeThreshold).
double AmplitudeOf(int32_t ampThreshold, int bits) {
  const double t = std::fabs(static_cast<double>(ampThreshold));
  const double f = bits == 8 ? 128.0 : 32768.0;
  return std::floor(std::pow(10.0, -t / 1000.0) * f + 0.5);
}

std::string Label(const char* format, int number) {
  char buf[48];
  std::snprintf(buf, sizeof buf, format, number);
  return buf;
}

// A valid transform size: a power of two from 16 to 16384; others become the
// nearest such size below (at least 16).
int ValidFftSize(int32_t n) {
  int size = 16;
  while (size < 16384 && size * 2 <= n) size *= 2;
  return size;
}

// Measures the pulses the detection hands on, numbers the accepted ones and
// reports them. Owns the spectrogram buffers of one run.
class PulseMeasurer {
 public:
  PulseMeasurer(const PulseRunInput& in, int channel, const PulseCallbacks& cb,
                const std::atomic<bool>* stop)
      : in_(in), s_(in.settings), channel_(channel), cb_(cb), stop_(stop) {
    spectrogram_ = PulseAnalysis::NeedsSpectrogram(s_);
    if (!spectrogram_) return;
    n_ = ValidFftSize(s_.fftSize);
    log2n_ = 0;
    while ((1 << log2n_) < n_) ++log2n_;
    hop_ = std::max<int64_t>(1, static_cast<int64_t>(n_) - s_.fftOverlap);
    gapColumns_ = std::max<int64_t>(1, Samples(s_.ampSeparationUs) / hop_);
    BuildWindowTable(StoredWindow(s_.fftWindow), n_, window_);
    frame_.assign(static_cast<size_t>(n_), 0.0);
    const int64_t effRate = in.Time().RealRateHz();
    const int half = n_ / 2;
    freq_.resize(static_cast<size_t>(half));
    for (int j = 0; j < half; ++j) freq_[static_cast<size_t>(j)] = BinFrequency(n_, effRate, j);
    hi_ = half - 1;
    if (s_.maxFrequencyHz > 0) {
      hi_ = 1;
      for (int j = half - 1; j >= 1; --j)
        if (freq_[static_cast<size_t>(j)] <= s_.maxFrequencyHz) {
          hi_ = j;
          break;
        }
    }
    lo_ = 1;
    if (s_.minFrequencyHz > 0) {
      lo_ = half - 1;
      for (int j = 1; j < half; ++j)
        if (freq_[static_cast<size_t>(j)] >= s_.minFrequencyHz) {
          lo_ = j;
          break;
        }
    }
    tolerance_ = 0;
    if (s_.freqSeparationHz > 0)
      for (int j = lo_; j <= hi_ && freq_[static_cast<size_t>(j)] - freq_[static_cast<size_t>(lo_)] < s_.freqSeparationHz; ++j)
        ++tolerance_;
    thetaPower_ = PowerAtLeast(s_.freqThreshold / 100.0);
  }

  int Count() const { return number_; }

  // A pulse starting at frame p, handed on with length l frames.
  void Measure(int64_t p, int64_t l) {
    if (l < 0) return;  // a single sample above the threshold has no length
    const int64_t start = Time(p), end = Time(p + l), duration = Time(l);
    if (duration <= s_.durTimeUs) return;
    ++number_;
    PulseResult r;
    r.pulseNumber = number_;
    r.startUs = static_cast<double>(start);
    r.endUs = static_cast<double>(end);
    r.durationUs = static_cast<double>(duration);
    const int32_t markChannel = s_.leftChannel ? 1 : 2;
    if (s_.startTimeMark && start > 0)
      r.marks.push_back({PulseMarkKind::Start, ClampToInt32(p), 0, false, markChannel, CursorKind::Marking,
                         Label("#%d start", number_)});
    if (s_.stopTimeMark && end > 0)
      r.marks.push_back({PulseMarkKind::End, ClampToInt32(p + l), 0, false, markChannel, CursorKind::Marking,
                         Label("#%d end", number_)});
    if (spectrogram_) MeasureSpectrogram(start, duration, markChannel, r);
    if (stop_ && stop_->load(std::memory_order_relaxed)) return;
    if (cb_.result) cb_.result(std::move(r));
  }

 private:
  int64_t Time(int64_t frames) const {
    return in_.Time().FramesToMicroseconds(frames);
  }
  int64_t Samples(int64_t us) const {
    return in_.Time().MicrosecondsToFrames(us);
  }
  // The powers of bins lo ... hi of column k, computed on first use and kept
  // in a cache of whole columns (slot k mod size): a long pulse at a small
  // hop has far more cells than memory should hold, and the passes visit
  // columns in order. Valid until the next call for a column of the same
  // slot.
  const double* Column(int64_t k) {
    const size_t slot = static_cast<size_t>(k % cacheColumns_);
    double* row = &power_[slot * static_cast<size_t>(bins_)];
    if (tag_[slot] == k) return row;
    tag_[slot] = k;
    if (aborted_ || (stop_ && stop_->load(std::memory_order_relaxed))) {
      aborted_ = true;  // the result will not be posted: skip the transforms
      std::fill(row, row + bins_, 0.0);
      return row;
    }
    in_.samples.ReadWindowed(ColumnFirst(k), n_, channel_, window_.data(), frame_.data());
    RealFft(frame_.data(), log2n_);
    for (int j = lo_; j <= hi_; ++j) row[j - lo_] = BinPower(frame_.data(), n_, j) * kInvFullScalePower;
    return row;
  }
  double Power(int64_t column, int bin) { return Column(column)[bin - lo_]; }
  // First frame and time of column k of the window [w0_, w0_ + wl_).
  int64_t ColumnFirst(int64_t k) const {
    int64_t first = w0_ + FloorDiv((wl_ - n_) * k, columns_);
    if (first + n_ > w0_ + wl_) first = w0_ + wl_ - n_;
    return first;
  }
  int64_t ColumnTime(int64_t k) const { return Time(ColumnFirst(k)); }
  bool In(const double* column, int bin) const { return column[bin - lo_] >= thetaPower_; }

  // Scans column c from bin b up and down; false when no cell reaches the
  // threshold. The counters allow `tolerance_` cells below it in a row.
  bool ScanColumn(int64_t c, int b, int& top, int& bottom) {
    const double* col = Column(c);
    top = -1;
    if (aborted_) return false;
    bottom = INT_MAX;
    ScanBins(col, b, 1, hi_, top, bottom);
    ScanBins(col, b, -1, lo_, top, bottom);
    return top >= 0;
  }

  // Walks a column from bin b by `step` to bin `last` at the most, until
  // `tolerance_` cells in a row stay below the threshold; widens top and
  // bottom to every cell that reaches it.
  void ScanBins(const double* col, int b, int step, int last, int& top, int& bottom) const {
    int counter = tolerance_;
    for (int j = b; (step > 0 ? j <= last : j >= last) && counter > 0; j += step) {
      if (In(col, j)) {
        top = std::max(top, j);
        bottom = std::min(bottom, j);
        counter = tolerance_;
      } else {
        --counter;
      }
    }
  }

  // Follows the region from (c, b) towards earlier (dir -1) or later (+1)
  // columns; returns the last column handled.
  int64_t Pass(int64_t c, int b, int dir) {
    int64_t last = c;
    for (;;) {
      int top, bottom;
      last = c;
      if (!ScanColumn(c, b, top, bottom)) return last;
      found_ = true;
      if (top >= maxTop_) {
        maxTop_ = top;
        maxTopColumn_ = c;
      }
      if (bottom <= minBottom_) {
        minBottom_ = bottom;
        minBottomColumn_ = c;
      }
      const int from = std::max(bottom - 1, lo_), to = std::min(top + 1, hi_);
      bool next = false;
      for (int64_t d = 1; d <= gapColumns_; ++d) {
        const int64_t col = c + dir * d;
        if (col < 0 || col >= columns_) break;
        const double* p = Column(col);
        if (aborted_) return last;
        int bestBin = from;
        double best = p[from - lo_];
        for (int j = from + 1; j <= to; ++j)
          if (p[j - lo_] >= best) {
            best = p[j - lo_];
            bestBin = j;
          }
        if (best >= thetaPower_) {
          c = col;
          b = bestBin;
          next = true;
          break;
        }
      }
      if (!next) return last;
    }
  }

  void MeasureSpectrogram(int64_t start, int64_t duration, int32_t markChannel, PulseResult& r) {
    if (lo_ > hi_) return;
    const int64_t frames = in_.samples.Frames();
    const int64_t w0 = std::max<int64_t>(0, Samples(start) - n_);
    int64_t wl = Samples(duration) + 2 * static_cast<int64_t>(n_);
    if (w0 + wl > frames) wl = frames - w0;
    if (wl <= 0) return;
    w0_ = w0;
    wl_ = wl;
    columns_ = (wl + hop_ - 1) / hop_;
    bins_ = hi_ - lo_ + 1;
    cacheColumns_ = std::max<int64_t>(1, std::min<int64_t>(columns_, kCacheCells / bins_));
    if (power_.size() < static_cast<size_t>(cacheColumns_ * bins_))
      power_.resize(static_cast<size_t>(cacheColumns_ * bins_));
    tag_.assign(static_cast<size_t>(cacheColumns_), -1);
    aborted_ = false;
    // The strongest cell: the first of the largest (lowest column, then bin).
    int64_t c = 0;
    int b = lo_;
    double best = -1;
    for (int64_t k = 0; k < columns_; ++k) {
      const double* p = Column(k);
      if (aborted_) return;
      for (int j = lo_; j <= hi_; ++j)
        if (p[j - lo_] > best) {
          best = p[j - lo_];
          c = k;
          b = j;
        }
    }
    r.maxLevelDb = LevelOf(best);
    r.strongestHz = freq_[static_cast<size_t>(b)];
    const int64_t strongestTime = ColumnTime(c);

    found_ = false;
    maxTop_ = -1;
    minBottom_ = INT_MAX;
    maxTopColumn_ = minBottomColumn_ = c;
    const int64_t startColumn = Pass(c, b, -1);
    const int64_t stopColumn = Pass(c, b, +1);
    int64_t maxTime = 0, minTime = 0;
    if (found_) {
      r.maxFrequencyHz = freq_[static_cast<size_t>(maxTop_)];
      r.minFrequencyHz = freq_[static_cast<size_t>(minBottom_)];
      maxTime = ColumnTime(maxTopColumn_);
      minTime = ColumnTime(minBottomColumn_);
      r.spectStartUs = static_cast<double>(ColumnTime(startColumn));
      r.spectStopUs = static_cast<double>(ColumnTime(stopColumn));
      r.spectDurationUs = r.spectStopUs - r.spectStartUs;
    }
    const int number = number_;
    auto mark = [&](PulseMarkKind kind, int64_t time, double hz, const char* format) {
      r.marks.push_back({kind, ClampToInt32(Samples(time) + n_ / 2), static_cast<int32_t>(hz), true,
                         markChannel, CursorKind::Measurement, Label(format, number)});
    };
    if (s_.freqMinMark && r.minFrequencyHz > 0 && minTime > 0)
      mark(PulseMarkKind::MinFrequency, minTime, r.minFrequencyHz, "#%d low");
    if (s_.freqMaxMark && r.maxFrequencyHz > 0 && maxTime > 0)
      mark(PulseMarkKind::MaxFrequency, maxTime, r.maxFrequencyHz, "#%d high");
    if (s_.freqStrongMark && r.strongestHz > 0 && strongestTime > 0)
      mark(PulseMarkKind::MaxAmplitude, strongestTime, r.strongestHz, "#%d max ampl.");
  }

  const PulseRunInput& in_;
  const PulseSettings& s_;
  int channel_;
  const PulseCallbacks& cb_;
  const std::atomic<bool>* stop_;
  int number_ = 0;

  bool spectrogram_ = false;
  int n_ = 256, log2n_ = 8;
  int64_t hop_ = 1, gapColumns_ = 1;
  int lo_ = 1, hi_ = 0, bins_ = 0, tolerance_ = 0;
  double thetaPower_ = 0;
  WindowTable window_;
  std::vector<double> frame_, freq_, power_;
  std::vector<int64_t> tag_;
  int64_t w0_ = 0, wl_ = 0, columns_ = 0, cacheColumns_ = 1;
  bool aborted_ = false;

  bool found_ = false;
  int maxTop_ = -1, minBottom_ = INT_MAX;
  int64_t maxTopColumn_ = 0, minBottomColumn_ = 0;
};


// The pulse state machine of the detection, fed one sample at a time with
// whether it is above the threshold: in-pulse flag, pulse start P, counter
// i and silence counter s; a pulse ends where s first exceeds the gap G.
class PulseStates {
 public:
  PulseStates(PulseMeasurer& m, int64_t gap) : m_(m), gap_(gap) {}
  // One frame, above the threshold or not; true when it ended a pulse (the
  // pulse was measured).
  bool Step(bool above, int64_t position) {
    if (above) {
      s_ = 0;
      if (!in_) {
        in_ = true;
        start_ = position;
        i_ = 0;
      } else {
        ++i_;
      }
      return false;
    }
    ++s_;
    if (!in_) {
      i_ = 0;
    } else if (s_ > gap_) {
      m_.Measure(start_, i_ - s_);
      i_ = 0;
      in_ = false;
      return true;
    } else {
      ++i_;
    }
    return false;
  }
  // `n` frames none of which is above: the same steps as frame by frame,
  // taken at once. A pulse ends at the frame where s first exceeds the gap.
  bool Quiet(int64_t n) {
    bool ended = false;
    if (in_ && s_ + n > gap_) {
      const int64_t need = gap_ + 1 - s_;  // frames until s = gap + 1
      m_.Measure(start_, i_ + need - 1 - (gap_ + 1));
      in_ = false;
      ended = true;
    } else if (in_) {
      i_ += n;
    }
    if (!in_) i_ = 0;
    s_ += n;
    return ended;
  }
  bool InPulse() const { return in_; }
  // After the scan: a pulse still open is measured with the samples so far.
  void Finish() {
    if (in_ && i_ != 0) m_.Measure(start_, i_ - s_);
  }

 private:
  PulseMeasurer& m_;
  int64_t gap_;
  bool in_ = false;
  int64_t start_ = 0, i_ = 0, s_ = 0;
};

// The detection on the band-passed signal and/or against a threshold above
// the noise floor. Returns whether the stop flag ended the scan.
bool DetectConditioned(const PulseRunInput& in, int channel, int64_t first, int64_t last,
                       PulseMeasurer& measurer, const std::atomic<bool>* stop) {
  const PulseSettings& st = in.settings;
  const SampleSource& src = in.samples;
  const int64_t effRate = in.Time().RealRateHz();
  const int64_t gap = in.Time().MicrosecondsToFrames(st.ampSeparationUs);
  DetectionBand band;
  band.Design(st.detectLowHz, st.detectHighHz, effRate);
  const bool relative = st.aboveNoise != 0;
  const double amplitude = AmplitudeOf(st.ampThreshold, src.Bits());
  const int64_t envelope = std::max<int64_t>(1, effRate * kEnvelopeUs / 1000000);
  const int64_t blockFrames = std::max<int64_t>(1, effRate * kNoiseBlockUs / 1000000);
  const double fullScale = src.RawFullScale();
  const double lowest = fullScale * fullScale * std::pow(10.0, kLowestFloorDb / 10.0);
  const double ratio = std::pow(10.0, std::fabs(static_cast<double>(st.noiseMargin)) / 1000.0);
  auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };

  std::vector<double> x(kBlockFrames);
  NoiseFloor floor(kNoiseWindowBlocks, kNoisePercentile, kNoiseRefreshBlocks);
  // The floor starts from the first window of the range, so that the first
  // calls are judged against the background that follows them.
  int64_t primed = 0;
  if (relative) {
    DetectionBand pre = band;
    double sum = 0;
    int64_t count = 0;
    for (int64_t pos = first; pos < last && primed < kNoiseWindowBlocks; pos += kBlockFrames) {
      if (stopped()) return true;
      const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, last - pos));
      src.ReadRaw(pos, n, channel, x.data());
      pre.Process(x.data(), n);
      for (int k = 0; k < n && primed < kNoiseWindowBlocks; ++k) {
        sum += x[static_cast<size_t>(k)] * x[static_cast<size_t>(k)];
        if (++count == blockFrames) {
          floor.Add(sum / static_cast<double>(blockFrames));
          ++primed;
          sum = 0;
          count = 0;
        }
      }
    }
    if (primed == 0 && count > 0) floor.Add(sum / static_cast<double>(count));
  }
  auto thresholdSum = [&] {
    return std::max(floor.Floor(), lowest) * ratio * static_cast<double>(envelope);
  };
  double limit = thresholdSum();

  // The squares of a block of samples after the last `envelope` squares of
  // the block before, their sum over the last `envelope`, and the current
  // noise block.
  const size_t history = static_cast<size_t>(envelope);
  std::vector<double> squares(history + kBlockFrames, 0.0);
  std::vector<uint8_t> above(kBlockFrames);
  double sum = 0, blockSum = 0;
  int64_t blockCount = 0, blockIndex = 0;
  const int64_t lag = relative ? envelope / 2 : 0;
  PulseStates states(measurer, gap);
  for (int64_t pos = first; pos < last; pos += kBlockFrames) {
    if (stopped()) return true;
    const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, last - pos));
    src.ReadRaw(pos, n, channel, x.data());
    band.Process(x.data(), n);
    if (!relative) {
      for (int k = 0; k < n; ++k) above[static_cast<size_t>(k)] = std::fabs(x[static_cast<size_t>(k)]) > amplitude;
    } else {
      // A fresh sum now and then keeps rounding from piling up.
      std::copy(squares.end() - static_cast<std::ptrdiff_t>(history), squares.end(), squares.begin());
      sum = 0;
      for (size_t j = 0; j < history; ++j) sum += squares[j];
      double* q = squares.data() + history;  // q[k - envelope] is the square leaving
      for (int k = 0; k < n; ++k) q[k] = x[static_cast<size_t>(k)] * x[static_cast<size_t>(k)];
      // Up to each end of a noise block in a tight loop, then the block.
      for (int k = 0; k < n;) {
        const int end = static_cast<int>(std::min<int64_t>(n, k + (blockFrames - blockCount)));
        double total = sum, block = blockSum;
        const double level = limit;
        const int from = k;
        const double* leaving = q - history;
        for (; k < end; ++k) {
          total += q[k] - leaving[k];
          block += q[k];
          above[static_cast<size_t>(k)] = total > level;
        }
        sum = total;
        blockSum = block;
        blockCount += end - from;
        if (blockCount == blockFrames) {
          if (blockIndex >= primed) {
            floor.Add(blockSum / static_cast<double>(blockFrames));
            limit = thresholdSum();
          }
          ++blockIndex;
          blockSum = 0;
          blockCount = 0;
        }
      }
    }
    // The pulse states. Outside a pulse a sample below the threshold
    // changes nothing that a pulse's start does not set anew: the scan
    // goes on to the next sample above.
    const uint8_t* flags = above.data();
    for (int k = 0; k < n; ++k) {
      if (!states.InPulse()) {
        const void* hit = std::memchr(flags + k, 1, static_cast<size_t>(n - k));
        if (!hit) break;
        k = static_cast<int>(static_cast<const uint8_t*>(hit) - flags);
      }
      states.Step(flags[k] != 0, std::max(first, pos + k - lag));
    }
  }
  if (stopped()) return true;
  states.Finish();
  return false;
}

}  // namespace

int32_t PulseAnalysis::AmplitudeThreshold(int32_t ampThreshold, int bits) {
  return static_cast<int32_t>(AmplitudeOf(ampThreshold, bits));
}

bool PulseAnalysis::ConditionedDetection(const PulseSettings& s) {
  return s.detectLowHz > 0 || s.detectHighHz > 0 || s.aboveNoise != 0;
}

std::string PulseAnalysis::CheckDetection(const PulseSettings& s, int64_t rateHz, int32_t timeExpansion) {
  if (s.aboveNoise && (s.noiseMargin < 0 || s.noiseMargin > 10000))
    return "The threshold above the noise floor must lie between 0 and 100 dB.";
  return DetectionBand::Check(s.detectLowHz, s.detectHighHz, TimeBase(rateHz, timeExpansion).RealRateHz());
}

double PulseAnalysis::ThresholdPower(double thetaDb) { return PowerAtLeast(thetaDb); }

bool PulseAnalysis::NeedsSpectrogram(const PulseSettings& s) {
  return s.ampMaxAmp || s.freqStrong || s.freqStrongMark || s.freqMax || s.freqMin ||
         s.freqMaxMark || s.freqMinMark || s.duration;
}

int PulseAnalysis::Run(const PulseRunInput& in, const PulseCallbacks& cb,
                       const std::atomic<bool>* stop) {
  if (cb.status) cb.status("Calculation started.");
  const SampleSource& src = in.samples;
  const int64_t frames = src.Empty() ? 0 : src.Frames();
  int64_t a = std::max<int64_t>(in.startFrame, 0);
  int64_t b = in.endFrame < 0 ? frames : in.endFrame;
  const int64_t first = std::min(std::min(a, b), frames);
  const int64_t last = std::min(std::max(a, b), frames);
  const int channel = src.Channels() == 2 && !in.settings.leftChannel ? 1 : 0;

  PulseMeasurer measurer(in, channel, cb, stop);
  if (ConditionedDetection(in.settings)) {
    const std::string error = CheckDetection(in.settings, in.rateHz, in.timeExpansion);
    bool stopped = false;
    if (!error.empty()) {
      if (cb.status) cb.status(error);
    } else {
      stopped = DetectConditioned(in, channel, first, last, measurer, stop);
    }
    if (stop && stop->load(std::memory_order_relaxed)) stopped = true;
    if (cb.status) cb.status(stopped ? "Calculation stopped." : "Calculation completed.");
    return measurer.Count();
  }
  const int64_t gap = in.Time().MicrosecondsToFrames(in.settings.ampSeparationUs);
  const int32_t threshold = AmplitudeThreshold(in.settings.ampThreshold, src.Bits());

  // The detection: a block whose peak is not above the threshold is stepped
  // over at once, the others frame by frame.
  PulseStates states(measurer, gap);
  auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
  bool stopped = false;
  int32_t block[kBlockFrames];
  for (int64_t pos = first; pos < last && !stopped; pos += kBlockFrames) {
    if (stopRequested()) {
      stopped = true;
      break;
    }
    const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, last - pos));
    if (src.Slice(pos, n).PeakRaw() <= threshold) {
      stopped = states.Quiet(n) && stopRequested();
      continue;
    }
    src.ReadRaw(pos, n, channel, block);
    for (int k = 0; k < n && !stopped; ++k)
      stopped = states.Step(std::abs(block[k]) > threshold, pos + k) && stopRequested();
  }
  if (!stopped) states.Finish();
  if (stop && stop->load(std::memory_order_relaxed)) stopped = true;
  if (cb.status) cb.status(stopped ? "Calculation stopped." : "Calculation completed.");
  return measurer.Count();
}

}  // namespace nv
