// The life cycle of a device stream shared by playback and recording: open,
// start, running, stopping, device lost, closing, closed, and the playing
// flag the session sets and clears.
#include "audio/StreamSession.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"

namespace nv {
namespace {

TEST(StreamSession, OneLifeCycleForPlaybackAndRecording) {
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  auto Device = [&backend]() -> SimulatedAudioStream& { return *backend.last; };
  for (const StreamDirection dir : {StreamDirection::Output, StreamDirection::Input}) {
    SCOPED_TRACE(dir == StreamDirection::Output ? "output" : "input");
    struct Listener : AudioStreamListener {
      void OnBlockDone(WaveHeader*) override {}
      void OnStreamClosed() override {}
    } listener;
    StreamSession session([&] { return playing; }, [&](bool p) { playing = p; });
    EXPECT_EQ(session.State(), StreamState::Closed);
    EXPECT_FALSE(session.Busy());
    WaveFormatEx f;
    f.SetFormat(1, 16, 44100);
    OpenStatus status = OpenStatus::Failed;
    session.Opened(backend.Open(dir, "", f, listener, status));
    EXPECT_EQ(session.State(), StreamState::Open);
    EXPECT_TRUE(session.Busy());
    EXPECT_FALSE(playing);
    std::vector<uint8_t> bytes(3 * 100, 0);
    WaveHeader blocks[3];
    for (int i = 0; i < 3; ++i) {
      blocks[i].data = bytes.data() + 100 * i;
      blocks[i].bufferLength = 100;
      EXPECT_TRUE(session.Queue(&blocks[i]));
    }
    EXPECT_TRUE(session.Launch());
    EXPECT_EQ(session.State(), StreamState::Running);
    EXPECT_TRUE(playing);
    EXPECT_TRUE(Device().Running());
    EXPECT_TRUE(session.BlockBack());
    EXPECT_EQ(session.Queued(), 2);
    EXPECT_EQ(session.BlocksBack(), 1);
    // A stop with blocks in the device: they all come back.
    EXPECT_TRUE(session.RequestStop());
    EXPECT_EQ(session.State(), StreamState::Stopping);
    EXPECT_EQ(Device().Queued(), 0);
    session.Close();
    EXPECT_EQ(session.State(), StreamState::Closing);
    EXPECT_TRUE(Device().Closed());
    EXPECT_FALSE(session.BlockBack());  // only comes home
    session.Closed();
    EXPECT_EQ(session.State(), StreamState::Closed);
    EXPECT_FALSE(playing);
    EXPECT_EQ(session.Stream(), nullptr);
    queue.RunPending();

    // A device that vanishes turns the next block back into a stop.
    session.Opened(backend.Open(dir, "", f, listener, status));
    ASSERT_TRUE(session.Queue(&blocks[0]));
    ASSERT_TRUE(session.Queue(&blocks[1]));
    ASSERT_TRUE(session.Launch());
    Device().Vanish();
    EXPECT_TRUE(session.DeviceLost());
    EXPECT_TRUE(session.BlockBack());
    EXPECT_TRUE(session.StopRequested());
    EXPECT_EQ(session.State(), StreamState::Stopping);
    EXPECT_FALSE(session.Queue(&blocks[0]));
    EXPECT_TRUE(session.Abort());
    EXPECT_FALSE(playing);
    EXPECT_FALSE(session.Abort());
    queue.RunPending();

    // Nothing queued: the flag is set, the device is not restarted, and the
    // owner closes it.
    session.Opened(backend.Open(dir, "", f, listener, status));
    EXPECT_FALSE(session.Launch());
    EXPECT_TRUE(playing);
    EXPECT_FALSE(Device().Running());
    session.Close();
    session.Closed();
    EXPECT_FALSE(playing);
    queue.RunPending();

    // A device given up before it started leaves the playing flag alone:
    // another user may hold it.
    playing = true;
    session.Opened(backend.Open(dir, "", f, listener, status));
    EXPECT_TRUE(session.Abort());
    EXPECT_TRUE(playing);
    playing = false;
    queue.RunPending();
  }
}

}  // namespace
}  // namespace nv
