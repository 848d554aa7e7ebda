#pragma once
// The one playback engine of the program: a plain sound, a slowed sound,
// the recording view's playback and the virtual detector all play through it
// and differ only in their PlaybackSource and PlaybackView. The engine
// chooses what to play, opens the output device (OutputOpener) at the
// document's rate times the source's speed, keeps up to 16 blocks queued,
// asks the source for the next block whenever the device hands one back,
// and reports progress to its PlaybackView ("Playing selection 0.10 - 0.90 ",
// "... current: 0.35", the end and why it came, the moving playback cursor).
// The device's life (open, start, running, stopping, device lost, closed) is
// a StreamSession. A device that fails or vanishes ends the playback as its
// end does ("End of play", the cursor removed), and once the device has
// closed a message tells the user.
//
// Blocks: block k (from 1) stands for the source's SoundBytesPerBlock()
// bytes of sound from range start + (k - 1) x SoundBytesPerBlock() (for the
// work file: BufferSize bytes, the block that holds the range's end played
// whole) and is at most BufferSize bytes. The cursor follows the blocks as
// the device hands them back, which is when they have been heard;
// HeardFrame interpolates inside the block being heard.
//
// Devices that refuse the rate a speed asks for (too low, too high, or not a
// rate the sound server takes) are opened at a rate they take, and the
// blocks go through a Resampler on the way: one source block still makes one
// device block, so the accounting above is unchanged. The same happens for
// the Left/Right rate keys when the device has no rate control of its own.
//
// Ownership: the engine holds references to the document, the backend, the
// view and the source, all of which must outlive it; it owns its device
// stream (through its StreamSession), its 16 transfer buffers and the
// converted blocks, kept while the device may still hold them. The playing
// flag (one device user in the whole application, shared with every other
// playback and with recording) is the caller's: set while a device is held
// and cleared when it has closed.
//
// Threads: interface thread only; the device's notifications arrive there
// through its AudioExecutor. Destroying the engine (the view or document
// closes) stops a running playback at once and clears the playing flag.
//
// Units: ranges and positions in frames of the document, offsets in bytes of
// the sound (the work file's contents), rates in Hz, the rate keys' factor
// in 16.16 fixed point, volume words 0 to 0xFFFF per channel.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/PlaybackSource.h"
#include "audio/PlaybackView.h"
#include "audio/Resampler.h"
#include "audio/StreamSession.h"
#include "audio/WorkFileSource.h"
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
  FrameIndex selectionStart = -1;
  FrameIndex selectionEnd = -1;
  FrameIndex cursor = -1;
  FrameIndex firstVisible = 0;
};

class PlaybackEngine : public AudioStreamListener {
 public:
  using BlockReader = WorkFileSource::BlockReader;

  // Plays the document's work file at its play speed. The playing flag as a
  // variable of the caller...
  PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, bool& playingFlag, PlaybackView& view);
  // ...or behind the caller's accessors.
  PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                 std::function<void(bool)> setPlaying, PlaybackView& view);
  // Plays what `source` makes of the document's sound.
  PlaybackEngine(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                 std::function<void(bool)> setPlaying, PlaybackView& view, PlaybackSource& source);
  ~PlaybackEngine() override;
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // The output device's id; empty for the system's default.
  void SetOutputDevice(const std::string& id) { device_ = id; }
  // How many of the 16 transfer buffers a playback keeps queued (1 to 16;
  // 16 for ordinary playback, fewer where each block is worked on just ahead
  // of the device).
  void SetBlocksInUse(int n) { blocksInUse_ = n < 1 ? 1 : n > TransferBuffers::kCount ? TransferBuffers::kCount : n; }
  // Replaces the work-file reader of the plain source (tests: short reads,
  // failures).
  void SetBlockReader(BlockReader reader) { workFile_.SetBlockReader(std::move(reader)); }

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

  PlaybackState State() const;
  bool Active() const { return session_.Active(); }
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
  int BlocksQueued() const { return session_.Queued(); }
  // The playback's own 16 transfer buffers (BufferSize bytes each at the
  // last start): the source fills its blocks into them.
  const TransferBuffers& Buffers() const { return buffers_; }
  int64_t BlocksPlayed() const { return session_.BlocksBack(); }
  // How the last playback ended (Finished until one has ended).
  PlaybackEnd EndReason() const { return end_; }
  int64_t RangeStartBytes() const { return startBytes_; }
  int64_t RangeEndBytes() const { return endBytes_; }

  // AudioStreamListener.
  void OnBlockDone(WaveHeader* block) override;
  void OnStreamClosed() override;

 private:
  struct QueuedBlock {
    int64_t deviceEnd;    // stream bytes up to this block's end
    uint32_t deviceBytes;
    int64_t sourceStart;  // sound bytes it came from
    int64_t sourceEnd;
  };

  bool OpenDevice(const WaveFormatEx& wanted);
  // The device and the resampler for a start; false after the message.
  bool OpenForStart();
  bool SetUpResampler(double ownFactor);
  KeyOutcome ApplyRate(uint32_t factor16_16);
  KeyOutcome StepVolumeKey(bool up);
  void FillBlock(int i);
  // Converts `n` bytes of source block i into its device block.
  void ConvertBlock(int i, const uint8_t* src, int64_t n, bool last);
  void EndPlayback();
  double SecondsOf(int64_t frame) const;

  CNorvaneDoc& doc_;
  AudioBackend& backend_;
  PlaybackView& view_;
  WorkFileSource workFile_;
  PlaybackSource& source_;
  std::string device_;
  StreamSession session_;

  std::string statusText_;
  int64_t startBytes_ = 0, endBytes_ = 0;  // the range in bytes of the sound
  int64_t endFrame_ = 0;
  int64_t soundBytesPerBlock_ = 0;
  int frameBytes_ = 1;
  uint32_t blockBytes_ = 0;
  int64_t read_ = 0;  // blocks asked of the source
  PlaybackEnd end_ = PlaybackEnd::Finished;
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
