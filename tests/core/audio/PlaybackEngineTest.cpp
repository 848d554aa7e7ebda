// Playback through the simulated device: range choice and labels, device
// rates and the resampling fallback, blocks and their lengths, status texts,
// stop, failures, and the arrow keys; the engine's sources: the detector
// played through the engine itself, and the source contract.
#include "audio/PlaybackEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "audio/DetectorSource.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/StoredRateSource.h"
#include "audio/TaskQueue.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

const char kDeviceLostText[] = "Playback stopped: the sound output device failed or was removed.";

struct FakePlaybackView : PlaybackView {
  std::vector<std::string> status;
  std::vector<int64_t> cursor;
  int beeps = 0;
  int closed = 0;
  void ShowPlaybackStatus(const std::string& t) override { status.push_back(t); }
  void SetPlaybackCursor(int64_t f) override { cursor.push_back(f); }
  void Beep() override { ++beeps; }
  void PlaybackClosed() override { ++closed; }
};

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>((i * 7) % 60000 - 30000);
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

class Playback : public ::testing::Test {
 protected:
  test::ScopedSink sink;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  FakePlaybackView view;
  DocumentContext documents;
  CNorvaneDoc doc{documents};
  PlaybackEngine engine{doc, backend, playing, view};

  void Fill(int channels, int bits, int rate, const std::vector<uint8_t>& bytes) {
    test::FillDocument(doc, channels, bits, rate, bytes);
  }
  SimulatedAudioStream& Stream() { return *backend.last; }
  // Lets the device play everything, returning blocks until the end.
  void PlayToEnd() { PlayToEnd(engine); }
  void PlayToEnd(const PlaybackEngine& e) {
    for (int guard = 0; guard < 100000 && e.Active(); ++guard) {
      queue.RunPending();
      if (backend.last && !Stream().Closed()) Stream().Complete(1);
      queue.RunPending();
    }
  }
};

TEST_F(Playback, SpeedsOpenTheDeviceAtRateTimesSpeed) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  doc.SetPlaySpeed(0.25);
  engine.Play({});
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 11025u);
  EXPECT_EQ(backend.asked[0].wBitsPerSample, 16);
  EXPECT_EQ(backend.asked[0].nAvgBytesPerSec, 22050u);
  EXPECT_FALSE(engine.Resampling());
  PlayToEnd();
  EXPECT_EQ(Stream().Heard(), test::WorkBytes(doc));  // the bytes as stored

  doc.SetPlaySpeed(4.0);
  engine.Play({});
  ASSERT_EQ(backend.asked.size(), 2u);
  EXPECT_EQ(backend.asked[1].nSamplesPerSec, 176400u);
  EXPECT_FALSE(engine.Resampling());
  PlayToEnd();
  EXPECT_TRUE(sink.texts().empty());
}

