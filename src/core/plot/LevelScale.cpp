#include "plot/LevelScale.h"

#include <cmath>

#include "dsp/BinPower.h"

namespace nv {

ThresholdFloor ThresholdFloorOf(int32_t t) {
  ThresholdFloor f;
  if (t <= 0) {
    f.floor = 1.0;
    f.lnFloor = 0.0;
  } else if (t >= 32) {
    f.floor = 2.56e7;
    f.lnFloor = std::log(f.floor);
  } else {
    f.lnFloor = t * 0.03125 * std::log(2.56e7);
    f.floor = std::exp(f.lnFloor);
  }
  return f;
}

LevelScale::LevelScale() : LevelScale(0, 0) {}

LevelScale::LevelScale(int32_t threshold, int32_t contrast) {
  const ThresholdFloor f = ThresholdFloorOf(threshold);
  floor_ = f.floor;
  lnFloor_ = f.lnFloor;
  lnTop_ = std::log(FullScalePower);
  contrast_ = contrast;
  if (contrast > 0)
    gamma_ = 1.0 + contrast / 2.0;
  else if (contrast < 0)
    gamma_ = 1.0 / (1.0 - contrast / 2.0);
  BuildBuckets();
}

int LevelScale::ExactLevel(double p) const {
  if (!(p > floor_)) return kNoLevel;
  double v = (std::log(p) - lnFloor_) / (lnTop_ - lnFloor_);
  if (contrast_ != 0) v = std::pow(v, gamma_);
  const double l = std::trunc(v * 64.0);
  if (!(l > 0.0)) return 0;
  if (l > 63.0) return 63;
  return static_cast<int>(l);
}

void LevelScale::BuildBuckets() {
  const size_t count = static_cast<size_t>(kOctaves) << kBucketBits;
  buckets_.assign(count, kMixed);
  for (size_t i = 0; i < count; ++i) {
    const uint64_t loBits = (kFirstBucket + i) << (52 - kBucketBits);
    const uint64_t hiBits = loBits + (uint64_t{1} << (52 - kBucketBits)) - 1;
    double lo, hi;
    __builtin_memcpy(&lo, &loBits, sizeof lo);
    __builtin_memcpy(&hi, &hiBits, sizeof hi);
    if (!(hi > floor_)) {
      buckets_[i] = static_cast<int8_t>(kNoLevel);
      continue;
    }
    if (!(lo > floor_)) continue;  // holds the floor: evaluated exactly
    const int a = ExactLevel(lo);
    if (a == ExactLevel(hi)) buckets_[i] = static_cast<int8_t>(a);
  }
}

}  // namespace nv
