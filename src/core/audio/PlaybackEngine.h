#pragma once
// The playback of one sound view: chooses what to play, opens the output
// device at the document's rate times its play speed, streams the work file
// through its own 16 transfer buffers one BufferSize block at a time, refills
// each block as the device hands it back, and reports progress to its
// PlaybackView ("Playing selection 0.10 - 0.90 ", "... current: 0.35",
// "End of play", the moving playback cursor).
//
// Blocks: block k (from 1) holds the BufferSize bytes of the work file from
// range start + (k - 1) x BufferSize; the block that holds the range's end
// is played whole. The cursor follows the blocks as the device hands them
// back, which is when they have been heard; HeardFrame interpolates inside
// the block being heard.
//
// Devices that refuse the rate a speed asks for (too low, too high, or not a
// rate the sound server takes) are opened at a rate they take, and the
// blocks go through a Resampler on the way: one source block still makes one
// device block, so the accounting above is unchanged. The same happens for
// the Left/Right rate keys when the device has no rate control of its own.
//
// One playback in the whole application: the caller owns the playing flag,
// shared by every engine (and by recording); it is set while a device is
// held and cleared when the device has closed.
//
// Interface thread only; the device's notifications arrive there through its
// AudioExecutor. Destroying the engine (the view or document closes) stops a
// running playback at once and clears the playing flag.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/PlaybackView.h"
#include "audio/Resampler.h"
#include "document/CNorvaneDoc.h"
#include "document/TransferBuffers.h"

namespace nv {

enum class PlaybackState { Idle = 0, Open = 1, Closing = 4 };

// What an arrow key did while playing.
enum class KeyOutcome {
  NotPlaying,  // no playback: the key does its other work
  Changed,
  Unchanged,  // at a limit of the rule: nothing happens
  Refused,    // the device could not be asked: the view beeps
};

// What "&Play sound" looks at in the view (frames; -1 for none).
struct PlaybackRequest {
  int32_t selectionStart = -1;
  int32_t selectionEnd = -1;
  int32_t cursor = -1;
  int32_t firstVisible = 0;
};

class PlaybackEngine : public AudioStreamListener {
 public:
  // Reads up to `bytes` bytes of the work file at `offset` into `out`;
  // returns the bytes read (0 at the end, -1 on error).
  using BlockReader = std::function<int64_t(int64_t offset, uint8_t* out, int64_t bytes)>;

