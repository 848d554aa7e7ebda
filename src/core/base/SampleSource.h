#pragma once
// The one decoder of stored sample frames. A SampleSource is a read-only view
// of interleaved PCM frames as the sample store holds them: 8-bit samples
// unsigned with 128 as zero, 16-bit samples signed little-endian, one or two
// channels, left first. It owns nothing: the bytes belong to the caller (a
// mapping of the work file, a block, a test buffer) and must outlive it.
// Every read is bounds-checked against the frame count: frames outside
// [0, Frames()) read as silence. Any thread may read while nothing writes.
//
// Two scales: "raw" is the stored value around zero (8-bit: u - 128, range
// -128..127; 16-bit: -32768..32767); "16-bit scale" brings 8-bit samples to
// the 16-bit range as (u - 128) * 256, full scale being 32768.
#include <cstddef>
#include <cstdint>

#include "base/ChannelSelection.h"
#include "base/WaveFormat.h"

namespace nv {

class SampleSource {
 public:
  static constexpr double kFullScale = 32768.0;

  SampleSource() = default;
  // `bits` 8 or 16 (anything else reads as silence), `channels` 1 or 2.
  SampleSource(const uint8_t* data, int64_t frames, int channels, int bits);
  SampleSource(const uint8_t* data, int64_t frames, const WaveFormatEx& f)
      : SampleSource(data, frames, f.nChannels, f.wBitsPerSample) {}

  bool Empty() const { return !data_ || frames_ <= 0; }
  const uint8_t* Data() const { return data_; }
  int64_t Frames() const { return frames_; }
  int Channels() const { return channels_; }
  int Bits() const { return bits_; }
  int BlockAlign() const { return channels_ * bits_ / 8; }
  // The largest raw magnitude plus one (128 or 32768).
  int32_t RawFullScale() const { return bits_ == 8 ? 128 : 32768; }
  // The same view limited to frames [first, first + count) (clipped).
  SampleSource Slice(int64_t first, int64_t count) const;

  // Raw value of `channel` (0 left, 1 right; a mono source has channel 0
  // only, channel 1 reads channel 0) at `frame`; 0 outside the sound.
  int32_t Raw(int64_t frame, int channel) const;
  // The same on the 16-bit scale.
  int32_t Value16(int64_t frame, int channel) const {
    return bits_ == 8 ? Raw(frame, channel) * 256 : Raw(frame, channel);
  }

  // out[i] = raw value of frame first + i, 0 outside the sound.
  void ReadRaw(int64_t first, int64_t count, int channel, int32_t* out) const;
  void ReadRaw(int64_t first, int64_t count, int channel, double* out) const;
  // out[i] = 16-bit-scale value of frame first + i, 0 outside the sound.
  void Read16(int64_t first, int64_t count, int channel, double* out) const;
  void Read16(int64_t first, int64_t count, int channel, float* out) const;
  // out[i] = 16-bit-scale value * window[i]: the frame of a spectral analysis.
  // Each product is exact in double, so every code path gives the same bits.
  void ReadWindowed(int64_t first, int count, int channel, const double* window, double* out) const;

  // Smallest and largest raw value of `channel` over [first, first + count)
  // clipped to the sound; false (lo = hi = 0) when nothing lies inside.
  bool MinMaxRaw(int64_t first, int64_t count, int channel, int32_t& lo, int32_t& hi) const;
  // Largest raw magnitude over every channel of the whole sound, at memory speed.
  int32_t PeakRaw() const;

 private:
  const uint8_t* data_ = nullptr;
  int64_t frames_ = 0;
  int channels_ = 1;
  int bits_ = 16;
};

// Stores a raw value (clamped to the sample's range) at p in the stored form.
void StoreRaw(uint8_t* p, int bits, int32_t raw);

}  // namespace nv
