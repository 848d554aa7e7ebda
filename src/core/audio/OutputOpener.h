#pragma once
// Opening an output device for a sound at any sampling rate: at the sound's
// own rate when the device takes it, otherwise at the nearest rate it takes
// (the lowest above, else the highest below), the caller then converting the
// sound through a Resampler. Every playback (plain, slowed, detector) opens
// its device here, so all of them play the same rates. Interface thread.
#include <memory>
#include <string>

#include "audio/AudioBackend.h"
#include "base/WaveFormat.h"

namespace nv {

// How far the program's own resampler changes a rate at most.
constexpr double kMaxResampleRatio = 256.0;

struct OpenedOutput {
  std::unique_ptr<AudioStream> stream;  // null when nothing could be opened
  WaveFormatEx deviceFormat;            // the format the device was opened in
  bool resampling = false;              // deviceFormat's rate differs from the wanted one
};

// Opens `device` for `wanted` (any rate above 0), or at a fallback rate in
// 16 bits when the device refuses that rate. Null stream when the device is
// not there, or takes no rate within kMaxResampleRatio of the wanted one.
OpenedOutput OpenOutput(AudioBackend& backend, const std::string& device, const WaveFormatEx& wanted,
                        AudioStreamListener& listener);

// Whether a sound of `channels` and `bits` at `rateHz` can be played on
// `device`: directly, or at a fallback rate through the resampler.
bool CanPlay(AudioBackend& backend, const std::string& device, int channels, int bits, int64_t rateHz);

}  // namespace nv
