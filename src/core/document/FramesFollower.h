#pragma once
// Hands the frames of a work file that is being written to a function on a
// thread of its own, in order and each frame once, a piece behind the
// writer: a pass over a whole sound that is being read then costs little
// beyond the copy itself. The writer's thread reports how far the contents
// are complete (Arrived) and ends with Finish, which returns when every
// arrived frame has been handed over. The function only reads the frames it
// gets (valid during the call); it runs while the writer goes on, so it must
// not touch the document.
//
// The frames are read from the file in pieces of a few megabytes into a
// buffer of the follower's own, not through a mapping: a pass then costs the
// same however the kernel holds the file's pages (a file written in small
// pieces takes several times the page faults of one written in one stream),
// and a file another program shortens meanwhile just ends early.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/SampleSource.h"
#include "base/TempFile.h"
#include "base/WaveFormat.h"

namespace nv {

class FramesFollower {
 public:
  using Receiver = std::function<void(const SampleSource& frames)>;

  // `work` must stay open until Finish.
  FramesFollower(TempFile& work, Receiver receiver);
  ~FramesFollower();
  FramesFollower(const FramesFollower&) = delete;
  FramesFollower& operator=(const FramesFollower&) = delete;

  // The contents of the work file are complete up to `bytes`, in `format`.
  // Always true (kept for the writer's error path).
  bool Arrived(int64_t bytes, const WaveFormatEx& format);
  // Waits until every arrived frame was handed over.
  void Finish();

 private:
  static constexpr int64_t kPieceBytes = 8 << 20;
  void Run();
  // Reads and hands on frames [first, end) (lock not held).
  void Hand(int64_t first, int64_t end);

  TempFile& work_;
  Receiver receiver_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int channels_ = 1;        // of the published frames
  int bits_ = 16;
  int64_t published_ = 0;   // frames the receiver may read
  int64_t handed_ = 0;      // frames the receiver has had
  bool finishing_ = false;
  std::vector<uint8_t> buffer_;  // one piece (the follower's thread only)
  std::thread thread_;
};

}  // namespace nv