TEST_F(Playback, RefusedRateFallsBackToResamplingAndAMissingDeviceToTheMessage) {
  const std::vector<int16_t> s = Ramp(44100);
  Fill(1, 16, 44100, test::Samples16(s));
  doc.SetPlaySpeed(4.0);
  backend.accepts = [](const WaveFormatEx& f) { return f.nSamplesPerSec >= 8000 && f.nSamplesPerSec <= 48000; };
  engine.Play({});
  ASSERT_EQ(backend.asked.size(), 2u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 176400u);
  EXPECT_EQ(engine.DeviceFormat().nSamplesPerSec, 48000u);
  EXPECT_TRUE(engine.Resampling());
  PlayToEnd();
  EXPECT_TRUE(sink.texts().empty());
  EXPECT_EQ(view.status.back(), "End of play");
  // One second of sound at speed 4 is a quarter second at 48 kHz.
  EXPECT_NEAR(static_cast<double>(Stream().Heard().size()) / 2, 48000 / 4.0, 100);
  EXPECT_FALSE(playing);

  // Speed 1/32 asks for 1378 Hz; a device that takes nothing under 8 kHz plays it at 8 kHz.
  doc.SetPlaySpeed(1.0 / 32);
  engine.Play({});
  EXPECT_EQ(backend.asked[2].nSamplesPerSec, 1378u);
  EXPECT_EQ(engine.DeviceFormat().nSamplesPerSec, 8000u);
  // Each block is 2 s heard: four blocks keep 8 s queued, not 16 blocks' 32 s.
  EXPECT_EQ(Stream().Queued(), 4);
  PlayToEnd();
  EXPECT_NEAR(static_cast<double>(Stream().Heard().size()) / 2, 44100 * 8000.0 / 1378, 100);

  backend.unavailable = true;
  engine.Play({});
  EXPECT_EQ(sink.texts(), std::vector<std::string>{"Failed to open waveform output device."});
  EXPECT_FALSE(playing);
  EXPECT_EQ(engine.State(), PlaybackState::Idle);

  // A device that takes no rate at all is a device that cannot be opened.
  backend.unavailable = false;
  backend.accepts = [](const WaveFormatEx&) { return false; };
  engine.Play({});
  EXPECT_EQ(sink.texts().size(), 2u);
  EXPECT_EQ(sink.last(), "Failed to open waveform output device.");
  EXPECT_FALSE(playing);
}

TEST_F(Playback, ResampledSoundIsTheDocumentsToneAtTheChosenSpeed) {
  // 4410 Hz in a 44 100 Hz document at speed 1/32 is 137.8 Hz heard.
  std::vector<int16_t> s(44100);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(std::lrint(12000 * std::sin(2 * M_PI * 4410 * i / 44100.0)));
  Fill(1, 16, 44100, test::Samples16(s));
  doc.SetPlaySpeed(1.0 / 32);
  backend.accepts = [](const WaveFormatEx& f) { return f.nSamplesPerSec == 48000; };
  engine.Play({});
  ASSERT_TRUE(engine.Resampling());
  PlayToEnd();
  const std::vector<uint8_t>& heard = Stream().Heard();
  const size_t n = heard.size() / 2;
  ASSERT_GT(n, 100000u);
  // Count rising zero crossings in the middle of the output.
  int crossings = 0;
  int16_t prev = 0;
  double peak = 0;
  const size_t from = n / 4, to = 3 * n / 4;
  for (size_t i = from; i < to; ++i) {
    const int16_t v = static_cast<int16_t>(heard[2 * i] | (heard[2 * i + 1] << 8));
    if (i > from && prev < 0 && v >= 0) ++crossings;
    peak = std::max(peak, std::fabs(static_cast<double>(v)));
    prev = v;
  }
  const double seconds = static_cast<double>(to - from) / 48000;
  EXPECT_NEAR(crossings / seconds, 4410.0 / 32 * 1378.125 / 1378, 1.0);
  EXPECT_NEAR(peak, 12000, 300);  // no gain
}

