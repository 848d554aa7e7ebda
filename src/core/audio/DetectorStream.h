#pragma once
// The virtual bat detector's sound: a heterodyne receiver over a recording.
// Each sample of the left (or only) channel is multiplied by a sine
// oscillator tuned to the detector frequency, the product goes through the
// detector's IIR filter, is brought to the level of the recording and
// limited to the sample range, and every k-th frame (k the speed factor) is
// played at the sound's own rate, so the sound runs k times faster than
// recorded.
//
// A DetectorStream produces that sound block by block, straight from the
// mapped samples into each output block just before it is queued: block n
// (from 1) covers the k x BufferSize bytes of sound from range start +
// (n - 1) x k x BufferSize, and gives one BufferSize block (less at the end
// of the sound). Nothing is copied or processed ahead of the blocks, so the
// first block is ready at once for any length of sound, and a new frequency
// is heard from the next block that is filled.
//
// The processing, for input frame j with sample value x[j] (8-bit: byte -
// 128; 16-bit: signed) and output y[j]:
//   mixed[j] = x[j] * sin(angle[j])
//   y[j] = sum_k=0..N b[k] mixed[j - k] - sum_k=1..N a[k] y[j - k]
// in double precision, where angle[j] is the oscillator's own angle at frame
// j: 0 at the range start, growing by f x delta per frame (f the oscillator
// frequency in recorded Hz, delta = 6.283185526 / sampling rate), and
// continuing without a jump when f changes between blocks. Frames before the
// range take part in the sum with their own (negative) angles; frames before
// the start of the file are left out. Past outputs start at 0. The played
// value is DetectorOutputValue(y[j]): y[j] x kDetectorGain, rounded and
// limited; a stereo output frame carries it in both channels.
//
// Units: frames are sample frames of the document, frequencies whole Hz,
// block sizes bytes. Threads: Start and FillBlock on one thread at a time;
// SetFrequencyHz from any thread (it takes effect with the next block).
// The stream reads the sample bytes it was given and owns none of them: the
// mapping must outlive the playback.
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "base/SampleSource.h"
#include "base/WaveFormat.h"
#include "filter/FilterDescription.h"

namespace nv {

// Everything one playback through the detector starts from.
struct DetectorRequest {
  SampleSource sound;              // the document's frames, the whole sound
  WaveFormatEx format;             // channels, bits per sample and rate of the sound
  int32_t timeExpansion = 1000;    // thousandths; 0 or less is taken as 1000
  int64_t firstFrame = 0;          // the range to play: clamped to the sound
  int64_t endFrame = 0;            // and ordered by Start
  int speedFactor = 10;            // k, 1 ... 200
  uint32_t blockBytes = 0;         // BufferSize: bytes of one output block
  int32_t frequencyHz = 0;         // detector frequency, real Hz
};

enum class DetectorStartResult {
  Started,     // blocks can be filled
  EmptyRange,  // nothing to play (start not before the sound's end or the range's end)
  Refused,     // a message has been shown; nothing plays
};

// The level of the played sound. Mixing a tone with the oscillator halves
// it (half goes to the difference frequency that is heard, half to the sum
// that the filter takes away), so twice the filter's output plays a call at
// the level it was recorded at: a tone at -6 dB of full scale is heard at
// -6 dB, whatever the filter's order. Louder listening is the device
// volume's business (the volume keys), not the samples'.
inline constexpr double kDetectorGain = 2.0;
// Where the limiter starts to bend, as a fraction of full scale.
inline constexpr double kDetectorLimiterKnee = 0.75;

// The played value of a filter output `y` for 8- or 16-bit sound (8-bit
// values signed, -128 ... 127): y x kDetectorGain rounded to the nearest
// whole number, unchanged up to kDetectorLimiterKnee of full scale; beyond it
// bent smoothly (tanh) towards full scale, which only values far beyond it
// reach, so that loud calls are limited instead of clipped hard or wrapped
// round. The curve rises with y and keeps its sign; NaN gives 0.
int32_t DetectorOutputValue(double y, int bits);

// The oscillator frequency in recorded Hz for a real detector frequency:
// real x 1000 / time-expansion factor (thousandths; 0 or less taken as
// 1000), in integers.
int32_t OscillatorFrequencyHz(int32_t realHz, int32_t timeExpansion);

class DetectorStream {
 public:
  static constexpr double kPhaseStepNumerator = 6.283185526;  // delta x sampling rate

  DetectorStream() = default;
  DetectorStream(const DetectorStream&) = delete;
  DetectorStream& operator=(const DetectorStream&) = delete;

