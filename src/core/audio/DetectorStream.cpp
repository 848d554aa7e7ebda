#include "audio/DetectorStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "audio/DetectorSettings.h"
#include "base/MessageSink.h"
#include "base/TimeBase.h"

namespace nv {
namespace {

// The feedback recursion y[i] = forward[i] - sum_k=1..N a[k] y[i - k] over
// `count` outputs; y[-N .. -1] are the outputs before. The term of the
// newest output comes last, so that only one multiply and one subtraction
// lie on the chain from one output to the next. A fixed order lets the
// compiler keep the history in registers.
template <int N>
void RecurseFixed(const double* forward, const double* a, double* y, int64_t count) {
  double h[N + 1];
  for (int k = 1; k <= N; ++k) h[k] = y[-k];  // h[k] = y[i - k]
  double ak[N + 1];
  for (int k = 1; k <= N; ++k) ak[k] = a[k];
  for (int64_t i = 0; i < count; ++i) {
    double acc = forward[i];
    for (int k = N; k >= 2; --k) acc -= ak[k] * h[k];
    acc -= ak[1] * h[1];
    for (int k = N; k >= 2; --k) h[k] = h[k - 1];
    h[1] = acc;
    y[i] = acc;
  }
}

// The feed-forward sum forward[i] = sum_k=0..N b[k] mixed[i - k] for a
// fixed order: one pass, each output written once, the terms added in the
// same order as the general loop.
template <int N>
void ForwardFixed(const double* b, const double* mixed, double* forward, int64_t count) {
  double bk[N + 1];
  for (int k = 0; k <= N; ++k) bk[k] = b[k];
  for (int64_t i = 0; i < count; ++i) {
    double acc = bk[0] * mixed[i];
    for (int k = 1; k <= N; ++k) acc += bk[k] * mixed[i - k];
    forward[i] = acc;
  }
}

void ForwardAny(int order, const double* b, const double* mixed, double* forward, int64_t count) {
  for (int64_t i = 0; i < count; ++i) forward[i] = b[0] * mixed[i];
  for (int k = 1; k <= order; ++k) {
    const double bk = b[k];
    const double* m = mixed - k;
    for (int64_t i = 0; i < count; ++i) forward[i] += bk * m[i];
  }
}

void Forward(int order, const double* b, const double* mixed, double* forward, int64_t count) {
  switch (order) {
    case 1: ForwardFixed<1>(b, mixed, forward, count); break;
    case 2: ForwardFixed<2>(b, mixed, forward, count); break;
    case 3: ForwardFixed<3>(b, mixed, forward, count); break;
    case 4: ForwardFixed<4>(b, mixed, forward, count); break;
    case 5: ForwardFixed<5>(b, mixed, forward, count); break;
    case 6: ForwardFixed<6>(b, mixed, forward, count); break;
    case 7: ForwardFixed<7>(b, mixed, forward, count); break;
    case 8: ForwardFixed<8>(b, mixed, forward, count); break;
    default: ForwardAny(order, b, mixed, forward, count); break;
  }
}

void RecurseAny(int order, const double* forward, const double* a, double* y, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    double acc = forward[i];
    for (int k = order; k >= 1; --k) acc -= a[k] * y[i - k];
    y[i] = acc;
  }
}

void Recurse(int order, const double* forward, const double* a, double* y, int64_t count) {
  switch (order) {
    case 0: std::copy(forward, forward + count, y); break;
    case 1: RecurseFixed<1>(forward, a, y, count); break;
    case 2: RecurseFixed<2>(forward, a, y, count); break;
    case 3: RecurseFixed<3>(forward, a, y, count); break;
    case 4: RecurseFixed<4>(forward, a, y, count); break;
    case 5: RecurseFixed<5>(forward, a, y, count); break;
    case 6: RecurseFixed<6>(forward, a, y, count); break;
    case 7: RecurseFixed<7>(forward, a, y, count); break;
    case 8: RecurseFixed<8>(forward, a, y, count); break;
    default: RecurseAny(order, forward, a, y, count); break;
  }
}

}  // namespace