TEST_F(Playback, BlocksOfBufferSizeAndTheStatusTexts) {
  // 16-bit stereo at 44 100 Hz: blocks of 11 008 bytes.
  Fill(2, 16, 44100, test::Samples16(Ramp(2 * 44100)));
  doc.Info().SetTimeExpansion(10000);  // tenfold: times shown are a tenth
  engine.Play({});
  EXPECT_EQ(doc.BufferSize(), 11008u);
  EXPECT_EQ(Stream().Queued(), 16);
  EXPECT_TRUE(playing);
  EXPECT_EQ(view.status.front(), "Playing 0.00 - 0.10 ");
  EXPECT_EQ(view.cursor.front(), 0);
  std::vector<std::string> calls(Stream().Calls().begin(), Stream().Calls().end());
  ASSERT_GE(calls.size(), 18u);
  EXPECT_EQ(calls.front(), "pause");
  EXPECT_EQ(calls[16], "write");
  EXPECT_EQ(calls[17], "restart");
  queue.RunPending();
  Stream().Complete(1);
  queue.RunPending();
  // (0 + 1 x 11008) / 4 = 2752 frames = 6.24 ms of real time.
  EXPECT_EQ(view.cursor.back(), 2752);
  EXPECT_EQ(view.status.back(), "Playing 0.00 - 0.10  current: 0.01");
  PlayToEnd();
  for (size_t i = 0; i + 1 < Stream().HeardLengths().size(); ++i) EXPECT_EQ(Stream().HeardLengths()[i], 11008u);
  // 176 400 bytes = 16 blocks and a short one of 176 400 - 16 x 11008 = 272 bytes.
  EXPECT_EQ(Stream().HeardLengths().size(), 17u);
  EXPECT_EQ(Stream().HeardLengths().back(), 272u);
  EXPECT_EQ(Stream().Heard(), test::WorkBytes(doc));
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.cursor.back(), -1);
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.closed, 1);
  EXPECT_TRUE(Stream().Closed());
}

TEST_F(Playback, RangeChoiceLabelsAndTheWholeLastBlock) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));  // BufferSize 5504 = 2752 frames
  // A selection ending inside the second block plays both blocks whole.
  engine.Play({100, 2752 + 110, -1, 0});
  EXPECT_EQ(view.status.front(), "Playing selection 0.00 - 0.06 ");
  EXPECT_EQ(Stream().Queued(), 2);
  PlayToEnd();
  const std::vector<uint8_t> all = test::WorkBytes(doc);
  EXPECT_EQ(Stream().Heard(), std::vector<uint8_t>(all.begin() + 200, all.begin() + 200 + 2 * 5504));
  EXPECT_EQ(view.status.back(), "End of play");
  // A selection ending exactly at a block's end plays that block only.
  engine.Play({100, 2752 + 100, -1, 0});
  EXPECT_EQ(Stream().Queued(), 1);
  PlayToEnd();

  // A cursor plays from the cursor to the end.
  view.status.clear();
  engine.Play({-1, -1, 40000, 0});
  EXPECT_EQ(view.status.front(), "Playing from cursor 0.91 - 1.00 ");
  PlayToEnd();
  EXPECT_EQ(Stream().Heard(), std::vector<uint8_t>(all.begin() + 80000, all.end()));

  // Neither: from the first visible sample, not from the beginning.
  view.status.clear();
  engine.Play({-1, -1, -1, 22050});
  EXPECT_EQ(view.status.front(), "Playing 0.50 - 1.00 ");
  PlayToEnd();
  EXPECT_EQ(Stream().Heard(), std::vector<uint8_t>(all.begin() + 44100, all.end()));

  // Empty and inverted ranges beep and open nothing.
  const int opened = backend.opened;
  engine.Play({44100, 44200, -1, 0});
  engine.Play({300, 200, -1, 0});
  engine.Play({-1, -1, -1, 44100});
  EXPECT_EQ(view.beeps, 3);
  EXPECT_EQ(backend.opened, opened);
  EXPECT_TRUE(sink.texts().empty());
}

TEST_F(Playback, OnePlaybackInTheApplicationAndNoSound) {
  DocumentContext documents;
  Fill(1, 8, 11025, std::vector<uint8_t>(11025, 128));
  CNorvaneDoc other(documents);
  test::FillDocument(other, 1, 8, 11025, std::vector<uint8_t>(5000, 100));
  FakePlaybackView otherView;
  PlaybackEngine second(other, backend, playing, otherView);
  engine.Play({});
  ASSERT_TRUE(playing);
  second.Play({});
  EXPECT_EQ(backend.opened, 1);
  EXPECT_TRUE(otherView.status.empty());
  EXPECT_EQ(otherView.beeps, 0);
  PlayToEnd();
  second.Play({});
  EXPECT_EQ(backend.opened, 2);
  EXPECT_TRUE(second.Active());
  second.Stop();
  queue.RunPending();
  EXPECT_FALSE(playing);

  CNorvaneDoc empty(documents);
  PlaybackEngine none(empty, backend, playing, otherView);
  none.Play({});
  EXPECT_EQ(sink.texts(), std::vector<std::string>{"No sound to play."});
  EXPECT_EQ(backend.opened, 2);
}

