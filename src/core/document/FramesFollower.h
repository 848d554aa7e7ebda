#pragma once
// Hands the frames of a work file that is being written to a function on a
// thread of its own, in order and each frame once, a piece behind the
// writer: a pass over a whole sound that is being read then costs little
// beyond the copy itself. The writer's thread reports how far the contents
// are complete (Arrived) and ends with Finish, which returns when every
// arrived frame has been handed over. The function only reads the frames it
// gets (valid during the call); it runs while the writer goes on, so it must
// not touch the document.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "base/SampleSource.h"
#include "base/TempFile.h"
#include "base/WaveFormat.h"

namespace nv {

class FramesFollower {
 public:
  using Receiver = std::function<void(const SampleSource& frames)>;

  // `work` must stay open until Finish; its mapping belongs to the follower
  // meanwhile.
  FramesFollower(TempFile& work, Receiver receiver);
  ~FramesFollower();
  FramesFollower(const FramesFollower&) = delete;
  FramesFollower& operator=(const FramesFollower&) = delete;

  // The contents of the work file are complete up to `bytes`, in `format`.
  // False when the file could not be mapped (errno set).
  bool Arrived(int64_t bytes, const WaveFormatEx& format);
  // Waits until every arrived frame was handed over and releases the mapping.
  void Finish();

 private:
  void Run();
  // Waits until the receiver has every published frame. Lock held.
  void Drain(std::unique_lock<std::mutex>& lock);

  TempFile& work_;
  Receiver receiver_;
  std::mutex mutex_;
  std::condition_variable changed_;
  SampleSource mapped_;     // the mapping of the contents, as far as published
  int64_t published_ = 0;   // frames the receiver may read
  int64_t handed_ = 0;      // frames the receiver has had
  bool busy_ = false;       // the receiver is reading
  bool finishing_ = false;
  std::thread thread_;
};

}  // namespace nv
