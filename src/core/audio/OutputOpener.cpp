#include "audio/OutputOpener.h"

namespace nv {
namespace {

// Rates tried, lowest first, when the device refuses the one a sound asks for.
constexpr uint32_t kFallbackRates[] = {8000,  11025, 16000,  22050,  32000,  44100,
                                       48000, 88200, 96000, 176400, 192000, 384000};

// The fallback rate for `wanted`: the lowest the device takes at or above it,
// else the highest below; 0 when it takes none within the resampler's reach.
uint32_t FallbackRate(AudioBackend& backend, const std::string& device, int channels, int64_t wantedHz) {
  WaveFormatEx f;
  uint32_t chosen = 0;
  for (uint32_t rate : kFallbackRates) {
    f.SetFormat(channels, 16, rate);
    if (!backend.Supports(StreamDirection::Output, device, f)) continue;
    chosen = rate;
    if (rate >= wantedHz) break;
  }
  if (chosen == 0 || wantedHz <= 0) return 0;
  const double ratio = static_cast<double>(chosen) / static_cast<double>(wantedHz);
  return ratio > kMaxResampleRatio || 1.0 / ratio > kMaxResampleRatio ? 0 : chosen;
}

}  // namespace

OpenedOutput OpenOutput(AudioBackend& backend, const std::string& device, const WaveFormatEx& wanted,
                        AudioStreamListener& listener) {
  OpenedOutput out;
  OpenStatus status = OpenStatus::FormatRefused;
  if (wanted.nSamplesPerSec > 0) {
    out.stream = backend.Open(StreamDirection::Output, device, wanted, listener, status);
    if (out.stream) {
      out.deviceFormat = wanted;
      return out;
    }
  }
  if (status != OpenStatus::FormatRefused) return out;
  // The device is there but not at this rate.
  const uint32_t rate = FallbackRate(backend, device, wanted.nChannels, wanted.nSamplesPerSec);
  if (rate == 0) return out;
  WaveFormatEx f;
  f.SetFormat(wanted.nChannels, 16, rate);
  out.stream = backend.Open(StreamDirection::Output, device, f, listener, status);
  if (!out.stream) return out;
  out.deviceFormat = f;
  out.resampling = true;
  return out;
}

bool CanPlay(AudioBackend& backend, const std::string& device, int channels, int bits, int64_t rateHz) {
  if (rateHz <= 0 || rateHz > 0xFFFFFFFFLL) return false;
  WaveFormatEx f;
  f.SetFormat(channels, bits, static_cast<uint32_t>(rateHz));
  return backend.Supports(StreamDirection::Output, device, f) || FallbackRate(backend, device, channels, rateHz) != 0;
}

}  // namespace nv