TEST_F(Playback, ShortAndEmptyReads) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  // The third block reads short, the fifth reads nothing.
  engine.SetBlockReader([&](int64_t offset, uint8_t* out, int64_t bytes) -> int64_t {
    const int64_t block = offset / 5504;
    if (block >= 4) return 0;
    const int64_t n = block == 2 ? 1000 : bytes;
    std::memset(out, 0x11, static_cast<size_t>(n));
    return n;
  });
  engine.Play({});
  EXPECT_EQ(Stream().Queued(), 4);
  // The short block is queued with its length; the rest of its buffer is zero.
  EXPECT_EQ(engine.Buffers().Header(2).bufferLength, 1000u);
  EXPECT_EQ(engine.Buffers().Header(2).data[1000], 0);
  EXPECT_EQ(engine.Buffers().Header(2).data[999], 0x11);
  PlayToEnd();
  EXPECT_EQ(Stream().HeardLengths(), (std::vector<uint32_t>{5504, 5504, 1000, 5504}));
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_FALSE(playing);

  // A reader that fails at once: nothing is queued, the device is closed again.
  engine.SetBlockReader([](int64_t, uint8_t*, int64_t) -> int64_t { return -1; });
  engine.Play({});
  EXPECT_EQ(Stream().Queued(), 0);
  queue.RunPending();
  EXPECT_TRUE(Stream().Closed() || !engine.Active());
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.cursor.back(), -1);
}

TEST_F(Playback, StopEndsAtTheFirstReturnedBlock) {
  Fill(1, 16, 44100, test::Samples16(Ramp(5 * 44100)));
  engine.Play({});
  queue.RunPending();
  Stream().Complete(2);
  queue.RunPending();
  EXPECT_EQ(engine.BlocksQueued(), 16);
  engine.Stop();
  EXPECT_EQ(Stream().Queued(), 0);
  queue.RunPending();
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.cursor.back(), -1);
  EXPECT_FALSE(playing);
  EXPECT_EQ(engine.State(), PlaybackState::Idle);
  EXPECT_EQ(view.closed, 1);
  // Stopping again, or with nothing playing, does nothing.
  engine.Stop();
  queue.RunPending();
  EXPECT_EQ(view.closed, 1);
}

TEST_F(Playback, WriteFailuresAreReportedAndNeverHang) {
  Fill(1, 16, 44100, test::Samples16(Ramp(3 * 2752)));  // three blocks
  const std::vector<uint8_t> all = test::WorkBytes(doc);
  // The write of the block at `failAt` fails.
  int64_t failAt = 0;
  engine.SetBlockReader([&](int64_t offset, uint8_t* out, int64_t bytes) -> int64_t {
    if (offset == failAt) backend.last->FailWrites(1);
    const int64_t n = std::min<int64_t>(bytes, static_cast<int64_t>(all.size()) - offset);
    if (n <= 0) return 0;
    std::memcpy(out, all.data() + offset, static_cast<size_t>(n));
    return n;
  });
  for (int64_t block : {0, 1, 2}) {
    SCOPED_TRACE(block);
    sink.sink.texts.clear();
    failAt = block * 5504;
    engine.Play({});
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Failed to write block to device"});
    EXPECT_EQ(Stream().Queued(), 2);
    PlayToEnd();
    // The other blocks played; the playback ended, even when the lost block was the last.
    EXPECT_EQ(Stream().HeardLengths(), (std::vector<uint32_t>{5504, 5504}));
    EXPECT_EQ(view.status.back(), "End of play");
    EXPECT_FALSE(playing);
    EXPECT_FALSE(engine.Active());
  }
}

