#pragma once
// The time base of a recording: the sampling rate stored in the file and the
// time-expansion factor (thousandths; 1000 = none) by which the sound was
// slowed down before it was digitised. Everything shown is real: real time
// is file time divided by the factor, real frequency file frequency times it,
// and the real (effective) rate is the stored rate times the factor.
//
// A time base holds its two numbers as given. A factor of 0 or below means
// none was stored and is taken as 1000 (`Repaired`): a document repairs its
// factor where a file is read and where a view opens, and a computation that
// may be handed a factor from elsewhere repairs its own copy.
#include <cstdint>

namespace nv {

// A frame position or a count of frames (one sample per channel). 64 bits,
// so that no position or length of a sound a file can hold wraps.
using FrameIndex = std::int64_t;

class TimeBase {
 public:
  static constexpr int32_t kNoExpansion = 1000;  // factor 1

  constexpr TimeBase() = default;
  constexpr TimeBase(int64_t storedRateHz, int64_t expansionThousandths)
      : rateHz_(storedRateHz), expansion_(expansionThousandths) {}

  // The factor used: `thousandths`, or 1000 for 0 or below (none stored).
  template <class Int>
  static constexpr Int RepairedExpansion(Int thousandths) {
    return thousandths > 0 ? thousandths : Int{kNoExpansion};
  }
  // The same rate with the factor repaired.
  TimeBase Repaired() const { return TimeBase(rateHz_, RepairedExpansion(expansion_)); }

  int64_t StoredRateHz() const { return rateHz_; }
  int64_t ExpansionThousandths() const { return expansion_; }
  // The factor as a decimal number (10000 -> 10.0).
  double ExpansionFactor() const { return static_cast<double>(expansion_) / 1000.0; }

  // Real rate in whole Hz: factor x rate / 1000, truncating.
  int64_t RealRateHz() const;
  // Real rate without rounding: factor x rate / 1000.0.
  double RealRateHzExact() const;
  // Nyquist frequency of the real rate in whole Hz: factor x rate / 2 / 1000,
  // truncating (the same as RealRateHz() / 2).
  int64_t NyquistHz() const;
  // Nyquist frequency without rounding: rate / 2.0 x factor / 1000.0.
  double NyquistHzExact() const;

  // Real time of n frames: n x 1e9 / rate / factor, each step truncating
  // (0 for a zero rate or factor).
  int64_t FramesToMicroseconds(FrameIndex n) const;
  // Frames of t microseconds of real time: factor x rate x t / 1e6 / 1000,
  // each step truncating.
  FrameIndex MicrosecondsToFrames(int64_t t) const;
  // Real time of n frames in seconds (n / real rate; 0 without a rate).
  double FramesToSeconds(FrameIndex n) const;

  friend bool operator==(const TimeBase&, const TimeBase&) = default;

 private:
  int64_t rateHz_ = 0;
  int64_t expansion_ = kNoExpansion;
};

}  // namespace nv
