// The small rules of the audio layer: arrow-key volume and rate steps, the
// play speeds and their text forms, the device format labels, the relabelling
// of a slowed copy.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "audio/AudioKeyRules.h"
#include "audio/DeviceFormatLabel.h"
#include "audio/PlaySpeed.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/SlowedCopy.h"
#include "audio/TaskQueue.h"
#include "fileformats/FileType.h"

namespace nv {
namespace {

TEST(AudioKeyRules, VolumeDoublesAndHalvesWithTheLimits) {
  EXPECT_EQ(DoubledVolume(0), 2);
  EXPECT_EQ(DoubledVolume(1), 2);
  EXPECT_EQ(DoubledVolume(0x1000), 0x2000);
  EXPECT_EQ(DoubledVolume(0x7FFF), 0xFFFE);
  EXPECT_EQ(DoubledVolume(0x8000), 0xFFFF);
  EXPECT_EQ(DoubledVolume(0xFFFF), 0xFFFF);
  EXPECT_EQ(HalvedVolume(0), 0);
  EXPECT_EQ(HalvedVolume(1), 1);
  EXPECT_EQ(HalvedVolume(2), 1);
  EXPECT_EQ(HalvedVolume(3), 1);
  EXPECT_EQ(HalvedVolume(0xFFFF), 0x7FFF);
  EXPECT_EQ(BothChannels(0x1234), 0x12341234u);
}

TEST(AudioKeyRules, RateHalvesAboveOneAndDoublesUpToTheLimit) {
  uint32_t r = 0;
  EXPECT_FALSE(HalvedRate(1, r));
  EXPECT_FALSE(HalvedRate(0, r));
  ASSERT_TRUE(HalvedRate(2, r));
  EXPECT_EQ(r, 1u);
  ASSERT_TRUE(HalvedRate(0x10000, r));
  EXPECT_EQ(r, 0x8000u);
  ASSERT_TRUE(DoubledRate(0x10000, r));
  EXPECT_EQ(r, 0x20000u);
  ASSERT_TRUE(DoubledRate(0x40000000, r));
  EXPECT_EQ(r, 0x80000000u);
  EXPECT_FALSE(DoubledRate(0x40000001, r));
}

TEST(PlaySpeed, MenuSpeedsTheirTextFormsAndDeviceRates) {
  std::vector<std::string> labels;
  for (const PlaySpeed& s : PlaySpeeds()) labels.push_back(s.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"1/32", "1/20", "1/16", "1/10", "1/8", "1/4", "1/2", "1", "2",
                                              "4"}));
  EXPECT_EQ(ParsePlaySpeed("1/10"), 0.1);
  EXPECT_EQ(ParsePlaySpeed("0.1"), 0.1);
  EXPECT_EQ(ParsePlaySpeed("1/32"), 1.0 / 32);
  EXPECT_EQ(ParsePlaySpeed("0.03125"), 1.0 / 32);
  EXPECT_EQ(ParsePlaySpeed("4"), 4.0);
  EXPECT_EQ(ParsePlaySpeed("2/8"), 0.25);
  for (const char* bad : {"", "1/3", "3", "0", "-1", "1/0", "abc", "1/", "/4", "0.1x", "nan"})
    EXPECT_FALSE(ParsePlaySpeed(bad).has_value()) << bad;
  EXPECT_EQ(PlaybackRateHz(44100, 0.25), 11025u);
  EXPECT_EQ(PlaybackRateHz(44100, 4.0), 176400u);
  EXPECT_EQ(PlaybackRateHz(44100, 1.0 / 32), 1378u);  // integer part
  EXPECT_EQ(PlaybackRateHz(384000, 1.0 / 10), 38400u);
}

TEST(DeviceFormatLabel, BestFormatInOrderOrNothing) {
  EXPECT_EQ(BestFormatLabel([](int, int, int) { return true; }), " 44.1 kHz,stereo,16-bit");
  EXPECT_EQ(BestFormatLabel([](int ch, int, int rate) { return ch == 1 && rate <= 22050; }),
            " 22.05 kHz,mono,16-bit");
  EXPECT_EQ(BestFormatLabel([](int ch, int bits, int rate) { return ch == 1 && bits == 8 && rate == 22050; }),
            " 22.05 kHz,mono,8-bit");
  EXPECT_EQ(BestFormatLabel([](int ch, int bits, int rate) { return ch == 1 && bits == 8 && rate == 11025; }),
            " 11.025 kHz,mono,8-bit");
  EXPECT_EQ(BestFormatLabel([](int, int, int) { return false; }), "");

  TaskQueue q;
  SimulatedAudioBackend backend(q);
  backend.outputNames = {"Speakers", "Headphones"};
  backend.accepts = [](const WaveFormatEx& f) { return f.nChannels == 1 && f.nSamplesPerSec <= 22050; };
  auto outs = backend.Devices(StreamDirection::Output);
  ASSERT_EQ(outs.size(), 2u);
  EXPECT_EQ(outs[1].name, "Headphones");
  EXPECT_EQ(outs[1].formatLabel, " 22.05 kHz,mono,16-bit");
  EXPECT_NE(outs[0].id, outs[1].id);
}