TEST_F(Playback, VanishingDeviceEndsThePlayback) {
  Fill(2, 16, 44100, test::Samples16(Ramp(10 * 88200)));
  engine.Play({});
  queue.RunPending();
  Stream().Complete(3);
  queue.RunPending();
  Stream().Vanish();
  queue.RunPending();
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.cursor.back(), -1);
  EXPECT_FALSE(playing);
  EXPECT_EQ(engine.State(), PlaybackState::Idle);
  EXPECT_EQ(sink.texts(), std::vector<std::string>{kDeviceLostText});
  // The next playback opens a new device.
  engine.Play({});
  EXPECT_TRUE(playing);
  EXPECT_EQ(backend.opened, 2);
}

TEST_F(Playback, ClosingWhilePlayingStopsFirst) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  {
    FakePlaybackView v;
    PlaybackEngine e(doc, backend, playing, v);
    e.Play({});
    ASSERT_TRUE(playing);
  }
  EXPECT_FALSE(playing);
  queue.RunPending();  // notifications of the closed stream are dropped
  engine.Play({});
  EXPECT_TRUE(playing);
  engine.Abort();
  EXPECT_FALSE(playing);
  EXPECT_FALSE(engine.Active());
}

TEST_F(Playback, ArrowKeysChangeVolumeAndRate) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  EXPECT_EQ(engine.VolumeUp(), KeyOutcome::NotPlaying);
  EXPECT_EQ(engine.RateUp(), KeyOutcome::NotPlaying);
  engine.Play({});
  EXPECT_EQ(engine.VolumeDown(), KeyOutcome::Changed);
  EXPECT_EQ(Stream().Volume(), 0x7FFF7FFFu);
  EXPECT_EQ(engine.VolumeUp(), KeyOutcome::Changed);
  EXPECT_EQ(Stream().Volume(), 0xFFFEFFFEu);
  EXPECT_EQ(engine.VolumeUp(), KeyOutcome::Changed);
  EXPECT_EQ(Stream().Volume(), 0xFFFFFFFFu);
  // The device's own rate control.
  EXPECT_EQ(engine.RateUp(), KeyOutcome::Changed);
  EXPECT_EQ(Stream().Rate(), 0x20000u);
  EXPECT_EQ(engine.RateDown(), KeyOutcome::Changed);
  EXPECT_EQ(engine.RateDown(), KeyOutcome::Changed);
  EXPECT_EQ(Stream().Rate(), 0x8000u);
  EXPECT_FALSE(engine.Resampling());
  Stream().FailControls();
  EXPECT_EQ(engine.VolumeUp(), KeyOutcome::Refused);
  engine.Stop();
  queue.RunPending();

  // Without rate control in the device, the resampler takes over.
  backend.rateControl = false;
  engine.Play({});
  EXPECT_EQ(engine.RateDown(), KeyOutcome::Changed);
  EXPECT_TRUE(engine.Resampling());
  EXPECT_EQ(engine.RateFactor(), 0x8000u);
  EXPECT_EQ(Stream().Format().nSamplesPerSec, 44100u);
  PlayToEnd();
  // 16 blocks went out at the old rate, the rest at half the rate: twice as many frames.
  const size_t direct = 16 * 5504, rest = 88200 - direct;
  EXPECT_NEAR(static_cast<double>(Stream().Heard().size()), direct + 2.0 * rest, 400);
  EXPECT_FALSE(playing);
}

TEST_F(Playback, FewerBlocksInUse) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  engine.SetBlocksInUse(4);
  engine.Play({});
  EXPECT_EQ(Stream().Queued(), 4);
  PlayToEnd();
  EXPECT_EQ(Stream().Heard(), test::WorkBytes(doc));
  EXPECT_EQ(view.status.back(), "End of play");
}

