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

LevelScale::LevelScale() {
  lnTop_ = std::log(FullScalePower);
}

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

void LevelScale::Levels(const double* power, int count, int8_t* levels) const {
  int i = 0;
#ifdef NV_LEVELS_AVX2
  static const bool avx2 = HaveAvx2();
  if (avx2 && !entries_.empty()) i = LevelsAvx2(power, count, levels);
#endif
  for (; i < count; ++i) levels[i] = static_cast<int8_t>(Level(power[i]));
}

#ifdef NV_LEVELS_AVX2
namespace {

// The constants of the four-lane lookup.
struct QuadLookup {
  const long long* table;
  __m256i first, size, minusOne, lowMask, stepMask, bias, exact, top, pack;
  __m256d floorV;
};

// Levels of power[0 ... 3]: the same table entry and comparison as Level,
// with the entries gathered; lanes outside the table take the top level or
// none. Returns the four levels as 32-bit values and in *slow the lanes of
// exactly evaluated buckets, which the caller redoes one by one.
__attribute__((target("avx2"))) inline __m128i LevelQuad(const QuadLookup& q,
                                                         const double* power, int* slow) {
  const __m256d p = _mm256_loadu_pd(power);
  const __m256i bits = _mm256_castpd_si256(p);
  // The bucket index, as a signed value: the bits shifted right lie far
  // below 2^63, so below-table powers give negative indices and sign-bit
  // powers indices above the table.
  const __m256i idx = _mm256_sub_epi64(_mm256_srli_epi64(bits, 52 - 8), q.first);
  const __m256i inTable =
      _mm256_and_si256(_mm256_cmpgt_epi64(idx, q.minusOne), _mm256_cmpgt_epi64(q.size, idx));
  const __m256i e = _mm256_mask_i64gather_epi64(_mm256_setzero_si256(), q.table, idx, inTable, 8);
  const __m256i base = _mm256_sub_epi64(_mm256_srli_epi64(e, 52 - 8 + 1), q.bias);
  // cmpgt gives -1 where the step lies above the power: level base there,
  // base + 1 elsewhere.
  const __m256i below =
      _mm256_cmpgt_epi64(_mm256_and_si256(e, q.stepMask), _mm256_and_si256(bits, q.lowMask));
  const __m256i inner = _mm256_add_epi64(_mm256_sub_epi64(base, q.minusOne), below);
  const __m256i above = _mm256_castpd_si256(_mm256_cmp_pd(p, q.floorV, _CMP_GT_OQ));
  const __m256i outer = _mm256_blendv_epi8(q.minusOne, q.top, above);
  const __m256i l = _mm256_blendv_epi8(outer, inner, inTable);
  *slow = _mm256_movemask_pd(
      _mm256_castsi256_pd(_mm256_and_si256(inTable, _mm256_cmpeq_epi64(base, q.exact))));
  return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(l, q.pack));
}

}  // namespace

#define NV_QUAD_LOOKUP(q)                                                           \
  QuadLookup q;                                                                     \
  q.table = reinterpret_cast<const long long*>(entries_.data());                    \
  q.first = _mm256_set1_epi64x(static_cast<long long>(firstBucket_));               \
  q.size = _mm256_set1_epi64x(static_cast<long long>(entries_.size()));             \
  q.minusOne = _mm256_set1_epi64x(-1);                                              \
  q.lowMask = _mm256_set1_epi64x(static_cast<long long>(kLowMask));                 \
  q.stepMask = _mm256_set1_epi64x(static_cast<long long>(kStepMask));               \
  q.bias = _mm256_set1_epi64x(kBaseBias);                                           \
  q.exact = _mm256_set1_epi64x(kExactBase);                                         \
  q.top = _mm256_set1_epi64x(kTopLevel);                                            \
  q.pack = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);                               \
  q.floorV = _mm256_set1_pd(floor_)

// Four powers at a time. Returns the number of powers done (a multiple of
// four).
__attribute__((target("avx2"))) int LevelScale::LevelsAvx2(const double* power, int count,
                                                            int32_t* levels) const {
  static_assert(kMantissaShift == 52 - 8 && kBaseShift == 52 - 8 + 1);
  NV_QUAD_LOOKUP(q);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    int slow;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(levels + i), LevelQuad(q, power + i, &slow));
    if (slow != 0)
      for (int j = 0; j < 4; ++j)
        if (slow & (1 << j)) levels[i + j] = ExactLevel(power[i + j]);
  }
  return i;
}

// Eight powers at a time, packed to bytes. Returns the number of powers done
// (a multiple of eight).
__attribute__((target("avx2"))) int LevelScale::LevelsAvx2(const double* power, int count,
                                                            int8_t* levels) const {
  NV_QUAD_LOOKUP(q);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    int slowLo, slowHi;
    const __m128i lo = LevelQuad(q, power + i, &slowLo);
    const __m128i hi = LevelQuad(q, power + i + 4, &slowHi);
    const __m128i words = _mm_packs_epi32(lo, hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(levels + i), _mm_packs_epi16(words, words));
    const int slow = slowLo | (slowHi << 4);
    if (slow != 0)
      for (int j = 0; j < 8; ++j)
        if (slow & (1 << j)) levels[i + j] = static_cast<int8_t>(ExactLevel(power[i + j]));
  }
  return i;
}

#undef NV_QUAD_LOOKUP
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
