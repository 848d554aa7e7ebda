// Recording through the simulated input device: whole blocks at their
// places, appending, partial blocks at a stop, the start questions by input
// kind, failures, and the size, sample-count, disk and device limits.
#include "audio/Recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "TestSupport.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"

namespace nv {
namespace {

struct FakeRecorderView : RecorderView {
  std::vector<std::string> status;
  std::vector<int64_t> blocks;
  int closed = 0;
  void ShowRecordStatus(const std::string& t) override { status.push_back(t); }
  void BlockRecorded(int64_t n, const uint8_t*, uint32_t) override { blocks.push_back(n); }
  void RecordingClosed() override { ++closed; }
};

// Bytes that differ from block to block: byte i is (i * 7 + seed) mod 251.
std::vector<uint8_t> Pattern(size_t n, int seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 7 + static_cast<size_t>(seed)) % 251);
  return b;
}

class Recording : public ::testing::Test {
 protected:
  test::ScopedSink sink;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  FakeRecorderView view;
  DocumentContext documents;
  CNorvaneDoc doc{documents};
  Recorder recorder{doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view};

  void SetUp() override {
    test::FillDocument(doc, 1, 16, 44100, {});
    recorder.SetFreeSpaceProbe([](int) { return int64_t{1} << 40; });
  }
  SimulatedAudioStream& Stream() { return *backend.last; }
  uint32_t Block() const { return doc.BufferSize(); }
  // Delivers `bytes` and runs the notifications.
  void Deliver(const std::vector<uint8_t>& bytes) {
    Stream().Deliver(bytes);
    queue.RunPending();
  }
  void StopAndSettle() {
    recorder.Stop();
    for (int i = 0; i < 10; ++i) queue.RunPending();
  }
};

TEST_F(Recording, EmptyDocumentGetsTheFullBlocksAndThePartialOneIsDiscarded) {
  ASSERT_TRUE(recorder.Start());
  EXPECT_TRUE(playing);
  EXPECT_TRUE(doc.IsModified());
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 44100u);
  EXPECT_EQ(backend.asked[0].wBitsPerSample, 16);
  EXPECT_EQ(Stream().Queued(), 16);
  EXPECT_TRUE(Stream().Running());
  // 20 blocks and a half: more than the 16 queued, so blocks are requeued.
  const std::vector<uint8_t> sound = Pattern(Block() * 20 + Block() / 2, 3);
  for (size_t at = 0; at < sound.size(); at += 1000)
    Deliver(std::vector<uint8_t>(sound.begin() + static_cast<std::ptrdiff_t>(at),
                                 sound.begin() + static_cast<std::ptrdiff_t>(std::min(sound.size(), at + 1000))));
  char expected[64];
  std::snprintf(expected, sizeof expected, " %5d bytes recorded.", static_cast<int>(Block() * 20));
  EXPECT_EQ(view.status.back(), expected);
  EXPECT_EQ(doc.LastBufferIndex(), 19);
  StopAndSettle();

  EXPECT_FALSE(recorder.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(Block() * 20 / 2));
  EXPECT_EQ(test::WorkBytes(doc), std::vector<uint8_t>(sound.begin(), sound.begin() + Block() * 20));
  EXPECT_EQ(view.blocks.size(), 20u);
  EXPECT_EQ(view.blocks.front(), 0);
  EXPECT_EQ(view.blocks.back(), 19);
  EXPECT_TRUE(Stream().Closed());
  EXPECT_TRUE(sink.texts().empty());
}

TEST_F(Recording, AppendingKeepsTheOldSoundInFront) {
  const std::vector<uint8_t> old = Pattern(3001 * 2, 11);  // 3001 frames, not a whole block
  test::FillDocument(doc, 1, 16, 44100, old);
  ASSERT_TRUE(recorder.Start());
  EXPECT_EQ(recorder.StartOffset(), static_cast<int64_t>(old.size()));
  const std::vector<uint8_t> fresh = Pattern(Block() * 3, 5);
  Deliver(fresh);
  StopAndSettle();
  std::vector<uint8_t> both = old;
  both.insert(both.end(), fresh.begin(), fresh.end());
  EXPECT_EQ(test::WorkBytes(doc), both);
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(both.size() / 2));
}

