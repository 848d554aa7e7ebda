#pragma once
// Recording from the input device into a document, in the document's own
// format. The recorder opens the input side of an AudioBackend, keeps 16
// blocks of BufferSize bytes queued, and writes every full block the device
// hands back to the work file: block n (from 0) at start offset +
// n x BufferSize, where the start offset is the sound's size in bytes when
// recording began (so a recording is appended to the sound already held).
// A block that comes back less than full (a stop, a lost device) is
// discarded, so the work file only ever holds whole blocks.
//
// Sound the device loses (an overrun) is counted; the status text says so
// while recording, and when the recording ends a message tells how often
// and how much was lost.
//
// Stopping ends the device's work; the blocks come back, the device closes,
// and then the recorder sets the document's new length (SetLength from the
// work file's size) and tells its RecorderView. The recording also stops by
// itself, with a message and everything recorded so far kept, before the
// sound outgrows a RIFF file (4 GiB) or a document (2^31 - 1 frames), before
// the work file's disk fills up (room is left to save the sound on that
// disk), when the work file cannot be written, and when the device fails or
// vanishes.
//
// The device's life (open, start, running, stopping, device lost, closed) is
// a StreamSession, the same as a playback's. One device user in the whole
// application: the caller owns the playing flag, shared with playback; it is
// set while the device is held and cleared when it has closed.
//
// Interface thread only; the device's notifications arrive there through the
// backend's AudioExecutor.
#include <cstdint>
#include <functional>
#include <string>

#include "audio/AudioBackend.h"
#include "audio/InputKind.h"
#include "audio/StreamSession.h"
#include "document/CNorvaneDoc.h"
#include "document/TransferBuffers.h"

namespace nv {

// What a recording tells the window that shows it.
class RecorderView {
 public:
  virtual ~RecorderView() = default;
  // " %5d bytes recorded." and the like; empty clears the status.
  virtual void ShowRecordStatus(const std::string& text) = 0;
  // A block just written to the work file, numbered from 0 in this
  // recording; the bytes are valid during the call only.
  virtual void BlockRecorded(int64_t number, const uint8_t* bytes, uint32_t count) {
    (void)number, (void)bytes, (void)count;
  }
  // The device has closed and the document has its new length.
  virtual void RecordingClosed() = 0;
};

// How a recording ended, as far as the recorder knows.
enum class RecordEnd {
  None,         // still recording, or stopped by the user
  SizeLimit,    // the sound reached the largest RIFF file
  FrameLimit,   // the sound reached the largest document
  DiskFull,     // the work file's disk would not leave room to save
  WriteFailed,  // the work file could not be written
  DeviceLost,   // the input device failed or vanished
};

class Recorder : public AudioStreamListener {
 public:
  // The largest sound a RIFF file holds: its 32-bit size field counts
  // everything after the first 8 bytes, and the file's other chunks (format,
  // recording texts, marks, view records) need room too.
  static constexpr int64_t kMaxSoundBytes = 0xFFFFFFFFLL - 8 - (1LL << 20);
  // Free disk space kept beyond a copy of the sound, for saving it.
  static constexpr int64_t kDiskMarginBytes = 16LL << 20;

  // Bytes free for this process on the disk of the given descriptor, -1
  // when unknown.
  using FreeSpaceProbe = std::function<int64_t(int fd)>;

  Recorder(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
           std::function<void(bool)> setPlaying, RecorderView& view);
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // The input device's id; empty for the system's default.
  void SetInputDevice(const std::string& id) { device_ = id; }
  // Tests: another free-space probe and a smaller size limit in bytes.
  void SetFreeSpaceProbe(FreeSpaceProbe probe) { freeSpace_ = std::move(probe); }
  void SetSizeLimit(int64_t bytes) { sizeLimit_ = bytes; }
  // Stops by itself once `blocks` blocks are written (a recording of a set
  // length); 0 for no such limit.
  void SetBlockLimit(int64_t blocks) { blockLimit_ = blocks; }

  // Starts recording: nothing while anything plays (false); marks the
  // document modified, recomputes BufferSize, opens the input device ("Failed
  // to open waveform input device." and false when it cannot) and queues the
  // 16 blocks.
  bool Start();
  // "&Stop Play sound": the device hands back its blocks and closes.
  void Stop();
  // Ends a recording at once without waiting for the device (the window is
  // going away): what was written is kept, the document takes up its new
  // length, the playing flag is cleared; the view is not told.
  void Abort();

  bool Active() const { return session_.Active(); }
  bool StopRequested() const { return session_.StopRequested(); }
  RecordEnd EndReason() const { return end_; }
  // Blocks handed back so far minus one (-1 before the first).
  int64_t BlocksReceived() const { return session_.BlocksBack() - 1; }
  int BlocksQueued() const { return session_.Queued(); }
  int64_t StartOffset() const { return startOffset_; }
  // Bytes written in this recording.
  int64_t BytesRecorded() const;
  // The overruns the device reported in this recording, and the bytes of
  // sound they lost.
  int64_t Overruns() const { return overruns_; }
  int64_t OverrunBytes() const { return overrunBytes_; }

  // AudioStreamListener.
  void OnBlockDone(WaveHeader* block) override;
  void OnStreamClosed() override;
  void OnOverrun(int64_t bytes) override;

 private:
  std::string StatusText() const;
  void ReportOverruns();
  bool Queue(int i);
  // Closes the device and gives the document its new length.
  void Finish();
  // After the device has gone: the views redrawn, lost sound reported.
  void Ended();
  // Stops because of `why` with its message (once).
  void StopFor(RecordEnd why);
  bool RoomFor(int64_t endBytes);
  void CutAndSetLength();

  CNorvaneDoc& doc_;
  AudioBackend& backend_;
  RecorderView& view_;
  std::string device_;
  FreeSpaceProbe freeSpace_;
  int64_t sizeLimit_ = kMaxSoundBytes;
  int64_t blockLimit_ = 0;
  StreamSession session_;

  // The 16 blocks the device fills, BufferSize bytes each.
  TransferBuffers buffers_;
  uint32_t blockBytes_ = 0;
  int64_t startOffset_ = 0;
  RecordEnd end_ = RecordEnd::None;
  int64_t overruns_ = 0;
  int64_t overrunBytes_ = 0;
};


// "&Record sound" in a sound view, before the recording view opens: for a
// document that holds sound, asks (OK / Cancel) whether to append (the wave
// input) or to clear it (a card kind; OK empties the document). False when
// the user cancelled.
bool PrepareRecording(CNorvaneDoc& doc, InputKind kind,
                      const std::function<bool(const std::string& question)>& askOkCancel);

}  // namespace nv
