// Playback through the detector on the simulated device: the device in the
// document's own format, four blocks queued, each the stream's block, the
// line following the blocks heard, retuning heard within four blocks, the
// end, stop, failures, and the end of a playback when its owner goes away.
#include "audio/DetectorPlayback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestSupport.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

struct FakeDetectorView : DetectorPlaybackView {
  std::vector<std::string> status;
  std::vector<int64_t> line;
  int lineTexts = 0;
  int beeps = 0;
  int closed = 0;
  void ShowDetectorPlaybackStatus(const std::string& t) override { status.push_back(t); }
  void MoveDetectorLine(int64_t f) override { line.push_back(f); }
  void ShowDetectorLineStatus() override { ++lineTexts; }
  void RefuseDetectorPlayback() override { ++beeps; }
  void DetectorPlaybackClosed() override { ++closed; }
};

std::vector<int16_t> Tone(size_t n, double step) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(8000 * std::sin(step * static_cast<double>(i)));
  return s;
}

FilterDescription LowPass(int64_t nyquist, int hz) {
  FilterDescription f;
  f.order = 4;
  f.lowPassHz = hz;
  EXPECT_TRUE(DesignFilter(f, nyquist));
  return f;
}

class DetectorPlaybackTest : public ::testing::Test {
 protected:
  test::ScopedSink sink;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  bool playing = false;
  FakeDetectorView view;
  DocumentContext documents;
  CNorvaneDoc doc{documents};
  std::unique_ptr<DetectorPlayback> player = std::make_unique<DetectorPlayback>(
      doc, backend, [this] { return playing; }, [this](bool p) { playing = p; }, view);

  SimulatedAudioStream& Device() { return *backend.last; }
  void PlayToEnd() {
    for (int guard = 0; guard < 100000 && player->Active(); ++guard) {
      queue.RunPending();
      if (backend.last && !Device().Closed()) Device().Complete(1);
      queue.RunPending();
    }
  }
};

TEST_F(DetectorPlaybackTest, PlaysTheStreamsBlocksAtTheDocumentsOwnRate) {
  // 44 100 Hz, time expansion 10, speed factor 10: real speed.
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(441000, 0.7)));
  doc.Info().SetTimeExpansion(10000);
  const FilterDescription f = LowPass(220500, 5000);
  player->Play({}, f, 10, 40000);
  ASSERT_EQ(backend.asked.size(), 1u);
  EXPECT_EQ(backend.asked[0].nSamplesPerSec, 44100u);
  EXPECT_TRUE(playing);
  EXPECT_EQ(Device().Queued(), 4);
  EXPECT_EQ(view.status.front(), "Playing 0.00 - 1.00 ");
  EXPECT_EQ(player->Stream().OscillatorHz(), 4000);
  PlayToEnd();
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(view.line.back(), -1);
  // What was heard is what the stream gives, block for block.
  DetectorSoundMapping map;
  ASSERT_TRUE(map.Map(doc));
  DetectorStream s;
  ASSERT_EQ(s.Start(MakeDetectorRequest(doc, map.Samples(), 0, 441000, 10, 40000), f), DetectorStartResult::Started);
  std::vector<uint8_t> expected, block(s.BlockBytes());
  while (uint32_t got = s.FillBlock(block.data())) expected.insert(expected.end(), block.begin(), block.begin() + got);
  EXPECT_EQ(Device().Heard(), expected);
  // The line followed the blocks: ten blocks of sound each.
  ASSERT_GE(view.line.size(), 3u);
  EXPECT_EQ(view.line[0], 0);
  EXPECT_EQ(view.line[1], 27520);
  EXPECT_EQ(view.line[2], 2 * 27520);
  EXPECT_TRUE(sink.texts().empty());
}

