#pragma once
// Sample-rate conversion for playback at a rate the device does not take:
// interleaved float frames on the 16-bit scale in, the same out, through
// libsoxr at its high quality. Only the rate changes: no pitch correction,
// no gain. One instance per stream of frames; not thread-safe.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/SampleSource.h"

struct soxr;

namespace nv {

class Resampler {
 public:
  Resampler() = default;
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Starts a new conversion from inRateHz to outRateHz; false (and no
  // converter) when the library refuses the rates.
  bool Init(int channels, double inRateHz, double outRateHz);
  bool Ready() const { return soxr_ != nullptr; }
  double Ratio() const { return outRate_ / inRate_; }
  int Channels() const { return channels_; }
  // Frames of room that converting `inFrames` frames (and the flush after
  // them) may need.
  size_t OutputRoom(size_t inFrames) const;
  // Converts `inFrames` frames; returns the frames written to `out` (room
  // for `outRoom` frames). Output lags the input by the filter's delay.
  size_t Process(const float* in, size_t inFrames, float* out, size_t outRoom);
  // Ends the stream: writes what the filter still holds.
  size_t Flush(float* out, size_t outRoom);

  // Every frame of `source`, all its channels interleaved, on the 16-bit
  // scale: what Process takes.
  static void Interleave(const SampleSource& source, std::vector<float>& out);
  // `samples` converted values written as samples of `bits` (8 or 16) bits,
  // rounded and clamped to their range.
  static void Store(const float* values, size_t samples, int bits, uint8_t* out);

 private:
  void Release();
  soxr* soxr_ = nullptr;
  int channels_ = 1;
  double inRate_ = 1, outRate_ = 1;
};

}  // namespace nv