  // Prepares a playback of `request` through `filter` (its a[0..N], b[0..N],
  // N = order, a[0] taken as 1). Refuses with a message: a sample size other
  // than 8 or 16 bits ("Unknown data format, only 8 and 16 bits data
  // supported."), a channel count other than 1 or 2, a speed factor outside
  // 1 ... 200, a block size that is not a positive multiple of the frame
  // size, a filter order outside 0 ... 49. Costs the same for any length of
  // sound.
  DetectorStartResult Start(const DetectorRequest& request, const FilterDescription& filter);

  // The detector frequency (real Hz) of the blocks filled from now on.
  void SetFrequencyHz(int32_t realHz) { pendingHz_.store(realHz, std::memory_order_relaxed); }
  int32_t FrequencyHz() const { return pendingHz_.load(std::memory_order_relaxed); }

  // Fills the next block into `out` (room for BlockBytes() bytes) and returns
  // the number of bytes to queue: BlockBytes() for a whole block, fewer for
  // the last block at the end of the sound, 0 when the block would start at
  // or after the range's end (nothing to queue; the count of blocks read
  // still rises, as for a device block that finds no sound).
  uint32_t FillBlock(uint8_t* out);

  // True when the next block would start at or after the range's end.
  bool Exhausted() const { return NextBlockFrame() >= endFrame_; }
  int64_t BlocksRead() const { return blocksRead_; }
  int64_t FirstFrame() const { return firstFrame_; }
  int64_t EndFrame() const { return endFrame_; }
  uint32_t BlockBytes() const { return blockBytes_; }
  int SpeedFactor() const { return k_; }
  // Input frames behind one output block: k x BufferSize / frame size.
  int64_t InputFramesPerBlock() const { return inputFramesPerBlock_; }
  // Where the detector line stands after `blocksPlayed` blocks came back
  // from the device: range start + blocksPlayed x k x BufferSize, in frames.
  int64_t PositionAfter(int64_t blocksPlayed) const {
    return firstFrame_ + blocksPlayed * inputFramesPerBlock_;
  }
  // The oscillator frequency (recorded Hz) of the last block filled.
  int32_t OscillatorHz() const { return oscillatorHz_; }

 private:
  static constexpr int64_t kChunk = 1024;  // frames processed per inner step

  int64_t NextBlockFrame() const { return firstFrame_ + blocksRead_ * inputFramesPerBlock_; }
  // Retunes the oscillator at frame `frame` to `hz` (recorded), keeping its angle continuous.
  void Tune(int32_t hz, int64_t frame);
  // Angle of the oscillator at frame j (the current tuning).
  double AngleAt(int64_t frame) const { return angleBase_ + theta_ * static_cast<double>(frame - angleFrame_); }
  // Processes frames [first, first + count) (count <= kChunk, continuing
  // where the last call ended) into y_[order_ ...].
  void ProcessChunk(int64_t first, int64_t count);

  SampleSource sound_;
  int channels_ = 1;
  int bits_ = 16;
  int frameBytes_ = 2;
  int64_t rateHz_ = 0;
  int32_t timeExpansion_ = 1000;
  int64_t firstFrame_ = 0;
  int64_t endFrame_ = 0;
  int k_ = 1;
  uint32_t blockBytes_ = 0;
  int64_t inputFramesPerBlock_ = 0;
  int64_t blocksRead_ = 0;
  std::atomic<int32_t> pendingHz_{0};
  int32_t oscillatorHz_ = 0;

  // Filter: a[1..N] and b[0..N], N = order_.
  int order_ = 0;
  std::array<double, FilterDescription::kMaxCoefficients> a_{};
  std::array<double, FilterDescription::kMaxCoefficients> b_{};

  // Oscillator: angle(j) = angleBase_ + theta_ x (j - angleFrame_); cos and
  // sin of i x theta_ for i in [0, kChunk) to build a chunk's sines from one
  // exact sine and cosine of its first angle.
  double delta_ = 0.0;
  double theta_ = 0.0;
  double angleBase_ = 0.0;
  int64_t angleFrame_ = 0;
  double tableTheta_ = -1.0;
  std::vector<double> cosTable_;
  std::vector<double> sinTable_;

  // Work arrays of one chunk: the first order_ entries of mixed_ and y_
  // hold the last values of the chunk before.
  std::vector<double> x_;
  std::vector<double> mixed_;
  std::vector<double> forward_;
  std::vector<double> y_;
};

}  // namespace nv