TEST_F(Playback, HeardFrameFollowsTheDevice) {
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  EXPECT_EQ(engine.HeardFrame(), -1);
  engine.Play({-1, -1, 1000, 0});
  EXPECT_EQ(engine.HeardFrame(), 1000);
  Stream().Complete(2);
  // Not delivered yet: the cursor stays within the oldest block queued.
  EXPECT_EQ(engine.HeardFrame(), 1000 + 2752);
  queue.RunPending();
  EXPECT_EQ(engine.HeardFrame(), 1000 + 2 * 2752);
}

TEST_F(Playback, DocumentsMadeOrReadWhilePlayingLeaveItsBlocksAlone) {
  DocumentContext documents;
  // A 16-bit stereo sound plays in blocks of 11 008 bytes. Meanwhile other
  // documents come and go with blocks of 640 and 48 000 bytes (a new one,
  // a file read, a playback of their own started and refused): every block
  // still holds the playing sound's bytes at their full length.
  std::vector<int16_t> lr = Ramp(2 * 2 * 44100);  // 2 s, 32 blocks and a bit
  Fill(2, 16, 44100, test::Samples16(lr));
  ASSERT_EQ(doc.BufferSize(), 11008u);
  // The blocks are read with a plain copy, which the address sanitizer
  // watches (it does not see the kernel write into a buffer).
  const std::vector<uint8_t> work = test::WorkBytes(doc);
  engine.SetBlockReader([&work](int64_t offset, uint8_t* out, int64_t bytes) -> int64_t {
    const int64_t n = std::min<int64_t>(bytes, static_cast<int64_t>(work.size()) - offset);
    if (n <= 0) return 0;
    std::memcpy(out, work.data() + offset, static_cast<size_t>(n));
    return n;
  });
  engine.Play({});
  ASSERT_EQ(Stream().Queued(), 16);
  queue.RunPending();
  Stream().Complete(3);
  queue.RunPending();
  {
    CNorvaneDoc fresh(documents);  // 11 025 Hz 8-bit mono: 640-byte blocks
    EXPECT_EQ(fresh.BufferSize(), 640u);
    Stream().Complete(2);
    queue.RunPending();
    CNorvaneDoc big(documents);
    test::FillDocument(big, 2, 16, 192000, test::Samples16(Ramp(4000)));
    EXPECT_EQ(big.BufferSize(), 48000u);
    FakePlaybackView otherView;
    PlaybackEngine other(big, backend, playing, otherView);
    other.Play({});  // nothing: a playback is running
    EXPECT_FALSE(other.Active());
    Stream().Complete(4);
    queue.RunPending();
  }
  CNorvaneDoc after(documents);
  PlayToEnd();
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(Stream().Heard(), test::WorkBytes(doc));
  const std::vector<uint32_t>& lengths = Stream().HeardLengths();
  ASSERT_EQ(lengths.size(), (lr.size() * 2 + 11007) / 11008);
  for (size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 11008u) << i;
  EXPECT_EQ(engine.Buffers().BlockSize(), 11008u);
  EXPECT_TRUE(sink.texts().empty());
  EXPECT_FALSE(playing);
}

TEST_F(Playback, TheDetectorPlaysThroughThePlaybackEngine) {
  // 44 100 Hz, time expansion 10, speed factor 10: each block of 5504 bytes
  // (2752 frames) comes from 27 520 frames of sound.
  std::vector<int16_t> tone(441000);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<int16_t>(8000 * std::sin(0.7 * static_cast<double>(i)));
  Fill(1, 16, 44100, test::Samples16(tone));
  doc.Info().SetTimeExpansion(10000);
  FilterDescription f;
  f.order = 4;
  f.lowPassHz = 5000;
  ASSERT_TRUE(DesignFilter(f, 220500));
  DetectorSource detector(doc);
  detector.Configure(f, 10, 40000);
  PlaybackEngine through(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view, detector);
  through.SetBlocksInUse(4);
  through.Play({});
  ASSERT_TRUE(through.Active());
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 44100u);  // no play speed
  EXPECT_EQ(Stream().Queued(), 4);
  EXPECT_EQ(detector.Stream().OscillatorHz(), 4000);
  // The first block sits in the engine's own transfer buffer.
  EXPECT_EQ(through.Buffers().Header(0).bufferLength, 5504u);
  PlayToEnd(through);

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
  EXPECT_EQ(Stream().Heard(), expected);
  EXPECT_EQ(Stream().HeardLengths(), lengths);

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

