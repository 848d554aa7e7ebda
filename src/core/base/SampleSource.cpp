#include "base/SampleSource.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace nv {

namespace {

inline int16_t LoadI16(const uint8_t* p) {
  const uint16_t u = static_cast<uint16_t>(p[0] | (p[1] << 8));
  int16_t v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

#if defined(__x86_64__) && defined(__GNUC__) && defined(__BYTE_ORDER__) && \
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define NV_SAMPLE_AVX2 1
#endif

// 16-bit samples at any byte address (the sample store promises no alignment).
typedef int16_t UnalignedI16 __attribute__((aligned(1), may_alias));

// The hot loops exist twice, for the base instruction set and for AVX2; the
// variant is chosen on first use from the processor's features (no load-time
// resolvers, which run before sanitizer runtimes exist). Both variants do the
// same exact operations, so they give the same bits.
template <int Dummy>
inline void WindowMono16Body(const uint8_t* p, const double* window, double* out, int64_t n) {
  const UnalignedI16* s = reinterpret_cast<const UnalignedI16*>(p);
  for (int64_t i = 0; i < n; ++i) out[i] = static_cast<double>(s[i]) * window[i];
}
template <int Dummy>
inline int32_t PeakI16Body(const uint8_t* p, int64_t n) {
  const UnalignedI16* s = reinterpret_cast<const UnalignedI16*>(p);
  int32_t lo = 0, hi = 0;
  for (int64_t i = 0; i < n; ++i) {
    const int32_t v = s[i];
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  return std::max(-lo, hi);
}
template <int Dummy>
inline int32_t PeakU8Body(const uint8_t* p, int64_t n) {
  uint8_t lo = 128, hi = 128;
  for (int64_t i = 0; i < n; ++i) {
    lo = std::min(lo, p[i]);
    hi = std::max(hi, p[i]);
  }
  return std::max(128 - static_cast<int32_t>(lo), static_cast<int32_t>(hi) - 128);
}

void WindowMono16Base(const uint8_t* p, const double* w, double* out, int64_t n) {
  WindowMono16Body<0>(p, w, out, n);
}
int32_t PeakI16Base(const uint8_t* p, int64_t n) { return PeakI16Body<0>(p, n); }
int32_t PeakU8Base(const uint8_t* p, int64_t n) { return PeakU8Body<0>(p, n); }

#ifdef NV_SAMPLE_AVX2
__attribute__((target("avx2"))) void WindowMono16Avx2(const uint8_t* p, const double* w,
                                                      double* out, int64_t n) {
  WindowMono16Body<1>(p, w, out, n);
}
__attribute__((target("avx2"))) int32_t PeakI16Avx2(const uint8_t* p, int64_t n) {
  return PeakI16Body<1>(p, n);
}
__attribute__((target("avx2"))) int32_t PeakU8Avx2(const uint8_t* p, int64_t n) {
  return PeakU8Body<1>(p, n);
}
bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

void WindowMono16(const uint8_t* p, const double* w, double* out, int64_t n) {
#ifdef NV_SAMPLE_AVX2
  if (HasAvx2()) return WindowMono16Avx2(p, w, out, n);
#endif
  WindowMono16Base(p, w, out, n);
}
int32_t PeakI16(const uint8_t* p, int64_t n) {
#ifdef NV_SAMPLE_AVX2
  if (HasAvx2()) return PeakI16Avx2(p, n);
#endif
  return PeakI16Base(p, n);
}
int32_t PeakU8(const uint8_t* p, int64_t n) {
#ifdef NV_SAMPLE_AVX2
  if (HasAvx2()) return PeakU8Avx2(p, n);
#endif
  return PeakU8Base(p, n);
}

// The part [lo, hi) of [0, count) whose frames first + i lie inside the sound.
inline void Inside(int64_t first, int64_t count, int64_t frames, int64_t& lo, int64_t& hi) {
  lo = std::clamp<int64_t>(-first, 0, std::max<int64_t>(count, 0));
  hi = std::clamp<int64_t>(frames - first, lo, std::max<int64_t>(count, 0));
}

template <typename T, typename Conv>
void ReadInto(const SampleSource& s, int64_t first, int64_t count, int channel, T* out, Conv conv) {
  if (count <= 0) return;
  int64_t lo, hi;
  Inside(first, count, s.Empty() ? 0 : s.Frames(), lo, hi);
  std::fill(out, out + lo, T(0));
  std::fill(out + hi, out + count, T(0));
  if (hi <= lo) return;
  const int channels = s.Channels();
  const int ch = channels == 2 && channel == 1 ? 1 : 0;
  if (s.Bits() == 8) {
    const uint8_t* p = s.Data() + (first + lo) * channels + ch;
    for (int64_t i = lo; i < hi; ++i, p += channels) out[i] = conv(static_cast<int32_t>(*p) - 128);
  } else if (s.Bits() == 16) {
    const uint8_t* p = s.Data() + ((first + lo) * channels + ch) * 2;
    const int stride = 2 * channels;
    for (int64_t i = lo; i < hi; ++i, p += stride) out[i] = conv(static_cast<int32_t>(LoadI16(p)));
  } else {
    std::fill(out + lo, out + hi, T(0));
  }
}

}  // namespace

SampleSource::SampleSource(const uint8_t* data, int64_t frames, int channels, int bits)
    : data_(data),
      frames_(std::max<int64_t>(frames, 0)),
      channels_(channels == 2 ? 2 : 1),
      bits_(bits == 8 ? 8 : bits == 16 ? 16 : 0) {
  if (bits_ == 0) frames_ = 0;
}

SampleSource SampleSource::Slice(int64_t first, int64_t count) const {
  int64_t lo, hi;
  Inside(first, count, frames_, lo, hi);
  SampleSource s = *this;
  if (hi <= lo || !data_) {
    s.frames_ = 0;
    return s;
  }
  s.data_ = data_ + (first + lo) * BlockAlign();
  s.frames_ = hi - lo;
  return s;
}

int32_t SampleSource::Raw(int64_t frame, int channel) const {
  if (!data_ || frame < 0 || frame >= frames_) return 0;
  const int ch = channels_ == 2 && channel == 1 ? 1 : 0;
  if (bits_ == 8) return static_cast<int32_t>(data_[frame * channels_ + ch]) - 128;
  return LoadI16(data_ + (frame * channels_ + ch) * 2);
}

void SampleSource::ReadRaw(int64_t first, int64_t count, int channel, int32_t* out) const {
  ReadInto(*this, first, count, channel, out, [](int32_t v) { return v; });
}
void SampleSource::ReadRaw(int64_t first, int64_t count, int channel, double* out) const {
  ReadInto(*this, first, count, channel, out, [](int32_t v) { return static_cast<double>(v); });
}
void SampleSource::Read16(int64_t first, int64_t count, int channel, double* out) const {
  if (bits_ == 8)
    ReadInto(*this, first, count, channel, out, [](int32_t v) { return v * 256.0; });
  else
    ReadInto(*this, first, count, channel, out, [](int32_t v) { return static_cast<double>(v); });
}
void SampleSource::Read16(int64_t first, int64_t count, int channel, float* out) const {
  if (bits_ == 8)
    ReadInto(*this, first, count, channel, out, [](int32_t v) { return v * 256.0f; });
  else
    ReadInto(*this, first, count, channel, out, [](int32_t v) { return static_cast<float>(v); });
}

void SampleSource::ReadWindowed(int64_t first, int count, int channel, const double* window,
                                double* out) const {
  if (count <= 0) return;
  int64_t lo, hi;
  Inside(first, count, Empty() ? 0 : frames_, lo, hi);
  std::fill(out, out + lo, 0.0);
  std::fill(out + hi, out + count, 0.0);
  if (hi <= lo) return;
  if (bits_ == 16 && channels_ == 1) {
    WindowMono16(data_ + (first + lo) * 2, window + lo, out + lo, hi - lo);
    return;
  }
  Read16(first + lo, hi - lo, channel, out + lo);
  for (int64_t i = lo; i < hi; ++i) out[i] *= window[i];
}

bool SampleSource::MinMaxRaw(int64_t first, int64_t count, int channel, int32_t& lo,
                             int32_t& hi) const {
  int64_t a, b;
  Inside(first, count, Empty() ? 0 : frames_, a, b);
  lo = hi = 0;
  if (b <= a) return false;
  const int ch = channels_ == 2 && channel == 1 ? 1 : 0;
  int32_t mn = 32767, mx = -32768;
  if (bits_ == 8) {
    const uint8_t* p = data_ + (first + a) * channels_ + ch;
    for (int64_t i = a; i < b; ++i, p += channels_) {
      const int32_t v = static_cast<int32_t>(*p) - 128;
      mn = std::min(mn, v);
      mx = std::max(mx, v);
    }
  } else {
    const uint8_t* p = data_ + ((first + a) * channels_ + ch) * 2;
    const int stride = 2 * channels_;
    for (int64_t i = a; i < b; ++i, p += stride) {
      const int32_t v = LoadI16(p);
      mn = std::min(mn, v);
      mx = std::max(mx, v);
    }
  }
  lo = mn;
  hi = mx;
  return true;
}

int32_t SampleSource::PeakRaw() const {
  if (Empty()) return 0;
  const int64_t samples = frames_ * channels_;
  // Pieces keep the running extremes in registers and the loop count in range.
  constexpr int64_t kPiece = int64_t{1} << 20;
  int32_t peak = 0;
  for (int64_t i = 0; i < samples; i += kPiece) {
    const int64_t n = std::min(kPiece, samples - i);
    peak = std::max(peak, bits_ == 8 ? PeakU8(data_ + i, n) : PeakI16(data_ + 2 * i, n));
  }
  return peak;
}

void StoreRaw(uint8_t* p, int bits, int32_t raw) {
  if (bits == 8) {
    *p = static_cast<uint8_t>(std::clamp(raw, -128, 127) + 128);
  } else {
    const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(raw, -32768, 32767)));
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
  }
}

}  // namespace nv
