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
// logarithm for almost every power: the set-up evaluates the formula at both
// ends of small power buckets (1/256 octave) and keeps the level of every
// bucket in which it does not change; only powers in buckets that hold a
// level boundary (or the floor) are evaluated exactly. The formula is
// monotonic in P, so equal levels at both ends of a bucket hold throughout.
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
  LevelScale();  // threshold 0, contrast 0
  LevelScale(int32_t threshold, int32_t contrast);

  int ExactLevel(double power) const;
  int Level(double power) const {
    uint64_t bits;
    __builtin_memcpy(&bits, &power, sizeof bits);
    // Zero, negative values and powers below 1.0 lie below every floor.
    if (bits < kFirstBucket << (52 - kBucketBits)) return kNoLevel;
    const uint64_t idx = (bits >> (52 - kBucketBits)) - kFirstBucket;
    if (idx >= buckets_.size()) return power > floor_ ? kTopLevel : kNoLevel;  // 2^31 and up, NaN
    const int8_t l = buckets_[idx];
    return l != kMixed ? l : ExactLevel(power);
  }

  double floor() const { return floor_; }
  double lnFloor() const { return lnFloor_; }
  double lnTop() const { return lnTop_; }
  int32_t contrast() const { return contrast_; }
  double gamma() const { return gamma_; }

 private:
  static constexpr int kBucketBits = 8;
  static constexpr int kTopLevel = 63;
  static constexpr int8_t kMixed = -2;
  // Buckets cover 1.0 <= P < 2^31 (the floor is never below 1.0).
  static constexpr uint64_t kFirstBucket = uint64_t{1023} << kBucketBits;
  static constexpr int kOctaves = 31;

  void BuildBuckets();

  double floor_ = 1.0;
  double lnFloor_ = 0.0;
  double lnTop_ = 0.0;
  int32_t contrast_ = 0;
  double gamma_ = 1.0;
  std::vector<int8_t> buckets_;
};

}  // namespace nv
