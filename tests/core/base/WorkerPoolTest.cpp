// The pool of worker threads: every job runs once, jobs really run side by
// side, Stop ends the taking of jobs, and each thread's messages stay its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "base/MessageSink.h"
#include "base/WorkerPool.h"

namespace nv {
namespace {

TEST(WorkerPool, EveryJobRunsExactlyOnce) {
  for (unsigned threads : {1u, 2u, 8u}) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{1000}}) {
      std::vector<std::atomic<int>> runs(count);
      WorkerPool pool;
      pool.Run(count, threads, [&](size_t i) { ++runs[i]; });
      for (size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i], 1) << threads << " " << count << " " << i;
    }
  }
  EXPECT_GE(WorkerPool::ThreadCount(0), 1u);
  EXPECT_EQ(WorkerPool::ThreadCount(3), 3u);
}

TEST(WorkerPool, JobsRunSideBySide) {
  // Two jobs that can only finish when both are running at once: a pool that
  // ran them one after the other would time out.
  std::atomic<int> arrived{0};
  std::atomic<bool> timedOut{false};
  std::mutex m;
  std::set<std::thread::id> ids;
  WorkerPool pool;
  pool.Run(2, 2, [&](size_t) {
    {
      std::lock_guard<std::mutex> lock(m);
      ids.insert(std::this_thread::get_id());
    }
    ++arrived;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (arrived < 2) {
      if (std::chrono::steady_clock::now() > until) {
        timedOut = true;
        return;
      }
      std::this_thread::yield();
    }
  });
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(ids.size(), 2u);
}

TEST(WorkerPool, StopEndsTheTakingOfJobs) {
  std::atomic<int> runs{0};
  WorkerPool pool;
  pool.Run(1000, 1, [&](size_t i) {
    ++runs;
    if (i == 9) pool.Stop();
  });
  EXPECT_EQ(runs, 10);
  EXPECT_TRUE(pool.Stopped());
}

TEST(WorkerPool, EachThreadKeepsItsOwnMessages) {
  RecordingMessageSink process;
  MessageSink* old = SetMessageSink(&process);
  std::vector<std::vector<std::string>> seen(64);
  WorkerPool pool;
  pool.Run(64, 4, [&](size_t i) {
    RecordingMessageSink mine;
    MessageSink* before = SetThreadMessageSink(&mine);
    for (int k = 0; k < 20; ++k) ShowMessage("job " + std::to_string(i));
    SetThreadMessageSink(before);
    seen[i] = mine.texts;
  });
  ShowMessage("main");
  SetMessageSink(old);
  for (size_t i = 0; i < seen.size(); ++i) {
    ASSERT_EQ(seen[i].size(), 20u);
    for (const std::string& t : seen[i]) EXPECT_EQ(t, "job " + std::to_string(i));
  }
  EXPECT_EQ(process.texts, std::vector<std::string>{"main"});
}

}  // namespace
}  // namespace nv