TEST_F(Playback, TheEngineKeepsTheSourceContract) {
  // 8-bit mono at 11 025 Hz: BufferSize 640. The source stands for three
  // blocks' worth of sound per block and plays at half the rate.
  Fill(1, 8, 11025, std::vector<uint8_t>(11025, 128));
  CountingSource source;
  source.perBlock = 3 * 640;
  PlaybackEngine through(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view, source);
  PlaybackRequest r;
  r.cursor = 100;
  through.Play(r);
  ASSERT_TRUE(through.Active());
  EXPECT_EQ(source.begun, 1);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 5512u);  // the integer part of 11 025 x 0.5
  PlayToEnd(through);
  // (11 025 - 100) bytes of sound at 1 920 a block: six blocks, each asked
  // once, in order, from its own sound offset; none past the end.
  ASSERT_EQ(source.offsets.size(), 6u);
  for (size_t n = 0; n < source.offsets.size(); ++n) EXPECT_EQ(source.offsets[n], 100 + static_cast<int64_t>(n) * 1920);
  EXPECT_EQ(Stream().HeardLengths(), std::vector<uint32_t>(6, 640u));
  EXPECT_EQ(Stream().Heard()[5 * 640], 6);
  EXPECT_EQ(view.cursor[1], 100 + 1920);
  EXPECT_EQ(view.cursor[view.cursor.size() - 2], 11025);  // clamped to the range's end
  // Ended once, after the device closed.
  EXPECT_EQ(source.ended, 1);
  EXPECT_EQ(view.closed, 1);

  // A playback that is aborted, or whose device never opens, ends its source too.
  through.Play(r);
  through.Abort();
  EXPECT_EQ(source.ended, 2);
  backend.unavailable = true;
  through.Play(r);
  EXPECT_EQ(source.begun, 3);
  EXPECT_EQ(source.ended, 3);
  EXPECT_EQ(sink.last(), "Failed to open waveform output device.");
  EXPECT_FALSE(playing);
}

