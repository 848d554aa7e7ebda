#include "plot/LevelScale.h"

#include <cmath>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NV_LEVELS_AVX2 1
#endif

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

namespace {

double FromBits(uint64_t bits) {
  double d;
  __builtin_memcpy(&d, &bits, sizeof d);
  return d;
}

#ifdef NV_LEVELS_AVX2
bool HaveAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#endif

}  // namespace

void LevelScale::Levels(const double* power, int count, int32_t* levels) const {
  int i = 0;
#ifdef NV_LEVELS_AVX2
  static const bool avx2 = HaveAvx2();
  if (avx2 && !entries_.empty()) i = LevelsAvx2(power, count, levels);
#endif
  for (; i < count; ++i) levels[i] = Level(power[i]);
}

#ifdef NV_LEVELS_AVX2
// Four powers at a time: the same table entry and comparison as Level, with
// the entries gathered; lanes outside the table take the top level or none,
// lanes of exactly evaluated buckets are done one by one. Returns the number
// of powers done (a multiple of four).
__attribute__((target("avx2"))) int LevelScale::LevelsAvx2(const double* power, int count,
                                                            int32_t* levels) const {
  const long long* table = reinterpret_cast<const long long*>(entries_.data());
  const __m256i first = _mm256_set1_epi64x(static_cast<long long>(firstBucket_));
  const __m256i size = _mm256_set1_epi64x(static_cast<long long>(entries_.size()));
  const __m256i minusOne = _mm256_set1_epi64x(-1);
  const __m256i lowMask = _mm256_set1_epi64x(static_cast<long long>(kLowMask));
  const __m256i stepMask = _mm256_set1_epi64x(static_cast<long long>(kStepMask));
  const __m256i bias = _mm256_set1_epi64x(kBaseBias);
  const __m256i exact = _mm256_set1_epi64x(kExactBase);
  const __m256i top = _mm256_set1_epi64x(kTopLevel);
  const __m256d floorV = _mm256_set1_pd(floor_);
  const __m256i pack = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d p = _mm256_loadu_pd(power + i);
    const __m256i bits = _mm256_castpd_si256(p);
    // The bucket index, as a signed value: the bits shifted right lie far
    // below 2^63, so below-table powers give negative indices and sign-bit
    // powers indices above the table.
    const __m256i idx = _mm256_sub_epi64(_mm256_srli_epi64(bits, kMantissaShift), first);
    const __m256i inTable =
        _mm256_and_si256(_mm256_cmpgt_epi64(idx, minusOne), _mm256_cmpgt_epi64(size, idx));
    const __m256i e = _mm256_mask_i64gather_epi64(_mm256_setzero_si256(), table, idx, inTable, 8);
    const __m256i base = _mm256_sub_epi64(_mm256_srli_epi64(e, kBaseShift), bias);
    // cmpgt gives -1 where the step lies above the power: level base there,
    // base + 1 elsewhere.
    const __m256i below =
        _mm256_cmpgt_epi64(_mm256_and_si256(e, stepMask), _mm256_and_si256(bits, lowMask));
    const __m256i inner = _mm256_add_epi64(_mm256_sub_epi64(base, minusOne), below);
    const __m256i above = _mm256_castpd_si256(_mm256_cmp_pd(p, floorV, _CMP_GT_OQ));
    const __m256i outer = _mm256_blendv_epi8(minusOne, top, above);
    const __m256i l = _mm256_blendv_epi8(outer, inner, inTable);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(levels + i),
                     _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(l, pack)));
    const int slow = _mm256_movemask_pd(
        _mm256_castsi256_pd(_mm256_and_si256(inTable, _mm256_cmpeq_epi64(base, exact))));
    if (slow != 0)
      for (int j = 0; j < 4; ++j)
        if (slow & (1 << j)) levels[i + j] = ExactLevel(power[i + j]);
  }
  return i;
}
#endif

void LevelScale::BuildBuckets() {
  const uint64_t lastBucket = kLowestBucket + (static_cast<uint64_t>(kOctaves) << kBucketBits);
  // Buckets wholly at or below the floor hold no level; the table starts at
  // the bucket that holds the floor's successor.
  firstBucket_ = kLowestBucket;
  while (firstBucket_ < lastBucket &&
         !(FromBits(((firstBucket_ + 1) << kMantissaShift) - 1) > floor_))
    ++firstBucket_;
  entries_.clear();
  for (uint64_t b = firstBucket_; b < lastBucket; ++b) {
    const uint64_t loBits = b << kMantissaShift;
    const uint64_t hiBits = loBits + kLowMask;
    const int lo = ExactLevel(FromBits(loBits));
    const int hi = ExactLevel(FromBits(hiBits));
    // From the first bucket whose lower end is at the top, the level stays
    // at the top (and Level answers from outside the table).
    if (lo == kTopLevel) break;
    uint64_t step = kLowMask + 1;  // no change in this bucket
    int base = lo;
    if (hi == lo + 1) {
      // The first bit pattern of the bucket with level hi.
      uint64_t a = loBits, z = hiBits;  // level(a) = lo, level(z) = hi
      while (z - a > 1) {
        const uint64_t mid = a + (z - a) / 2;
        if (ExactLevel(FromBits(mid)) == lo)
          a = mid;
        else
          z = mid;
      }
      step = z & kLowMask;
    } else if (hi != lo) {
      base = kExactBase;
      step = 0;
    }
    entries_.push_back((static_cast<uint64_t>(base + kBaseBias) << kBaseShift) | step);
  }
}

}  // namespace nv
