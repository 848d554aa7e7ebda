#include "audio/Resampler.h"

#include <soxr.h>

#include <cmath>

namespace nv {

Resampler::~Resampler() { Release(); }

void Resampler::Release() {
  if (soxr_) soxr_delete(soxr_);
  soxr_ = nullptr;
}

bool Resampler::Init(int channels, double inRateHz, double outRateHz) {
  Release();
  if (channels < 1 || !(inRateHz > 0) || !(outRateHz > 0)) return false;
  channels_ = channels;
  inRate_ = inRateHz;
  outRate_ = outRateHz;
  soxr_error_t error = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_ = soxr_create(inRateHz, outRateHz, static_cast<unsigned>(channels), &error, &io, &quality, nullptr);
  if (error) Release();
  return soxr_ != nullptr;
}

size_t Resampler::OutputRoom(size_t inFrames) const {
  // The converted frames plus the filter's delay, which a flush releases.
  const double delay = soxr_ ? soxr_delay(soxr_) : 0.0;
  return static_cast<size_t>(std::ceil(static_cast<double>(inFrames) * Ratio() + delay * Ratio())) + 1024;
}

size_t Resampler::Process(const float* in, size_t inFrames, float* out, size_t outRoom) {
  if (!soxr_) return 0;
  size_t written = 0;
  while (outRoom > written) {
    size_t used = 0, made = 0;
    if (soxr_process(soxr_, in, inFrames, &used, out + written * static_cast<size_t>(channels_),
                     outRoom - written, &made))
      break;
    written += made;
    in += used * static_cast<size_t>(channels_);
    inFrames -= used;
    if (inFrames == 0 || (used == 0 && made == 0)) break;
  }
  return written;
}

size_t Resampler::Flush(float* out, size_t outRoom) {
  if (!soxr_) return 0;
  size_t written = 0;
  while (outRoom > written) {
    size_t made = 0;
    if (soxr_process(soxr_, nullptr, 0, nullptr, out + written * static_cast<size_t>(channels_),
                     outRoom - written, &made) ||
        made == 0)
      break;
    written += made;
  }
  return written;
}

void Resampler::Interleave(const SampleSource& source, std::vector<float>& out) {
  const int channels = source.Channels();
  const int64_t frames = source.Frames();
  out.resize(static_cast<size_t>(frames * channels));
  std::vector<float> channel(static_cast<size_t>(frames));
  for (int c = 0; c < channels; ++c) {
    source.Read16(0, frames, c, channel.data());
    for (int64_t f = 0; f < frames; ++f) out[static_cast<size_t>(f * channels + c)] = channel[static_cast<size_t>(f)];
  }
}

void Resampler::Store(const float* values, size_t samples, int bits, uint8_t* out) {
  const size_t step = static_cast<size_t>(bits / 8);
  for (size_t s = 0; s < samples; ++s) {
    float v = values[s];
    if (bits == 8) v /= 256.0f;
    StoreRaw(out + s * step, bits, static_cast<int32_t>(std::lrint(v)));
  }
}

}  // namespace nv