// The device fails or vanishes while a plain, a slowed, a slowed and
// resampled, or a detector playback plays, before any block has come back or
// after some: the playback ends as at its end ("End of play", the cursor
// removed, the device closed, the playing flag clear), the user is told
// once, and a new playback starts and plays to its end without another word.
TEST_F(Playback, ALostDeviceIsSaidOnceAndTheNextPlaybackPlays) {
  Fill(1, 16, 44100, test::Samples16(Ramp(5 * 44100)));
  WorkFileSource plain(doc);
  DetectorSource detector(doc);
  FilterDescription f;
  f.order = 4;
  f.lowPassHz = 5000;
  ASSERT_TRUE(DesignFilter(f, 22050));
  detector.Configure(f, 10, 10000);
  const auto anyRate = backend.accepts;
  struct Case {
    const char* name;
    double speed;
    bool resampled;
    PlaybackSource* source;
    int blocksInUse;
  };
  const Case cases[] = {{"plain", 1.0, false, &plain, 16},
                        {"slowed", 0.25, false, &plain, 16},
                        {"slowed through the resampler", 1.0 / 32, true, &plain, 16},
                        {"detector", 1.0, false, &detector, 4}};
  for (const Case& c : cases) {
    for (int heardFirst : {0, 2}) {
      SCOPED_TRACE(std::string(c.name) + ", blocks heard first: " + std::to_string(heardFirst));
      sink.sink.texts.clear();
      FakePlaybackView v;
      doc.SetPlaySpeed(c.speed);
      backend.accepts = anyRate;
      if (c.resampled)
        backend.accepts = [](const WaveFormatEx& w) { return w.nSamplesPerSec >= 8000 && w.nSamplesPerSec <= 48000; };
      PlaybackEngine e(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, v, *c.source);
      e.SetBlocksInUse(c.blocksInUse);
      e.Play({});
      ASSERT_TRUE(e.Active());
      EXPECT_EQ(e.Resampling(), c.resampled);
      queue.RunPending();
      EXPECT_EQ(Stream().Complete(heardFirst), heardFirst);
      queue.RunPending();
      ASSERT_TRUE(e.Active());
      Stream().Vanish();
      queue.RunPending();
      EXPECT_FALSE(e.Active());
      EXPECT_EQ(e.State(), PlaybackState::Idle);
      EXPECT_EQ(e.EndReason(), PlaybackEnd::DeviceLost);
      EXPECT_FALSE(playing);
      EXPECT_TRUE(Stream().Closed());
      EXPECT_EQ(v.status.back(), "End of play");
      EXPECT_EQ(v.cursor.back(), -1);
      EXPECT_EQ(v.closed, 1);
      EXPECT_EQ(sink.texts(), std::vector<std::string>{kDeviceLostText});

      const int opened = backend.opened;
      e.Play({});
      ASSERT_TRUE(e.Active());
      EXPECT_TRUE(playing);
      EXPECT_EQ(backend.opened, opened + 1);
      PlayToEnd(e);
      EXPECT_EQ(e.EndReason(), PlaybackEnd::Finished);
      EXPECT_EQ(v.status.back(), "End of play");
      EXPECT_EQ(v.closed, 2);
      EXPECT_FALSE(playing);
      EXPECT_EQ(sink.texts().size(), 1u);
    }
  }
}

// How a playback ended, as its view hears it: at the end of its range, after
// a stop (with blocks in the device, or none left to come back).
TEST_F(Playback, TheViewHearsHowThePlaybackEnded) {
  struct EndView : FakePlaybackView {
    std::vector<PlaybackEnd> ends;
    void ShowPlaybackEnd(PlaybackEnd how) override { ends.push_back(how); }
  } v;
  Fill(1, 16, 44100, test::Samples16(Ramp(44100)));
  PlaybackEngine e(doc, backend, playing, v);
  e.Play({});
  PlayToEnd(e);
  e.Play({});
  queue.RunPending();
  Stream().Complete(1);
  queue.RunPending();
  e.Stop();
  queue.RunPending();
  EXPECT_FALSE(e.Active());
  EXPECT_EQ(v.ends, (std::vector<PlaybackEnd>{PlaybackEnd::Finished, PlaybackEnd::Stopped}));
  EXPECT_EQ(e.EndReason(), PlaybackEnd::Stopped);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

// The recording view's source plays the work file as stored at the sound's
// own rate, whatever the document's play speed.
TEST_F(Playback, TheStoredRateSourcePlaysAtTheSoundsOwnRate) {
  Fill(2, 16, 22050, test::Samples16(Ramp(2 * 22050)));
  doc.SetPlaySpeed(0.25);
  StoredRateSource stored(doc);
  PlaybackEngine e(doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view, stored);
  PlaybackRequest whole;
  whole.selectionStart = 0;
  whole.selectionEnd = doc.FrameCount();
  e.Play(whole);
  ASSERT_TRUE(e.Active());
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 22050u);
  EXPECT_EQ(backend.asked[0].nChannels, 2);
  PlayToEnd(e);
  EXPECT_EQ(Stream().Heard(), test::WorkBytes(doc));
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

}  // namespace
}  // namespace nv
