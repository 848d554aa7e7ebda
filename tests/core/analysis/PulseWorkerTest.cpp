// The worker thread: results in order, prompt stop, join before release.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "PulseTestSignals.h"
#include "analysis/PulseWorker.h"

namespace nv {
namespace {

// A long sound with a burst every 10 ms at 1 MHz.
struct ManyBursts {
  test::Sound16 snd{2000000};
  ManyBursts() {
    for (size_t k = 0; k < 200; ++k) snd.Burst(1000 + k * 10000, 500, 8000);
  }
  PulseRunInput Input() {
    PulseRunInput in;
    in.samples = snd.Source();
    in.rateHz = 1000000;
    in.settings.leftChannel = 1;
    in.settings.ampMaxAmp = in.settings.freqStrong = in.settings.freqMax = in.settings.freqMin = 0;
    in.settings.duration = 0;
    in.settings.ampSeparationUs = 100;
    in.settings.durTimeUs = 10;
    return in;
  }
};

struct Inbox {
  std::mutex m;
  std::condition_variable cv;
  std::vector<double> starts, numbers;
  std::vector<std::string> status;
  bool finished = false;
};

TEST(PulseWorker, ResultsArriveInOrderAndTheRunFinishes) {
  ManyBursts s;
  Inbox box;
  PulseWorker w;
  PulseCallbacks cb;
  cb.status = [&](const std::string& t) {
    std::lock_guard<std::mutex> l(box.m);
    box.status.push_back(t);
  };
  cb.result = [&](PulseResult&& r) {
    std::lock_guard<std::mutex> l(box.m);
    box.starts.push_back(r.startUs);
    box.numbers.push_back(r.pulseNumber);
  };
  const PulseRunInput in = s.Input();
  ASSERT_TRUE(w.Start(in, cb, [&] {
    std::lock_guard<std::mutex> l(box.m);
    box.finished = true;
    box.cv.notify_all();
  }));
  EXPECT_FALSE(w.Start(in, cb, nullptr));  // one run at a time
  {
    std::unique_lock<std::mutex> l(box.m);
    ASSERT_TRUE(box.cv.wait_for(l, std::chrono::seconds(20), [&] { return box.finished; }));
  }
  w.Join();
  EXPECT_FALSE(w.Busy());
  EXPECT_TRUE(w.Done());
  ASSERT_EQ(box.starts.size(), 200u);
  for (size_t k = 0; k < 200; ++k) {
    EXPECT_EQ(box.numbers[k], static_cast<double>(k + 1));
    EXPECT_EQ(box.starts[k], 1000.0 + k * 10000.0);
  }
  EXPECT_EQ(box.status, (std::vector<std::string>{"Calculation started.", "Calculation completed."}));
}

TEST(PulseWorker, StoppedMidRunEndsPromptly) {
  ManyBursts s;
  Inbox box;
  PulseWorker w;
  PulseCallbacks cb;
  cb.status = [&](const std::string& t) {
    std::lock_guard<std::mutex> l(box.m);
    box.status.push_back(t);
  };
  cb.result = [&](PulseResult&& r) {
    {
      std::lock_guard<std::mutex> l(box.m);
      box.starts.push_back(r.startUs);
      box.cv.notify_all();
    }
    // A slow receiver: the run would take seconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  };
  ASSERT_TRUE(w.Start(s.Input(), cb, nullptr));
  {
    std::unique_lock<std::mutex> l(box.m);
    ASSERT_TRUE(box.cv.wait_for(l, std::chrono::seconds(20), [&] { return box.starts.size() >= 3; }));
  }
  const auto t0 = std::chrono::steady_clock::now();
  w.StopAndJoin();
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_LT(waited, std::chrono::seconds(1));
  EXPECT_FALSE(w.Busy());
  EXPECT_LT(box.starts.size(), 200u);
  EXPECT_EQ(box.status.back(), "Calculation stopped.");
  // A new run after a stopped one starts afresh.
  box.starts.clear();
  box.status.clear();
  cb.result = [&](PulseResult&& r) {
    std::lock_guard<std::mutex> l(box.m);
    box.starts.push_back(r.startUs);
  };
  ASSERT_TRUE(w.Start(s.Input(), cb, nullptr));
  w.Join();
  EXPECT_EQ(box.starts.size(), 200u);
}

TEST(PulseWorker, DestructorStopsAndJoins) {
  ManyBursts s;
  std::atomic<int> results{0};
  {
    PulseWorker w;
    PulseCallbacks cb;
    cb.result = [&](PulseResult&&) {
      ++results;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    ASSERT_TRUE(w.Start(s.Input(), cb, nullptr));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }  // the sound (s) outlives the worker, which has been joined here
  const int seen = results.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(results.load(), seen);
  EXPECT_LT(seen, 200);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST(PulseWorker, StopsInsideALongMeasurement) {
  // One pulse whose spectrogram at a hop of one frame takes tens of thousands
  // of 16384-point transforms: the stop must not wait for them.
  test::Sound16 snd(200000);
  snd.Burst(50000, 20000, 8000);
  PulseRunInput in;
  in.samples = snd.Source();
  in.rateHz = 1000000;
  in.settings.leftChannel = 1;
  in.settings.fftSize = 16384;
  in.settings.fftOverlap = 16383;
  std::atomic<bool> started{false};
  PulseCallbacks cb;
  cb.status = [&](const std::string&) { started = true; };
  PulseWorker w;
  ASSERT_TRUE(w.Start(in, cb, nullptr));
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto t0 = std::chrono::steady_clock::now();
  w.StopAndJoin();
  // Without the stop the run takes many seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}

}  // namespace
}  // namespace nv