TEST_F(DetectorPlaybackTest, RatesTheDeviceRefusesPlayThroughTheResampler) {
  // A device that takes 8 ... 48 kHz, as a sound server does, and field
  // recordings at 500 kHz and 1 MHz: a 45 kHz call heard through the
  // detector tuned to 40 kHz is a 5 kHz tone, played at 48 kHz for as long
  // as the sound lasts.
  backend.accepts = [](const WaveFormatEx& w) { return w.nSamplesPerSec >= 8000 && w.nSamplesPerSec <= 48000; };
  for (const int rate : {500000, 1000000}) {
    SCOPED_TRACE(rate);
    const double seconds = 0.5;
    test::FillDocument(doc, 1, 16, rate,
                       test::Samples16(Tone(static_cast<size_t>(rate * seconds), 2 * M_PI * 45000.0 / rate)));
    const FilterDescription f = LowPass(rate / 2, 10000);
    player->Play({}, f, 1, 40000);
    ASSERT_TRUE(player->Active());
    EXPECT_TRUE(player->Resampling());
    EXPECT_EQ(player->DeviceFormat().nSamplesPerSec, 48000u);
    EXPECT_EQ(Device().Format().nSamplesPerSec, 48000u);
    PlayToEnd();
    EXPECT_EQ(view.status.back(), "End of play");
    EXPECT_FALSE(playing);
    const std::vector<uint8_t>& heard = Device().Heard();
    const size_t n = heard.size() / 2;
    EXPECT_NEAR(static_cast<double>(n), 48000 * seconds, 48000 * seconds * 0.01);
    // The tone's frequency from its rising zero crossings, away from the ends.
    int crossings = 0;
    int16_t last = 0;
    for (size_t k = n / 10; k < n - n / 10; ++k) {
      const int16_t v = static_cast<int16_t>(GetU16(&heard[2 * k]));
      if (last < 0 && v >= 0) ++crossings;
      last = v;
    }
    const double hz = crossings / (0.8 * static_cast<double>(n) / 48000);
    EXPECT_NEAR(hz, 5000, 50);
  }
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(DetectorPlaybackTest, RetuningIsHeardWithinFourBlocks) {
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100 * 20, 0.5)));
  const FilterDescription f = LowPass(22050, 2000);
  player->Play({}, f, 2, 8000);
  ASSERT_EQ(Device().Queued(), 4);
  queue.RunPending();
  Device().Complete(1);  // block 1 heard, block 5 filled
  queue.RunPending();
  player->SetFrequencyHz(9000);
  EXPECT_EQ(player->Stream().OscillatorHz(), 8000);
  Device().Complete(1);  // block 2 heard, block 6 filled with the new tuning
  queue.RunPending();
  EXPECT_EQ(player->Stream().OscillatorHz(), 9000);
  // Blocks 3 to 5 are still the old tuning: the new one is heard after at
  // most four blocks.
  for (int i = 0; i < 4; ++i) {
    Device().Complete(1);
    queue.RunPending();
  }
  player->Stop();
  PlayToEnd();
  // What was heard: the stream retuned before its sixth block.
  DetectorSoundMapping map;
  ASSERT_TRUE(map.Map(doc));
  DetectorStream s;
  ASSERT_EQ(s.Start(MakeDetectorRequest(doc, map.Samples(), 0, 44100 * 20, 2, 8000), f), DetectorStartResult::Started);
  std::vector<uint8_t> expected, block(s.BlockBytes());
  for (int n = 0; n < 6; ++n) {
    if (n == 5) s.SetFrequencyHz(9000);
    const uint32_t got = s.FillBlock(block.data());
    expected.insert(expected.end(), block.begin(), block.begin() + got);
  }
  ASSERT_GE(Device().Heard().size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), Device().Heard().begin()));
  EXPECT_FALSE(playing);
}

TEST_F(DetectorPlaybackTest, RateKeysWhilePlaying) {
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100 * 5, 0.5)));
  EXPECT_EQ(player->RateUp(), KeyOutcome::NotPlaying);
  player->Play({}, LowPass(22050, 2000), 10, 5000);
  queue.RunPending();
  EXPECT_EQ(player->RateUp(), KeyOutcome::Changed);
  EXPECT_EQ(Device().Rate(), 0x20000u);
  EXPECT_EQ(player->RateDown(), KeyOutcome::Changed);
  EXPECT_EQ(player->RateDown(), KeyOutcome::Changed);
  EXPECT_EQ(Device().Rate(), 0x8000u);
  player->Stop();
  PlayToEnd();
}

