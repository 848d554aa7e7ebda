// The stream contract as the simulated device keeps it, for both sides:
// blocks come back once each and in order, Reset and Close hand back what is
// queued, Close is told after the blocks, a stream let go of tells nothing,
// and input blocks come back full with bytesRecorded.
#include <gtest/gtest.h>

#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"

namespace nv {
namespace {

struct Log : AudioStreamListener {
  std::vector<std::string> events;
  void OnStreamOpened() override { events.push_back("opened"); }
  void OnBlockDone(WaveHeader* b) override {
    events.push_back("done " + std::to_string(b->user) + " " + std::to_string(b->bytesRecorded));
  }
  void OnStreamClosed() override { events.push_back("closed"); }
};

struct Blocks {
  std::vector<std::vector<uint8_t>> bytes;
  std::vector<WaveHeader> headers;
  explicit Blocks(int n, uint32_t size) : bytes(static_cast<size_t>(n), std::vector<uint8_t>(size)), headers(static_cast<size_t>(n)) {
    for (int i = 0; i < n; ++i) {
      headers[static_cast<size_t>(i)].data = bytes[static_cast<size_t>(i)].data();
      headers[static_cast<size_t>(i)].bufferLength = size;
      headers[static_cast<size_t>(i)].user = static_cast<uintptr_t>(i);
    }
  }
};

TEST(SimulatedDevice, OutputBlocksComeBackInOrderAndCloseComesLast) {
  TaskQueue q;
  SimulatedAudioBackend backend(q);
  Log log;
  WaveFormatEx f;
  f.SetFormat(1, 16, 8000);
  OpenStatus st;
  auto s = backend.Open(StreamDirection::Output, "", f, log, st);
  ASSERT_TRUE(s);
  EXPECT_EQ(st, OpenStatus::Opened);
  Blocks b(3, 8);
  for (auto& h : b.headers) ASSERT_TRUE(s->Write(&h));
  EXPECT_EQ(backend.last->Complete(1), 0);  // paused: nothing plays
  s->Restart();
  EXPECT_EQ(backend.last->Complete(1), 1);
  EXPECT_EQ(s->PlayedBytes(), 8);
  s->Close();
  s->Close();
  EXPECT_FALSE(s->Write(&b.headers[0]));
  q.RunPending();
  EXPECT_EQ(log.events, (std::vector<std::string>{"opened", "done 0 0", "done 1 0", "done 2 0", "closed"}));

  // A stream let go of tells nothing more.
  Log quiet;
  auto t = backend.Open(StreamDirection::Output, "", f, quiet, st);
  t->Write(&b.headers[0]);
  t->Reset();
  EXPECT_FALSE(t->Write(&b.headers[1]));  // nothing after a reset
  t.reset();
  q.RunPending();
  EXPECT_TRUE(quiet.events.empty());

  // Formats the device does not take, and a device that cannot open at all.
  f.SetFormat(1, 16, 500000);
  EXPECT_FALSE(backend.Open(StreamDirection::Output, "", f, quiet, st));
  EXPECT_EQ(st, OpenStatus::FormatRefused);
  backend.unavailable = true;
  f.SetFormat(1, 16, 8000);
  EXPECT_FALSE(backend.Open(StreamDirection::Output, "", f, quiet, st));
  EXPECT_EQ(st, OpenStatus::Failed);
}

TEST(SimulatedDevice, InputBlocksComeBackFullAndResetHandsBackThePartOne) {
  TaskQueue q;
  SimulatedAudioBackend backend(q);
  Log log;
  WaveFormatEx f;
  f.SetFormat(2, 16, 44100);
  OpenStatus st;
  auto s = backend.Open(StreamDirection::Input, "", f, log, st);
  ASSERT_TRUE(s);
  Blocks b(3, 4);
  for (auto& h : b.headers) ASSERT_TRUE(s->Write(&h));
  s->Restart();
  backend.last->Deliver({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  q.RunPending();
  EXPECT_EQ(log.events, (std::vector<std::string>{"opened", "done 0 4", "done 1 4"}));
  EXPECT_EQ(b.bytes[1], (std::vector<uint8_t>{5, 6, 7, 8}));
  s->Reset();
  q.RunPending();
  EXPECT_EQ(log.events.back(), "done 2 2");
  EXPECT_EQ(b.bytes[2][0], 9);
  EXPECT_EQ(s->PlayedBytes(), 10);
}

}  // namespace
}  // namespace nv
