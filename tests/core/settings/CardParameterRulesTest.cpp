// The cards' sampling-parameter rules: the factor and the playback frequency
// follow the recording frequency, and the records travel through the store.
#include <gtest/gtest.h>

#include "settings/CardParameterRules.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsPersistence.h"

namespace nv {
namespace {

TEST(CardParameterRules, FactorAndPlaybackFollowTheRecordingFrequency) {
  // 250 kHz recorded, 22 050 Hz playback held fixed: 11.338.
  EXPECT_EQ(TimeExpansionTextFor(CardKind::ComputerBoards, "250 kHz", "22050 Hz"), "11.338");
  // 500 kHz recorded, factor 10 held fixed: 50 000 Hz.
  EXPECT_EQ(PlaybackTextFor(CardKind::NationalInstruments, "500 kHz", "10"), "50000 Hz");
  // Factor 5 gives 100 000 Hz (shown); 4 would give 125 000 Hz (left empty).
  EXPECT_EQ(PlaybackTextFor(CardKind::NationalInstruments, "500 kHz", "5"), "100000 Hz");
  EXPECT_EQ(PlaybackTextFor(CardKind::NationalInstruments, "500 kHz", "4"), "");
  // The ComputerBoards card offers no 500 kHz: 0 Hz, nothing to compute.
  EXPECT_EQ(RecordingRateOfText(CardKind::ComputerBoards, "500 kHz"), 0);
  EXPECT_EQ(PlaybackTextFor(CardKind::ComputerBoards, "500 kHz", "10"), "");
  EXPECT_EQ(RecordingRateOfText(CardKind::ComputerBoards, "151.5 kHz"), 151515);
  EXPECT_EQ(RecordingTextOfRate(CardKind::NationalInstruments, 384615), "384.6 kHz");
  // Empty texts, limits of the playback frequency and of the factor.
  EXPECT_EQ(TimeExpansionTextFor(CardKind::ComputerBoards, "", "22050 Hz"), "");
  EXPECT_EQ(TimeExpansionTextFor(CardKind::ComputerBoards, "50 kHz", "100 Hz"), "");   // p not above 100
  EXPECT_EQ(TimeExpansionTextFor(CardKind::ComputerBoards, "50 kHz", "600000 Hz"), "");
  EXPECT_EQ(TimeExpansionTextFor(CardKind::ComputerBoards, "50 kHz", "44100 Hz"), "1.134");
  EXPECT_EQ(PlaybackTextFor(CardKind::ComputerBoards, "50 kHz", "0.1"), "");  // t not above 0.1
  EXPECT_EQ(PlaybackTextFor(CardKind::ComputerBoards, "50 kHz", "abc"), "");
  EXPECT_EQ(PlaybackTextFor(CardKind::ComputerBoards, "333.3 kHz", "20"), "16667 Hz");
  ASSERT_EQ(RecordingRates(CardKind::ComputerBoards).size(), 7u);
  ASSERT_EQ(RecordingRates(CardKind::NationalInstruments).size(), 10u);
}

TEST(CardParameterRules, RecordsRoundTripThroughTheStoreWithGainOnlyForNi) {
  MemorySettingsStore st;
  CardParameters p;
  p.sampFreqHz = 384615;
  p.timeExp = 12500;
  p.gain = 20;
  p.fixReplay = 1;
  p.replayFreqHz = 30769;
  p.circularBuffer = 0;
  SaveCardParameters(st, section::kNiDaq, true, p);
  SaveCardParameters(st, section::kCBoard, false, p);
  CardParameters ni, cb;
  LoadCardParameters(st, section::kNiDaq, true, ni);
  LoadCardParameters(st, section::kCBoard, false, cb);
  EXPECT_EQ(ni, p);
  EXPECT_EQ(cb.gain, CardParameters().gain);  // no "Gain" for this card
  EXPECT_FALSE(st.ReadNumber(section::kCBoard, "Gain").has_value());
  cb.gain = p.gain;
  EXPECT_EQ(cb, p);
}

}  // namespace
}  // namespace nv