TEST(SlowedCopy, RelabelsRateAndFactorAndKeepsTheSamples) {
  DocumentContext documents;
  // Rates that divide: the factor is divided by the speed.
  SlowedLabels l = SlowedLabelsFor(441000, 1000, 0.1);
  EXPECT_EQ(l.rateHz, 44100u);
  EXPECT_EQ(l.timeExpansionThousandths, 10000);
  l = SlowedLabelsFor(384000, 10000, 1.0 / 32);
  EXPECT_EQ(l.rateHz, 12000u);
  EXPECT_EQ(l.timeExpansionThousandths, 320000);
  // A rate that does not divide keeps rate x factor as close as it can.
  l = SlowedLabelsFor(44100, 1000, 1.0 / 32);
  EXPECT_EQ(l.rateHz, 1378u);
  EXPECT_EQ(l.timeExpansionThousandths, 32003);
  EXPECT_EQ(SlowedLabelsFor(20, 1000, 1.0 / 32).rateHz, 0u);

  test::ScopedSink sink;
  test::TempDir dir;
  CNorvaneDoc doc(documents);
  std::vector<int16_t> s(5000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i * 13 - 30000);
  test::FillDocument(doc, 1, 16, 250000, test::Samples16(s));
  const int64_t realUs = doc.FramesToMicroseconds(doc.FrameCount());
  ASSERT_TRUE(RelabelForSpeed(doc, 0.1));
  ASSERT_TRUE(doc.Save({dir.File("slow.wav"), FileType::NorvaneWave}));
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({dir.File("slow.wav")}));
  EXPECT_EQ(back.Format().nSamplesPerSec, 25000u);
  EXPECT_EQ(back.Info().TimeExpansion(), 10000);
  EXPECT_EQ(back.FramesToMicroseconds(back.FrameCount()), realUs);
  EXPECT_EQ(test::WorkBytes(back), test::Samples16(s));
  // A mark stays on its row of the spectrogram: where rate x factor moves
  // (by 134 in 44 100 000 at 1/32), its frequency moves with it.
  CNorvaneDoc odd(documents);
  test::FillDocument(odd, 1, 16, 44100, test::Samples16(s));
  odd.Info().SetTimeExpansion(1000);
  odd.Marks().Add(10, 1000000, true, 1, "", true, CursorKind::Measurement);
  ASSERT_TRUE(RelabelForSpeed(odd, 1.0 / 32));
  EXPECT_EQ(odd.Marks()[0].value, 1000003);
  EXPECT_EQ(odd.Marks()[0].position, 10);
  EXPECT_TRUE(sink.texts().empty());
}

// The status note after a volume or speed key, and the limits it names.
TEST(AudioKeyRules, StatusNoteAndLimits) {
  EXPECT_EQ(PlayKeyStatusText(0x7FFF, 0.25, PlayKeyLimit::kNone), "Volume 50 %, speed 1/4");
  EXPECT_EQ(PlayKeyStatusText(0xFFFF, 2, PlayKeyLimit::kVolumeHighest), "Volume 100 %, speed 2 - volume at its highest");
  EXPECT_EQ(PlayKeyStatusText(1, 1, PlayKeyLimit::kVolumeLowest), "Volume 0.00153 %, speed 1 - volume at its lowest");
  EXPECT_EQ(PlayKeyStatusText(0x1FFF, 0.1, PlayKeyLimit::kSpeedLowest), "Volume 12.5 %, speed 1/10 - speed at its lowest");
  EXPECT_EQ(PlayKeyStatusText(0x3FFF, 8192, PlayKeyLimit::kSpeedHighest), "Volume 25 %, speed 8192 - speed at its highest");
  EXPECT_EQ(PlayKeyStatusText(0xFFFF, 1, PlayKeyLimit::kRefused), "Volume 100 %, speed 1 - the device refused the change");
  EXPECT_EQ(PlaySpeedText(1.0 / 32), "1/32");
  EXPECT_EQ(PlaySpeedText(0.3), "0.3");
  EXPECT_EQ(PlaySpeedText(1.5), "1.5");
  EXPECT_EQ(PlaySpeedText(4), "4");
  // Each limit is where the key rule stops changing the value.
  for (uint32_t v = 0; v <= 0xFFFF; ++v) {
    const uint16_t w = static_cast<uint16_t>(v);
    EXPECT_EQ(VolumeLimit(w) == PlayKeyLimit::kVolumeHighest, DoubledVolume(w) == w && w != 0) << v;
    EXPECT_EQ(VolumeLimit(w) == PlayKeyLimit::kVolumeLowest, HalvedVolume(w) == w) << v;
  }
  uint32_t out = 0;
  for (uint32_t f : {0u, 1u, 2u, 0x10000u, 0x40000000u, 0x40000001u, 0x80000000u}) {
    EXPECT_EQ(RateLimit(f) == PlayKeyLimit::kSpeedHighest, !DoubledRate(f, out)) << f;
    if (DoubledRate(f, out)) {
      EXPECT_EQ(RateLimit(f) == PlayKeyLimit::kSpeedLowest, !HalvedRate(f, out)) << f;
    }
  }
}

}  // namespace
}  // namespace nv