  // The playing flag as a variable of the caller...
  PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, bool& playingFlag, PlaybackView& view);
  // ...or behind the caller's accessors.
  PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                 std::function<void(bool)> setPlaying, PlaybackView& view);
  ~PlaybackEngine() override;
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // The output device's id; empty for the system's default.
  void SetOutputDevice(const std::string& id) { device_ = id; }
  // How many of the 16 transfer buffers a playback keeps queued (1 to 16;
  // 16 for ordinary playback, fewer where each block is worked on just ahead
  // of the device).
  void SetBlocksInUse(int n) { blocksInUse_ = n < 1 ? 1 : n > TransferBuffers::kCount ? TransferBuffers::kCount : n; }
  // Replaces the work-file reader (tests: short reads, failures).
  void SetBlockReader(BlockReader reader) { reader_ = std::move(reader); }

  // "&Play sound": nothing while anything plays; "No sound to play." for an
  // empty document; otherwise the selection ("Playing selection"), the
  // cursor to the end ("Playing from cursor"), or the first visible sample
  // to the end ("Playing").
  void Play(const PlaybackRequest& request);
  // Plays frames [startFrame, endFrame); beeps and returns false for an empty
  // or inverted range, shows the message of a device that cannot be opened.
  bool Start(int64_t startFrame, int64_t endFrame, const std::string& label);
  // "&Stop Play sound": the device hands back every block; the first one
  // back ends the playback.
  void Stop();
  // Ends a running playback at once, without telling the view (closing).
  void Abort();

  // The arrow keys while playing: Up, Down, Left (rate halved), Right
  // (rate doubled).
  KeyOutcome VolumeUp();
  KeyOutcome VolumeDown();
  KeyOutcome RateDown();
  KeyOutcome RateUp();

  // The output volume word of the left channel; false when nothing plays
  // or the device cannot be asked.
  bool LeftVolume(uint16_t& v);

  PlaybackState State() const { return state_; }
  bool Active() const { return state_ != PlaybackState::Idle; }
  // The frame being heard now (interpolated inside the current block), -1
  // when nothing plays.
  int64_t HeardFrame();
  // "Label start - end " of the running playback.
  const std::string& StatusText() const { return statusText_; }
  // The format the device was opened with, and whether blocks are resampled.
  const WaveFormatEx& DeviceFormat() const { return deviceFormat_; }
  uint32_t SourceRateHz() const { return sourceRateHz_; }
  bool Resampling() const { return resampling_; }
  // The 16.16 rate factor the rate keys set (0x10000 at the start).
  uint32_t RateFactor() const { return rateFactor_; }
  int BlocksQueued() const { return queued_; }
  // The playback's own 16 transfer buffers (BufferSize bytes each at the
  // last start).
  const TransferBuffers& Buffers() const { return buffers_; }
  int64_t BlocksPlayed() const { return played_; }
  int64_t RangeStartBytes() const { return startBytes_; }
  int64_t RangeEndBytes() const { return endBytes_; }

  // AudioStreamListener.
  void OnStreamOpened() override;
  void OnBlockDone(WaveHeader* block) override;
  void OnStreamClosed() override;

 private:
  struct QueuedBlock {
    int64_t deviceEnd;    // stream bytes up to this block's end
    uint32_t deviceBytes;
    int64_t sourceStart;  // work-file bytes it came from
    int64_t sourceEnd;
  };

  bool OpenDevice(const WaveFormatEx& wanted);
  bool SetUpResampler(double ownFactor);
  KeyOutcome ApplyRate(uint32_t factor16_16);
  void FillBlock(int i);
  // Converts `n` bytes of source block i into its device block; false when
  // the block ends up without room.
  bool ConvertBlock(int i, const uint8_t* src, int64_t n, bool last);
  void EndPlayback();
  int64_t ReadWork(int64_t offset, uint8_t* out, int64_t bytes);
  double SecondsOf(int64_t frame) const;

  CNorvaneDoc& doc_;
  AudioBackend& backend_;
  std::function<bool()> isPlaying_;
  std::function<void(bool)> setPlaying_;
  PlaybackView& view_;
  std::string device_;
  BlockReader reader_;
  std::unique_ptr<AudioStream> stream_;

  PlaybackState state_ = PlaybackState::Idle;
  bool stopRequested_ = false;
  std::string statusText_;
  int64_t startBytes_ = 0, endBytes_ = 0;  // the range in work-file bytes
  int64_t endFrame_ = 0;
  int frameBytes_ = 1;
  uint32_t blockBytes_ = 0;
  int64_t read_ = 0;    // blocks read
  int64_t played_ = 0;  // blocks handed back
  int queued_ = 0;
  int blocksInUse_ = TransferBuffers::kCount;

  WaveFormatEx deviceFormat_;
  uint32_t sourceRateHz_ = 0;
  bool resampling_ = false;
  bool ownRate_ = false;     // the rate keys act in the resampler
  double ownFactor_ = 1.0;   // rate factor applied by the resampler
  uint32_t rateFactor_ = 0x10000;
  uint32_t deviceFactor_ = 0x10000;
  Resampler resampler_;
  // The blocks this playback streams through; allocated at each start, kept
  // while the device may still hold them (until it has closed).
  TransferBuffers buffers_;
  std::array<std::vector<uint8_t>, TransferBuffers::kCount> outBlocks_;
  std::array<WaveHeader, TransferBuffers::kCount> outHeaders_{};
  std::vector<float> inFrames_, outFrames_;
  std::deque<QueuedBlock> inFlight_;
  int64_t deviceBytesWritten_ = 0;
};

}  // namespace nv