TEST_F(Recording, FullBlocksOnTheirWayWhenStoppingAreKept) {
  ASSERT_TRUE(recorder.Start());
  Stream().Deliver(Pattern(Block() * 2 + 10, 1));  // two full blocks not yet handed over
  recorder.Stop();
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(Block()));  // 2 blocks of 16-bit mono
  EXPECT_EQ(view.closed, 1);
  EXPECT_FALSE(playing);
}

TEST_F(Recording, NothingStartsWhilePlayingAndAMissingDeviceIsSaid) {
  playing = true;
  EXPECT_FALSE(recorder.Start());
  EXPECT_EQ(backend.opened, 0);
  playing = false;
  backend.unavailable = true;
  EXPECT_FALSE(recorder.Start());
  EXPECT_EQ(sink.texts(), std::vector<std::string>{"Failed to open waveform input device."});
  EXPECT_FALSE(playing);
  EXPECT_FALSE(recorder.Active());
}

TEST_F(Recording, AStartThatCannotOpenTheDeviceChangesNothing) {
  // One second of sound, saved: after "Failed to open waveform input
  // device." it is still all there, unmodified, and still plays.
  const std::vector<uint8_t> old = Pattern(88200, 4);
  test::FillDocument(doc, 1, 16, 44100, old);
  doc.SetModifiedFlag(false);
  const int64_t lastBlock = doc.LastBufferIndex();
  ASSERT_GE(lastBlock, 0);
  const auto accepts = backend.accepts;
  for (const bool unavailable : {true, false}) {
    backend.unavailable = unavailable;
    backend.accepts = [](const WaveFormatEx&) { return false; };  // no format either
    EXPECT_FALSE(recorder.Start());
    EXPECT_EQ(sink.last(), "Failed to open waveform input device.");
    EXPECT_EQ(doc.LastBufferIndex(), lastBlock);
    EXPECT_EQ(doc.FrameCount(), 44100);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(test::WorkBytes(doc), old);
    EXPECT_TRUE(view.status.empty());
    EXPECT_FALSE(playing);
  }
  // The device is back: the recording appends to the whole second.
  backend.unavailable = false;
  backend.accepts = accepts;
  ASSERT_TRUE(recorder.Start());
  EXPECT_EQ(recorder.StartOffset(), 88200);
  Deliver(Pattern(Block(), 9));
  StopAndSettle();
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(44100 + Block() / 2));
}

TEST_F(Recording, SecondsDeliveredAtOnceAreRecordedWholeInOrderAndOverrunsAreSaid) {
  ASSERT_TRUE(recorder.Start());
  // Two and a half seconds at once, then more: far more than the 16 blocks
  // queued. Every block is written in its place, none lost or repeated.
  const std::vector<uint8_t> sound = Pattern(Block() * 45, 2);
  Deliver(std::vector<uint8_t>(sound.begin(), sound.begin() + Block() * 40 + 17));
  for (int i = 0; i < 5; ++i) queue.RunPending();
  Deliver(std::vector<uint8_t>(sound.begin() + Block() * 40 + 17, sound.end()));
  for (int i = 0; i < 5; ++i) queue.RunPending();
  EXPECT_EQ(doc.LastBufferIndex(), 44);
  EXPECT_EQ(view.blocks.size(), 45u);
  for (size_t i = 0; i < view.blocks.size(); ++i) EXPECT_EQ(view.blocks[i], static_cast<int64_t>(i));
  EXPECT_EQ(recorder.Overruns(), 0);
  EXPECT_TRUE(sink.texts().empty());

  // The device loses 0.1 s twice: the status says so at once, the message
  // when the recording ends.
  Stream().Overrun(8820);
  Stream().Overrun(8820);
  queue.RunPending();
  EXPECT_EQ(recorder.Overruns(), 2);
  EXPECT_EQ(recorder.OverrunBytes(), 17640);
  EXPECT_NE(view.status.back().find("Overruns: 2 (0.200 s lost)."), std::string::npos) << view.status.back();
  EXPECT_TRUE(sink.texts().empty());
  StopAndSettle();
  EXPECT_EQ(test::WorkBytes(doc), sound);
  EXPECT_EQ(sink.texts(), std::vector<std::string>{
                              "Sound was lost while recording: the sound input overran 2 times, 0.200 s of sound "
                              "in all. The recording has gaps there."});
}

