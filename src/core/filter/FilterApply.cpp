#include "filter/FilterApply.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "base/MessageSink.h"
#include "base/SampleSource.h"

namespace nv {
namespace {

// Frames filtered per block: inputs and outputs of a block sit in two linear
// buffers that begin with the last N values of the block before, so the inner
// sums run over contiguous memory without wrapping indices.
constexpr std::int64_t kBlockFrames = 4096;

// Truncates toward zero and clips to lo..hi; NaN gives 0.
inline int ToSample(double y, double lo, double hi) {
  if (y >= hi) return static_cast<int>(hi);
  if (y <= lo) return static_cast<int>(lo);
  if (std::isnan(y)) return 0;
  return static_cast<int>(y);  // conversion truncates toward zero
}

// Writes an output value in the stored form of `Bits`-bit samples.
template <int Bits>
struct StoredSample {
  static void Write(std::uint8_t* p, double y) {
    constexpr double lo = Bits == 8 ? -128.0 : -32768.0;
    constexpr double hi = Bits == 8 ? 127.0 : 32767.0;
    StoreRaw(p, Bits, ToSample(y, lo, hi));
  }
};

// Filters one channel in place: frames [firstFrame, firstFrame + frames) of
// `channel`, read through `source` (over the same bytes); `first` points at
// the channel's sample of the range's first frame, `stride` is the frame size.
template <class Format>
void FilterChannel(const FilterDescription& desc, const SampleSource& source, int channel,
                   std::int64_t firstFrame, std::uint8_t* first, std::int64_t frames,
                   std::int64_t stride) {
  const int n = desc.order;
  const double* b = desc.b.data();
  // Feedback coefficients reversed, so that both sums walk the history forwards.
  double aRev[FilterDescription::kMaxCoefficients];
  double bRev[FilterDescription::kMaxCoefficients];
  for (int k = 0; k <= n; ++k) {
    aRev[k] = desc.a[n - k];
    bRev[k] = b[n - k];
  }
  std::vector<double> x(static_cast<std::size_t>(n + kBlockFrames), 0.0);
  std::vector<double> y(static_cast<std::size_t>(n + kBlockFrames), 0.0);
  std::uint8_t* p = first;
  for (std::int64_t done = 0; done < frames; done += kBlockFrames) {
    const std::int64_t count = std::min(kBlockFrames, frames - done);
    if (done > 0) {
      // Carry the last N inputs and outputs to the front.
      std::memmove(x.data(), x.data() + kBlockFrames, sizeof(double) * n);
      std::memmove(y.data(), y.data() + kBlockFrames, sizeof(double) * n);
    }
    double* xb = x.data();
    double* yb = y.data();
    source.ReadRaw(firstFrame + done, count, channel, xb + n);
    for (std::int64_t i = 0; i < count; ++i) {
      // xb[i .. i+n] are x[m-n .. m], yb[i .. i+n-1] are y[m-n .. m-1].
      const double* xs = xb + i;
      const double* ys = yb + i;
      double acc = bRev[n] * xs[n];
      for (int k = 0; k < n; ++k) acc += bRev[k] * xs[k] - aRev[k] * ys[k];
      yb[n + i] = acc;
    }
    std::uint8_t* q = p;
    for (std::int64_t i = 0; i < count; ++i, q += stride) Format::Write(q, yb[n + i]);
    p += count * stride;
  }
}

}  // namespace

bool ApplyFilter(const FilterDescription& desc, std::uint8_t* samples, std::int64_t firstFrame,
                 std::int64_t endFrame, int channels, int bitsPerSample, int channelCode) {
  if (bitsPerSample != 8 && bitsPerSample != 16) {
    ShowMessage("Unknown data format, only 8 and 16 bits data supported.", MessageIcon::Exclamation);
    return false;
  }
  if (channels != 1 && channels != 2) {
    ShowMessage("Unknown data format, only mono and stereo data supported.", MessageIcon::Exclamation);
    return false;
  }
  if (channelCode < 1 || channelCode > 3) {
    ShowMessage("No channel selected for filtering.", MessageIcon::Exclamation);
    return false;
  }
  if (desc.order < 0 || desc.order > FilterDescription::kMaxOrder) {
    ShowMessage("Ilegal filter order!", MessageIcon::None);
    return false;
  }
  if (firstFrame > endFrame) std::swap(firstFrame, endFrame);
  if (firstFrame < 0) {
    ShowMessage("Illegal filter range!", MessageIcon::Exclamation);
    return false;
  }
  const std::int64_t frames = endFrame - firstFrame;
  if (frames == 0 || samples == nullptr) return true;
  const std::int64_t sampleBytes = bitsPerSample / 8;
  const std::int64_t stride = sampleBytes * channels;
  std::uint8_t* start = samples + firstFrame * stride;
  const SampleSource source(samples, endFrame, channels, bitsPerSample);
  for (int ch = 0; ch < channels; ++ch) {
    if (channels == 2 && !(channelCode & (ch + 1))) continue;
    std::uint8_t* first = start + ch * sampleBytes;
    if (bitsPerSample == 8) {
      FilterChannel<StoredSample<8>>(desc, source, ch, firstFrame, first, frames, stride);
    } else {
      FilterChannel<StoredSample<16>>(desc, source, ch, firstFrame, first, frames, stride);
    }
  }
  return true;
}

}  // namespace nv