TEST_F(DetectorPlaybackTest, VolumeKeysWhilePlaying) {
  // As for an ordinary playback: the device's volume word of the left
  // channel doubled or halved and written to both channels.
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100 * 5, 0.5)));
  EXPECT_EQ(player->VolumeDown(), KeyOutcome::NotPlaying);
  EXPECT_EQ(player->VolumeUp(), KeyOutcome::NotPlaying);
  player->Play({}, LowPass(22050, 2000), 10, 5000);
  queue.RunPending();
  EXPECT_EQ(Device().Volume(), 0xFFFFFFFFu);
  EXPECT_EQ(player->VolumeUp(), KeyOutcome::Changed);  // at the top already
  EXPECT_EQ(Device().Volume(), 0xFFFFFFFFu);
  EXPECT_EQ(player->VolumeDown(), KeyOutcome::Changed);
  EXPECT_EQ(Device().Volume(), 0x7FFF7FFFu);
  EXPECT_EQ(player->VolumeDown(), KeyOutcome::Changed);
  EXPECT_EQ(Device().Volume(), 0x3FFF3FFFu);
  EXPECT_EQ(player->VolumeUp(), KeyOutcome::Changed);
  EXPECT_EQ(Device().Volume(), 0x7FFE7FFEu);
  // The samples stay as they are: the volume is the device's.
  EXPECT_EQ(player->Stream().FrequencyHz(), 5000);
  // A device that cannot be asked: nothing changes, the view beeps.
  Device().FailControls();
  EXPECT_EQ(player->VolumeUp(), KeyOutcome::Refused);
  EXPECT_EQ(player->VolumeDown(), KeyOutcome::Refused);
  EXPECT_EQ(Device().Volume(), 0x7FFE7FFEu);
  player->Stop();
  PlayToEnd();
  EXPECT_EQ(player->VolumeUp(), KeyOutcome::NotPlaying);
}

TEST_F(DetectorPlaybackTest, RangesLabelsAndRefusals) {
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100, 0.5)));
  const FilterDescription f = LowPass(22050, 2000);
  PlaybackRequest sel;
  sel.selectionStart = 4410;
  sel.selectionEnd = 8820;
  player->Play(sel, f, 10, 5000);
  EXPECT_EQ(view.status.front(), "Playing selection 0.10 - 0.20 ");
  PlayToEnd();
  PlaybackRequest cur;
  cur.cursor = 22050;
  player->Play(cur, f, 10, 5000);
  EXPECT_EQ(view.status[view.status.size() - 1 - 0].rfind("Playing from cursor 0.50 - 1.00 ", 0), 0u);
  PlayToEnd();
  // An empty range beeps.
  player->Start(44100, 50000, "Playing", f, 10, 5000);
  EXPECT_EQ(view.beeps, 1);
  // A device that cannot be opened.
  backend.unavailable = true;
  player->Play({}, f, 10, 5000);
  EXPECT_EQ(sink.last(), "Failed to open waveform output device.");
  EXPECT_FALSE(playing);
  backend.unavailable = false;
  // Sample sizes other than 8 and 16 bits are refused before the device opens.
  sink.sink.texts.clear();
  doc.SetFormat(1, 24, 44100);
  const int opened = backend.opened;
  player->Play({}, f, 10, 5000);
  EXPECT_EQ(sink.last(), "Unknown data format, only 8 and 16 bits data supported.");
  EXPECT_EQ(backend.opened, opened);
  EXPECT_FALSE(playing);
}

TEST_F(DetectorPlaybackTest, GoingAwayWhilePlayingEndsThePlayback) {
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100 * 5, 0.5)));
  player->Play({}, LowPass(22050, 2000), 10, 5000);
  EXPECT_TRUE(playing);
  player.reset();
  EXPECT_FALSE(playing);
  EXPECT_TRUE(Device().Detached() || Device().Closed());
  queue.RunPending();
}

TEST_F(DetectorPlaybackTest, ALostDeviceEndsThePlaybackAndIsSaidOnce) {
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(Tone(44100 * 5, 0.5)));
  const FilterDescription f = LowPass(22050, 2000);
  player->Play({}, f, 10, 5000);
  ASSERT_TRUE(player->Active());
  queue.RunPending();
  Device().Complete(1);
  queue.RunPending();
  Device().Vanish();
  queue.RunPending();
  EXPECT_FALSE(player->Active());
  EXPECT_EQ(player->State(), PlaybackState::Idle);
  EXPECT_FALSE(playing);
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.line.back(), -1);
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(sink.texts(),
            std::vector<std::string>{"Playback stopped: the sound output device failed or was removed."});
  // The next detector playback starts on a new device and plays to its end.
  player->Play({}, f, 10, 5000);
  ASSERT_TRUE(player->Active());
  EXPECT_TRUE(playing);
  PlayToEnd();
  EXPECT_EQ(view.status.back(), "End of play");
  EXPECT_EQ(view.closed, 2);
  EXPECT_EQ(sink.texts().size(), 1u);
}

}  // namespace
}  // namespace nv