int32_t DetectorOutputValue(double y, int bits) {
  const double v = y * kDetectorGain;
  if (std::isnan(v)) return 0;
  const double full = v < 0 ? (bits == 8 ? 128.0 : 32768.0) : (bits == 8 ? 127.0 : 32767.0);
  const double knee = kDetectorLimiterKnee * full;
  double m = std::fabs(v);
  // Slope 1 at the knee, so a sound that just touches it is not audibly bent.
  if (m > knee) m = knee + (full - knee) * std::tanh((m - knee) / (full - knee));
  const double r = std::min(std::round(m), full);
  return static_cast<int32_t>(v < 0 ? -r : r);
}

int32_t OscillatorFrequencyHz(int32_t realHz, int32_t timeExpansion) {
  return static_cast<int32_t>(int64_t{realHz} * 1000 / TimeBase::RepairedExpansion(timeExpansion));
}

DetectorStartResult DetectorStream::Start(const DetectorRequest& r, const FilterDescription& filter) {
  if (r.format.wBitsPerSample != 8 && r.format.wBitsPerSample != 16) {
    ShowMessage("Unknown data format, only 8 and 16 bits data supported.", MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }
  if (r.format.nChannels != 1 && r.format.nChannels != 2) {
    ShowMessage("Unknown data format, only mono and stereo data supported.", MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }
  if (r.speedFactor < DetectorSettings::kMinSpeedFactor || r.speedFactor > DetectorSettings::kMaxSpeedFactor) {
    ShowMessage(SpeedFactorRangeMessage(), MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }
  if (filter.order < 0 || filter.order > FilterDescription::kMaxOrder) {
    ShowMessage("Ilegal filter order!", MessageIcon::None);
    return DetectorStartResult::Refused;
  }
  const int frameBytes = r.format.nChannels * r.format.wBitsPerSample / 8;
  if (r.blockBytes == 0 || r.blockBytes % static_cast<uint32_t>(frameBytes) != 0) {
    ShowMessage("Invalid block size for the detector.", MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }
  if (r.format.nSamplesPerSec == 0) {
    ShowMessage("Invalid sampling rate.", MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }
  if (r.sound.Channels() != r.format.nChannels || r.sound.Bits() != r.format.wBitsPerSample) {
    ShowMessage("Unknown data format, only 8 and 16 bits data supported.", MessageIcon::Exclamation);
    return DetectorStartResult::Refused;
  }

  sound_ = r.sound;
  channels_ = r.format.nChannels;
  bits_ = r.format.wBitsPerSample;
  frameBytes_ = frameBytes;
  rateHz_ = r.format.nSamplesPerSec;
  timeExpansion_ = TimeBase::RepairedExpansion(r.timeExpansion);
  k_ = r.speedFactor;
  blockBytes_ = r.blockBytes;
  inputFramesPerBlock_ = int64_t{k_} * (blockBytes_ / static_cast<uint32_t>(frameBytes_));
  blocksRead_ = 0;
  order_ = filter.order;
  a_ = filter.a;
  b_ = filter.b;
  pendingHz_.store(r.frequencyHz, std::memory_order_relaxed);

  int64_t first = r.firstFrame, end = r.endFrame;
  if (end < first) std::swap(first, end);
  const int64_t frames = sound_.Frames();
  first = std::max<int64_t>(first, 0);
  end = std::min(end, frames);
  firstFrame_ = first;
  endFrame_ = end;
  if (first >= frames || first >= end) {
    endFrame_ = firstFrame_;
    return DetectorStartResult::EmptyRange;
  }

  // The oscillator starts at angle 0 on the range's first frame.
  delta_ = kPhaseStepNumerator / static_cast<double>(rateHz_);
  angleBase_ = 0.0;
  angleFrame_ = firstFrame_;
  theta_ = 0.0;
  tableTheta_ = -1.0;
  Tune(OscillatorFrequencyHz(r.frequencyHz, timeExpansion_), firstFrame_);

  const size_t n = static_cast<size_t>(order_);
  x_.assign(static_cast<size_t>(kChunk), 0.0);
  forward_.assign(static_cast<size_t>(kChunk), 0.0);
  mixed_.assign(n + static_cast<size_t>(kChunk), 0.0);
  y_.assign(n + static_cast<size_t>(kChunk), 0.0);
  // The N frames before the range, mixed with their own angles; frames
  // before the file's start read as 0 and so drop out of the sum.
  if (order_ > 0) {
    sound_.ReadRaw(firstFrame_ - order_, order_, 0, x_.data());
    for (int i = 0; i < order_; ++i) {
      const int64_t j = firstFrame_ - order_ + i;
      mixed_[static_cast<size_t>(i)] = x_[static_cast<size_t>(i)] * std::sin(AngleAt(j));
    }
  }
  return DetectorStartResult::Started;
}

void DetectorStream::Tune(int32_t hz, int64_t frame) {
  angleBase_ = AngleAt(frame);
  angleFrame_ = frame;
  theta_ = static_cast<double>(hz) * delta_;
  oscillatorHz_ = hz;
  if (theta_ != tableTheta_) {
    cosTable_.resize(static_cast<size_t>(kChunk));
    sinTable_.resize(static_cast<size_t>(kChunk));
    for (int64_t i = 0; i < kChunk; ++i) {
      const double t = theta_ * static_cast<double>(i);
      cosTable_[static_cast<size_t>(i)] = std::cos(t);
      sinTable_[static_cast<size_t>(i)] = std::sin(t);
    }
    tableTheta_ = theta_;
  }
}

void DetectorStream::ProcessChunk(int64_t first, int64_t count) {
  const int n = order_;
  double* x = x_.data();
  double* mixed = mixed_.data() + n;
  double* forward = forward_.data();
  double* y = y_.data() + n;
  sound_.ReadRaw(first, count, 0, x);
  // sin(A + i theta) = sin A cos(i theta) + cos A sin(i theta), with the
  // chunk's first angle A exact: no error builds up from chunk to chunk.
  const double angle = AngleAt(first);
  const double sA = std::sin(angle), cA = std::cos(angle);
  const double* ct = cosTable_.data();
  const double* st = sinTable_.data();
  for (int64_t i = 0; i < count; ++i) mixed[i] = x[i] * (sA * ct[i] + cA * st[i]);
  Forward(n, b_.data(), mixed, forward, count);
  Recurse(n, forward, a_.data(), y, count);
  // Carry the last N mixed inputs and outputs to the front for the next chunk.
  if (n > 0) {
    std::memmove(mixed_.data(), mixed + count - n, sizeof(double) * static_cast<size_t>(n));
    std::memmove(y_.data(), y + count - n, sizeof(double) * static_cast<size_t>(n));
  }
}

uint32_t DetectorStream::FillBlock(uint8_t* out) {
  const int64_t c = NextBlockFrame();
  ++blocksRead_;
  if (c >= endFrame_ || inputFramesPerBlock_ <= 0) return 0;
  const int64_t h = std::min(c + inputFramesPerBlock_, sound_.Frames());
  if (h <= c) return 0;
  const int32_t hz = OscillatorFrequencyHz(pendingHz_.load(std::memory_order_relaxed), timeExpansion_);
  if (hz != oscillatorHz_) Tune(hz, c);

  const int64_t n = order_;
  uint8_t* q = out;
  int64_t pick = c;  // next frame whose output is played
  for (int64_t p = c; p < h; p += kChunk) {
    const int64_t count = std::min(kChunk, h - p);
    ProcessChunk(p, count);
    // The chunk's outputs stay behind the carried history until the next chunk.
    const double* y = y_.data() + n;
    for (; pick < p + count; pick += k_) {
      const int32_t v = DetectorOutputValue(y[pick - p], bits_);
      for (int ch = 0; ch < channels_; ++ch, q += bits_ / 8) StoreRaw(q, bits_, v);
    }
  }
  return static_cast<uint32_t>(q - out);
}

}  // namespace nv