TEST_F(Recording, StartQuestionsByInputKind) {
  bool answer = false;
  std::vector<std::string> asked;
  auto ask = [&](const std::string& q) {
    asked.push_back(q);
    return answer;
  };
  // An empty document asks nothing.
  EXPECT_TRUE(PrepareRecording(doc, InputKind::ComputerBoards, ask));
  EXPECT_TRUE(asked.empty());

  test::FillDocument(doc, 1, 16, 44100, Pattern(2000, 2));
  EXPECT_FALSE(PrepareRecording(doc, InputKind::WaveInput, ask));
  EXPECT_EQ(asked.back(), "Sound file not empty! Append to existing sound file?");
  EXPECT_EQ(doc.FrameCount(), 1000);
  EXPECT_FALSE(PrepareRecording(doc, InputKind::NationalInstruments, ask));
  EXPECT_EQ(asked.back(), "Sound file not empty! Clear all data in existing sound file?");
  EXPECT_EQ(doc.FrameCount(), 1000);

  answer = true;
  EXPECT_TRUE(PrepareRecording(doc, InputKind::WaveInput, ask));
  EXPECT_EQ(doc.FrameCount(), 1000);
  EXPECT_TRUE(PrepareRecording(doc, InputKind::OtherCard, ask));
  EXPECT_EQ(asked.back(), "Sound file not empty! Clear all data in existing sound file?");
  EXPECT_EQ(doc.FrameCount(), 0);
  EXPECT_EQ(doc.WorkFile().Size(), 0);
  EXPECT_EQ(doc.LastBufferIndex(), -1);
}

TEST_F(Recording, AVanishingDeviceEndsTheRecordingKeepingWhatWasRecorded) {
  ASSERT_TRUE(recorder.Start());
  const std::vector<uint8_t> sound = Pattern(Block() * 2 + 100, 9);
  Deliver(sound);
  Stream().Vanish();
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_FALSE(recorder.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(recorder.EndReason(), RecordEnd::DeviceLost);
  ASSERT_EQ(sink.texts().size(), 1u);
  EXPECT_NE(sink.texts()[0].find("input device"), std::string::npos);
  EXPECT_EQ(test::WorkBytes(doc), std::vector<uint8_t>(sound.begin(), sound.begin() + Block() * 2));
}

TEST_F(Recording, WritesThatTheDeviceRefusesAreSaid) {
  ASSERT_TRUE(recorder.Start());
  Stream().FailWrites(1);
  Deliver(Pattern(Block(), 4));  // the block comes back and its requeue fails
  EXPECT_EQ(sink.texts(), std::vector<std::string>{"Failed to write block to device"});
  EXPECT_EQ(recorder.BlocksQueued(), 15);
  Deliver(Pattern(Block() * 2, 6));  // recording goes on with the others
  StopAndSettle();
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(Block() * 3 / 2));
}

