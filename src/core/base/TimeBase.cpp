#include "base/TimeBase.h"

namespace nv {

namespace {
int64_t Clamp64(__int128 v) {
  if (v > INT64_MAX) return INT64_MAX;
  if (v < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(v);
}
}  // namespace

int64_t TimeBase::RealRateHz() const {
  return Clamp64(static_cast<__int128>(expansion_) * rateHz_ / 1000);
}

double TimeBase::RealRateHzExact() const {
  return static_cast<double>(expansion_) * static_cast<double>(rateHz_) / 1000.0;
}

int64_t TimeBase::NyquistHz() const {
  return Clamp64(static_cast<__int128>(expansion_) * rateHz_ / 2 / 1000);
}

double TimeBase::NyquistHzExact() const {
  return static_cast<double>(rateHz_) / 2.0 * static_cast<double>(expansion_) / 1000.0;
}

int64_t TimeBase::FramesToMicroseconds(FrameIndex n) const {
  if (rateHz_ == 0 || expansion_ == 0) return 0;
  __int128 v = static_cast<__int128>(n) * 1000000000;
  v /= rateHz_;
  v /= expansion_;
  return Clamp64(v);
}

FrameIndex TimeBase::MicrosecondsToFrames(int64_t t) const {
  __int128 v = static_cast<__int128>(expansion_) * rateHz_ * t;
  v /= 1000000;
  v /= 1000;
  return Clamp64(v);
}

double TimeBase::FramesToSeconds(FrameIndex n) const {
  const double rate = RealRateHzExact();
  return rate > 0 ? static_cast<double>(n) / rate : 0.0;
}

}  // namespace nv
