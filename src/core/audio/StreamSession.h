#pragma once
// The life of one device stream, the same for playback and recording: the
// one state machine both drive, with the count of blocks in the device and
// the application's playing flag.
//
//   Closed --Opened--> Open --Launch--> Running --RequestStop / lost--> Stopping
//   Open, Running, Stopping --Close--> Closing --Closed--> Closed
//   any --Abort--> Closed (at once, without notifications)
//
// Open: the device is held, paused, and the owner queues its first blocks
// (Queue). Launch sets the playing flag and restarts the device when a block
// is queued (false when none is: the owner then closes). Running: every block
// the device hands back is counted (BlockBack) and the owner refills it.
// Stopping: a stop was asked for, or the device vanished (DeviceLost); the
// device hands back its blocks (RequestStop resets it when blocks are
// queued) and nothing is refilled. Close ends the device's work (Reset) and
// closes it; the device's closed notification ends the session (Closed):
// the stream is dropped and the playing flag cleared. Abort does all of that
// at once for an owner that is going away.
//
// Ownership: the session owns the open AudioStream; the owner is the
// stream's listener and forwards its notifications here. The playing flag
// belongs to the caller (one device user in the whole application, shared by
// every playback and recording): read and set through the two functions
// given. Blocks and their bytes stay the owner's.
//
// Threads: interface thread only, like the stream's notifications.
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/AudioStream.h"

namespace nv {

enum class StreamState { Closed, Open, Running, Stopping, Closing };

class StreamSession {
 public:
  StreamSession(std::function<bool()> isPlaying, std::function<void(bool)> setPlaying);
  ~StreamSession() { Abort(); }
  StreamSession(const StreamSession&) = delete;
  StreamSession& operator=(const StreamSession&) = delete;

  // Whether a device is held anywhere in the application (the playing flag)
  // or by this stream.
  bool Busy() const { return isPlaying_() || state_ != StreamState::Closed; }

  // Takes the opened, paused stream: Open, no block queued or back, no stop.
  void Opened(std::unique_ptr<AudioStream> stream);
  // Queues a block; false (nothing counted) when the device refuses it.
  bool Queue(WaveHeader* block);
  // Sets the playing flag and, with a block queued, restarts the device
  // (Running); false when nothing is queued.
  bool Launch();
  // A block came back: counted; false when the session is closing or closed
  // (the block only comes home). A device that vanished turns into a stop.
  bool BlockBack();
  // Asks for a stop: the device hands back its blocks (reset) when some are
  // queued; true when blocks will still come back.
  bool RequestStop();
  // Ends the device's work and closes it (Closing); nothing when already
  // closing or closed.
  void Close();
  // The device's closed notification: the stream is dropped, the playing
  // flag cleared (when Launch set it).
  void Closed();
  // Closes at once, without notifications, and clears the playing flag when
  // Launch set it; false when nothing was held.
  bool Abort();

  StreamState State() const { return state_; }
  // Holding a device: from Opened to Closed.
  bool Active() const { return state_ != StreamState::Closed; }
  bool Closing() const { return state_ == StreamState::Closing; }
  bool StopRequested() const { return stopRequested_; }
  bool DeviceLost() const { return stream_ && stream_->Lost(); }
  int Queued() const { return queued_; }
  // Blocks handed back since Opened.
  int64_t BlocksBack() const { return back_; }
  // The open stream, null when closed.
  AudioStream* Stream() const { return stream_.get(); }

 private:
  // Clears the playing flag when this stream set it.
  void ReleaseFlag();

  std::function<bool()> isPlaying_;
  std::function<void(bool)> setPlaying_;
  std::unique_ptr<AudioStream> stream_;
  StreamState state_ = StreamState::Closed;
  bool stopRequested_ = false;
  bool holdsFlag_ = false;  // the playing flag was set by Launch
  int queued_ = 0;
  int64_t back_ = 0;
};

}  // namespace nv