TEST_F(Recording, StopsBeforeTheLargestSoundFileKeepingEverything) {
  recorder.SetSizeLimit(int64_t{Block()} * 3);  // stands in for 4 GiB
  ASSERT_TRUE(recorder.Start());
  const std::vector<uint8_t> sound = Pattern(Block() * 5, 8);
  Deliver(sound);
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_EQ(recorder.EndReason(), RecordEnd::SizeLimit);
  ASSERT_EQ(sink.texts().size(), 1u);
  EXPECT_NE(sink.texts()[0].find("4 GB"), std::string::npos);
  EXPECT_FALSE(recorder.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(test::WorkBytes(doc), std::vector<uint8_t>(sound.begin(), sound.begin() + Block() * 3));
  EXPECT_EQ(Recorder::kMaxSoundBytes + 8 + (1 << 20), 0xFFFFFFFFLL);
}

TEST_F(Recording, StopsBeforeTheWorkFilesDiskIsFull) {
  int64_t freeBytes = int64_t{1} << 30;
  recorder.SetFreeSpaceProbe([&](int fd) {
    EXPECT_EQ(fd, doc.WorkFile().Fd());
    return freeBytes;
  });
  ASSERT_TRUE(recorder.Start());
  Deliver(Pattern(Block() * 2, 1));
  // Room for one more block but not for saving a copy of the sound.
  freeBytes = Recorder::kDiskMarginBytes + Block() * 3;
  Deliver(Pattern(Block() * 2, 2));
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_EQ(recorder.EndReason(), RecordEnd::DiskFull);
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(Block()));  // the first two blocks
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.closed, 1);
}

// The work file's disk fills up for real (a write fails, as beyond a file
// size limit) while the free-space probe still promises room: the
// recording stops with its message and keeps every block written before.
TEST_F(Recording, AWriteTheDiskRefusesEndsTheRecordingKeepingEveryBlockBefore) {
  ASSERT_TRUE(recorder.Start());
  const std::vector<uint8_t> first = Pattern(Block() * 3, 8);
  Deliver(first);
  struct rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  struct sigaction ignore{}, oldAction{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &oldAction);
  struct rlimit full = old;
  full.rlim_cur = static_cast<rlim_t>(doc.WorkFile().FileOffset(0) + Block() * 3);
  setrlimit(RLIMIT_FSIZE, &full);
  Deliver(Pattern(Block() * 2, 9));
  for (int i = 0; i < 10; ++i) queue.RunPending();
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &oldAction, nullptr);
  EXPECT_EQ(recorder.EndReason(), RecordEnd::WriteFailed);
  EXPECT_FALSE(recorder.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(sink.texts().size(), 1u);
  EXPECT_EQ(test::WorkBytes(doc), first);
}

TEST_F(Recording, StopsBeforeTheLargestSampleCount) {
  // 8-bit mono: a frame is a byte, so 2^31 - 1 frames come before 4 GiB.
  test::FillDocument(doc, 1, 8, 11025, {});
  const int64_t start = kMaxFrames - int64_t{doc.BufferSize()} * 2 - 7;
  ASSERT_TRUE(doc.WritableWorkFile().Truncate(start));  // sparse
  doc.SetLength(start);
  ASSERT_TRUE(recorder.Start());
  Deliver(Pattern(doc.BufferSize() * 4, 3));
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_EQ(recorder.EndReason(), RecordEnd::FrameLimit);
  EXPECT_EQ(doc.FrameCount(), start + doc.BufferSize() * 2);
  EXPECT_EQ(doc.WorkFile().Size(), start + doc.BufferSize() * 2);
  doc.WritableWorkFile().Truncate(0);
}

TEST_F(Recording, AbortKeepsWhatWasWritten) {
  ASSERT_TRUE(recorder.Start());
  Deliver(Pattern(Block() * 3 + 5, 7));
  recorder.Abort();
  EXPECT_FALSE(recorder.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(doc.FrameCount(), static_cast<int32_t>(Block() * 3 / 2));
  queue.RunPending();  // nothing arrives for a stream let go of
  EXPECT_EQ(view.closed, 0);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST_F(Recording, ABlockLimitRecordsExactlyThatManyBlocks) {
  recorder.SetBlockLimit(5);
  ASSERT_TRUE(recorder.Start());
  const std::vector<uint8_t> sound = Pattern(Block() * 9, 2);
  Stream().Deliver(sound);  // all nine arrive before the recorder sees any
  for (int i = 0; i < 10; ++i) queue.RunPending();
  EXPECT_FALSE(recorder.Active());
  EXPECT_EQ(test::WorkBytes(doc), std::vector<uint8_t>(sound.begin(), sound.begin() + Block() * 5));
  EXPECT_TRUE(sink.texts().empty());
}

}  // namespace
}  // namespace nv
