// The one playback engine and its sources: the detector plays through
// PlaybackEngine itself (the simulated device receives the detector's
// blocks, the cursor follows k x BufferSize of sound per block), the
// engine keeps the source contract (Begin, blocks in order from their sound
// offsets, End once the device has closed), and the stream session's life
// cycle shared by playback and recording.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/DetectorSource.h"
#include "audio/PlaybackEngine.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/StreamSession.h"
#include "audio/TaskQueue.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

struct FakeView : PlaybackView {
  std::vector<std::string> status;
  std::vector<int64_t> cursor;
  int beeps = 0;
  int closed = 0;
  void ShowPlaybackStatus(const std::string& t) override { status.push_back(t); }
  void SetPlaybackCursor(int64_t f) override { cursor.push_back(f); }
  void Beep() override { ++beeps; }
  void PlaybackClosed() override { ++closed; }
};

std::vector<int16_t> Tone(size_t n, double step) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(8000 * std::sin(step * static_cast<double>(i)));
  return s;
}

// A source that makes block n of constant bytes n and writes down how the
// engine used it.
struct CountingSource : PlaybackSource {
  int64_t perBlock = 0;
  uint32_t blockBytes = 0;
  std::vector<int64_t> offsets;
  int begun = 0, ended = 0;
  SourceStart Begin(int64_t, int64_t, uint32_t bytes) override {
    ++begun;
    blockBytes = bytes;
    return SourceStart::Started;
  }
  double Speed() const override { return 0.5; }
  int64_t SoundBytesPerBlock() const override { return perBlock; }
  int64_t Fill(int64_t offset, uint8_t* out) override {
    offsets.push_back(offset);
    std::fill(out, out + blockBytes, static_cast<uint8_t>(offsets.size()));
    return blockBytes;
  }
  void End() override { ++ended; }
};

class Sources : public ::testing::Test {
 protected:
  test::ScopedSink sink;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  FakeView view;
  CNorvaneDoc doc;

  SimulatedAudioStream& Device() { return *backend.last; }
  void PlayToEnd(const PlaybackEngine& engine) {
    for (int guard = 0; guard < 100000 && engine.Active(); ++guard) {
      queue.RunPending();
      if (backend.last && !Device().Closed()) Device().Complete(1);
      queue.RunPending();
    }
  }
};

TEST_F(Sources, TheDetectorPlaysThroughThePlaybackEngine) {
  // 44 100 Hz, time expansion 10, speed factor 10: each block of 5504 bytes
  // (2752 frames) comes from 27 520 frames of sound.
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(441000, 0.7)));
  doc.Info().SetTimeExpansion(10000);
  FilterDescription f;
  f.order = 4;
  f.lowPassHz = 5000;
  ASSERT_TRUE(DesignFilter(f, 220500));
  DetectorSource detector(doc);
  detector.Configure(f, 10, 40000);
  PlaybackEngine engine(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view, detector);
  engine.SetBlocksInUse(4);
  engine.Play({});
  ASSERT_TRUE(engine.Active());
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 44100u);  // no play speed
  EXPECT_EQ(Device().Queued(), 4);
  EXPECT_EQ(detector.Stream().OscillatorHz(), 4000);
  // The first block sits in the engine's own transfer buffer.
  EXPECT_EQ(engine.Buffers().Header(0).bufferLength, 5504u);
  PlayToEnd(engine);

  // The device heard the detector's blocks, one after the other.
  DetectorSoundMapping map;
  ASSERT_TRUE(map.Map(doc));
  DetectorStream s;
  ASSERT_EQ(s.Start(MakeDetectorRequest(doc, map.Samples(), 0, 441000, 10, 40000), f), DetectorStartResult::Started);
  std::vector<uint8_t> expected, block(s.BlockBytes());
  std::vector<uint32_t> lengths;
  while (uint32_t got = s.FillBlock(block.data())) {
    expected.insert(expected.end(), block.begin(), block.begin() + got);
    lengths.push_back(got);
  }
  EXPECT_EQ(Device().Heard(), expected);
  EXPECT_EQ(Device().HeardLengths(), lengths);

  // The engine's own texts and cursor: ten blocks of sound behind each block.
  EXPECT_EQ(view.status.front(), "Playing 0.00 - 1.00 ");
  ASSERT_GE(view.cursor.size(), 4u);
  EXPECT_EQ(view.cursor[0], 0);
  EXPECT_EQ(view.cursor[1], 27520);
  EXPECT_EQ(view.cursor[2], 2 * 27520);
  EXPECT_EQ(view.status[1], "Playing 0.00 - 1.00  current: 0.06");
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.cursor.back(), -1);
  EXPECT_EQ(view.closed, 1);
  EXPECT_FALSE(playing);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(Sources, TheEngineKeepsTheSourceContract) {
  // 8-bit mono at 11 025 Hz: BufferSize 640. The source stands for three
  // blocks' worth of sound per block and plays at half the rate.
  test::FillDocument(doc, 1, 8, 11025, std::vector<uint8_t>(11025, 128));
  CountingSource source;
  source.perBlock = 3 * 640;
  PlaybackEngine engine(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view, source);
  PlaybackRequest r;
  r.cursor = 100;
  engine.Play(r);
  ASSERT_TRUE(engine.Active());
  EXPECT_EQ(source.begun, 1);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 5512u);  // the integer part of 11 025 x 0.5
  PlayToEnd(engine);
  // (11 025 - 100) bytes of sound at 1 920 a block: six blocks, each asked
  // once, in order, from its own sound offset; none past the end.
  ASSERT_EQ(source.offsets.size(), 6u);
  for (size_t n = 0; n < source.offsets.size(); ++n) EXPECT_EQ(source.offsets[n], 100 + static_cast<int64_t>(n) * 1920);
  EXPECT_EQ(Device().HeardLengths(), std::vector<uint32_t>(6, 640u));
  EXPECT_EQ(Device().Heard()[5 * 640], 6);
  EXPECT_EQ(view.cursor[1], 100 + 1920);
  EXPECT_EQ(view.cursor[view.cursor.size() - 2], 11025);  // clamped to the range's end
  // Ended once, after the device closed.
  EXPECT_EQ(source.ended, 1);
  EXPECT_EQ(view.closed, 1);

  // A playback that is aborted, or whose device never opens, ends its source too.
  engine.Play(r);
  engine.Abort();
  EXPECT_EQ(source.ended, 2);
  backend.unavailable = true;
  engine.Play(r);
  EXPECT_EQ(source.begun, 3);
  EXPECT_EQ(source.ended, 3);
  EXPECT_EQ(sink.last(), "Failed to open waveform output device.");
  EXPECT_FALSE(playing);
}

TEST_F(Sources, OneStreamLifeCycleForPlaybackAndRecording) {
  for (const StreamDirection dir : {StreamDirection::Output, StreamDirection::Input}) {
    SCOPED_TRACE(dir == StreamDirection::Output ? "output" : "input");
    struct Listener : AudioStreamListener {
      void OnBlockDone(WaveHeader*) override {}
      void OnStreamClosed() override {}
    } listener;
    StreamSession session([this] { return playing; }, [this](bool p) { playing = p; });
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
