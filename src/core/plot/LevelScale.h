#pragma once
// The mapping of a spectrogram bin power to one of the 64 colour levels of
// a built-in colour scheme.
//
// A power P (on the scale of BinPower, full scale 2^30) above the threshold
// floor gets v = (ln P - ln floor) / (ln 2^30 - ln floor), with contrast c
// raised to gamma = 1 + c/2 (c > 0) or 1 / (1 - c/2) (c < 0); the level is
// v * 64 truncated and limited to 0 ... 63. Powers at or below the floor get
// kNoLevel (not drawn).
//
// ExactLevel evaluates that formula. Level gives the same result without a
// logarithm for almost every power: the set-up divides the powers into small
// buckets (1/256 octave, the top bits of the double) and, since the formula
// is monotonic in P, finds for every bucket its level at the lower end and
// the smallest power of the bucket (by bisection over the bit patterns) at
// which the level goes one up, if it does. A lookup is then one table entry
// and one comparison, without branches on the data. Only buckets in which
// the level changes by more than one step are evaluated exactly.
//
// Immutable after construction; any number of threads may read it.
#include <cstdint>
#include <vector>

namespace nv {

inline constexpr int kNoLevel = -1;

// The threshold floor of "FftThresHold" t: 1.0 for t <= 0,
// (2.56e7)^(t/32) for 1 ... 31, 2.56e7 for t >= 32.
struct ThresholdFloor {
  double floor = 1.0;
  double lnFloor = 0.0;
};
ThresholdFloor ThresholdFloorOf(int32_t threshold);

class LevelScale {
 public:
  // Threshold 0, contrast 0, without the table: every level is evaluated
  // exactly. This is the placeholder of a set-up made before its settings
  // are known; building the table (some 8000 logarithms) is left to the
  // scale that is used.
  LevelScale();
  LevelScale(int32_t threshold, int32_t contrast);

  int ExactLevel(double power) const;
  int Level(double power) const {
    uint64_t bits;
    __builtin_memcpy(&bits, &power, sizeof bits);
    // Below the first bucket (zero, negative values, powers at or below the
    // floor's bucket start wrap around to large indices), above the last one
    // (only top levels follow), infinities and NaN.
    const uint64_t idx = (bits >> kMantissaShift) - firstBucket_;
    if (idx >= entries_.size())
      return entries_.empty() ? ExactLevel(power) : power > floor_ ? kTopLevel : kNoLevel;
    const uint64_t e = entries_[idx];
    const int base = static_cast<int>(e >> kBaseShift) - kBaseBias;
    const int l = base + static_cast<int>((bits & kLowMask) >= (e & kStepMask));
    return base != kExactBase ? l : ExactLevel(power);
  }

  // levels[i] = Level(power[i]) for i = 0 ... count - 1.
  void Levels(const double* power, int count, int32_t* levels) const;
  // The same as bytes (kNoLevel is -1).
  void Levels(const double* power, int count, int8_t* levels) const;

  double floor() const { return floor_; }
  double lnFloor() const { return lnFloor_; }
  double lnTop() const { return lnTop_; }
  int32_t contrast() const { return contrast_; }
  double gamma() const { return gamma_; }

 private:
  static constexpr int kBucketBits = 8;
  static constexpr int kTopLevel = 63;
  // A power's bucket is its bit pattern shifted right by kMantissaShift (the
  // exponent and the top kBucketBits mantissa bits); within a bucket powers
  // order as their low kMantissaShift bits.
  static constexpr int kMantissaShift = 52 - kBucketBits;
  static constexpr uint64_t kLowMask = (uint64_t{1} << kMantissaShift) - 1;
  // Table entry: (level at the bucket's lower end + kBaseBias) << kBaseShift,
  // ORed with the low bits of the first power of the next level (or
  // 2^kMantissaShift when the level stays the same). A biased base of 0
  // marks a bucket evaluated exactly.
  static constexpr int kBaseShift = kMantissaShift + 1;
  static constexpr uint64_t kStepMask = (uint64_t{1} << kBaseShift) - 1;
  static constexpr int kBaseBias = 2;
  static constexpr int kExactBase = -kBaseBias;
  // Buckets start at 1.0 at the lowest (the floor is never below 1.0) and
  // end below 2^31.
  static constexpr uint64_t kLowestBucket = uint64_t{1023} << kBucketBits;
  static constexpr int kOctaves = 31;

  void BuildBuckets();
  int LevelsAvx2(const double* power, int count, int32_t* levels) const;
  int LevelsAvx2(const double* power, int count, int8_t* levels) const;

  double floor_ = 1.0;
  double lnFloor_ = 0.0;
  double lnTop_ = 0.0;
  int32_t contrast_ = 0;
  double gamma_ = 1.0;
  uint64_t firstBucket_ = kLowestBucket;  // the bucket of entries_[0]
  std::vector<uint64_t> entries_;
};

}  // namespace nv
