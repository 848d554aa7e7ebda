// The application's records in the settings store: every default record
// loaded and saved at once, in the sections' order, the card parameters read
// but never written, and the hook that writes the colour-map list.
#include <gtest/gtest.h>

#include "app/AppCore.h"
#include "app/AppSettings.h"
#include "core/settings/SettingsTestSupport.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsPersistence.h"

namespace nv {
namespace {

using test::kAnalys;
using test::NamedMap;
using test::Number;

TEST(SettingsPersistence, FirstStartOnCleanStoreKeepsEveryDefault) {
  MemorySettingsStore st;
  AppCore app;
  LoadAll(st, app);
  AppCore fresh;
  EXPECT_EQ(app.defaultAnalysis, fresh.defaultAnalysis);
  EXPECT_EQ(app.defaultPower, fresh.defaultPower);
  EXPECT_EQ(app.defaultRate, fresh.defaultRate);
  EXPECT_EQ(app.defaultPulse, fresh.defaultPulse);
  EXPECT_EQ(app.cboardCard, fresh.cboardCard);
  EXPECT_EQ(app.niDaqCard, fresh.niDaqCard);
  EXPECT_EQ(app.defaultData.info.Bytes(), fresh.defaultData.info.Bytes());
  EXPECT_EQ(app.defaultData.rateHz, 11025);
  EXPECT_TRUE(app.colorMaps.maps.empty());
  EXPECT_TRUE(st.writes.empty());
}

TEST(SettingsPersistence, DefaultsOfTheRecords) {
  AppCore app;
  EXPECT_EQ(app.defaultPower.zeroDb, -120);
  EXPECT_DOUBLE_EQ(app.defaultPower.maxV, 1.0);
  EXPECT_EQ(app.defaultRate.histEndMs, 1000);
  EXPECT_EQ(app.defaultRate.bars, 25);
  // First-start histogram defaults that find bat calls: pulses ended by
  // 1 ms of silence (also the shortest counted), a threshold of 1 % of full
  // scale (as the pulse analysis's -20 dB).
  EXPECT_EQ(app.defaultRate.delayMs, 1);
  EXPECT_EQ(app.defaultRate.threshold, 328);
  // First-start pulse defaults that find and measure whole calls.
  EXPECT_EQ(app.defaultPulse.freqThreshold, -6000);
  EXPECT_EQ(app.defaultPulse.ampThreshold, -2000);
  EXPECT_EQ(app.defaultPulse.ampSeparationUs, 1000);
  EXPECT_EQ(app.defaultPulse.durTimeUs, 500);
  EXPECT_EQ(app.defaultPulse.freqSeparationHz, 5000);
  EXPECT_EQ(app.defaultPulse.contUpdate, 1);
  EXPECT_EQ(app.defaultPulse.method, 1);
  EXPECT_EQ(app.cboardCard.sampFreqHz, 200000);
  EXPECT_EQ(app.niDaqCard.replayFreqHz, 22050);
  EXPECT_EQ(app.niDaqCard.gain, 1);
}

TEST(SettingsPersistence, SaveAllWritesTheFiveSectionsOnly) {
  MemorySettingsStore st;
  AppCore app;
  SaveAll(st, app);
  std::vector<std::string> expected = {"Settings\\DefData", kAnalys, "Settings\\Power",
                                       "Settings\\Puls", "Settings\\Rate"};
  EXPECT_EQ(st.Sections(), expected);
  EXPECT_FALSE(st.SectionExists("Settings\\CB"));
  EXPECT_FALSE(st.SectionExists("Settings\\NI"));
  EXPECT_FALSE(st.SectionExists("Settings\\ColorMap"));
}

TEST(SettingsPersistence, SaveAllWritesSectionsInOrder) {
  MemorySettingsStore st;
  AppCore app;
  SaveAll(st, app);
  std::vector<std::string> order;
  for (const std::string& w : st.writes) {
    std::string sec = w.substr(0, w.rfind('\\'));
    if (order.empty() || order.back() != sec) order.push_back(sec);
  }
  std::vector<std::string> expected = {"Settings\\Power", "Settings\\Rate", "Settings\\Puls",
                                       "Settings\\DefData", kAnalys};
  EXPECT_EQ(order, expected);
}

TEST(SettingsPersistence, LoadAllReadsSectionsInOrder) {
  MemorySettingsStore st;
  AppCore app;
  LoadAll(st, app);
  std::vector<std::string> order;
  for (const std::string& r : st.reads) {
    std::string sec = r.substr(0, r.rfind('\\'));
    if (order.empty() || order.back() != sec) order.push_back(sec);
  }
  std::vector<std::string> expected = {"Settings\\Power", "Settings\\Rate",    "Settings\\Puls",
                                       "Settings\\CB",    "Settings\\NI",      "Settings\\DefData",
                                       kAnalys,           "Settings\\ColorMap"};
  EXPECT_EQ(order, expected);
}

TEST(SettingsPersistence, SwitchTwoIsOffInPowerButOnInCards) {
  MemorySettingsStore st;
  st.WriteNumber("Settings\\Power", "LeftChan", 2);
  st.WriteNumber("Settings\\Power", "ContUpd", 1);
  st.WriteNumber("Settings\\CB", "CircularBuffer", 0);
  st.WriteNumber("Settings\\CB", "Spectro", 2);
  st.WriteNumber("Settings\\NI", "FixReplay", -1);
  AppCore app;
  LoadAll(st, app);
  EXPECT_EQ(app.defaultPower.leftChannel, 0);
  EXPECT_EQ(app.defaultPower.contUpdate, 1);
  EXPECT_EQ(app.cboardCard.spectro, 1);
  EXPECT_EQ(app.cboardCard.circularBuffer, 0);
  EXPECT_EQ(app.niDaqCard.fixReplay, 1);
}

TEST(SettingsPersistence, SwitchTwoIsOffInAnalysisRateAndPulse) {
  MemorySettingsStore st;
  st.WriteNumber(kAnalys, "Spect", 2);
  st.WriteNumber(kAnalys, "InvColors", 2);
  st.WriteNumber("Settings\\Rate", "AutoCalc", 2);
  st.WriteNumber("Settings\\Puls", "ContUpd", 2);
  st.WriteNumber("Settings\\Puls", "Energy", 1);
  AppCore app;
  LoadAll(st, app);
  EXPECT_EQ(app.defaultAnalysis.spectrogramShown, 0);
  EXPECT_EQ(app.defaultAnalysis.invColors, 0);
  EXPECT_EQ(app.defaultRate.autoCalc, 0);
  EXPECT_EQ(app.defaultPulse.contUpdate, 0);
  EXPECT_EQ(app.defaultPulse.energy, 1);
}

TEST(SettingsPersistence, StoredHistogramSettingsAreReadAsBefore) {
  // A profile written by an earlier version (the former defaults at exit)
  // keeps its values; only keys that are missing take the first-start ones.
  MemorySettingsStore st;
  const std::string sec = "Settings\\Rate";
  st.WriteNumber(sec, "Delay", 10);
  st.WriteNumber(sec, "Threshold", -1);
  st.WriteNumber(sec, "HistEnd", 1000);
  AppCore app;
  LoadAll(st, app);
  EXPECT_EQ(app.defaultRate.delayMs, 10);
  EXPECT_EQ(app.defaultRate.threshold, -1);
  EXPECT_EQ(app.defaultRate.histEndMs, 1000);
  EXPECT_EQ(app.defaultRate.bars, RateSettings{}.bars);
  MemorySettingsStore onlyDelay;
  onlyDelay.WriteNumber(sec, "Delay", 4);
  AppCore other;
  LoadAll(onlyDelay, other);
  EXPECT_EQ(other.defaultRate.delayMs, 4);
  EXPECT_EQ(other.defaultRate.threshold, RateSettings{}.threshold);
  // Written back unchanged.
  MemorySettingsStore out;
  SaveAll(out, app);
  EXPECT_EQ(Number(out, sec, "Delay"), 10);
  EXPECT_EQ(Number(out, sec, "Threshold"), -1);
}

TEST(SettingsPersistence, CardsAreReadButNeverWritten) {
  MemorySettingsStore st;
  st.WriteNumber("Settings\\CB", "SampFreq", 250000);
  st.WriteNumber("Settings\\CB", "Gain", 50);
  st.WriteNumber("Settings\\NI", "Gain", 20);
  st.WriteNumber("Settings\\NI", "TimeExp", 5000);
  AppCore app;
  LoadAll(st, app);
  EXPECT_EQ(app.cboardCard.sampFreqHz, 250000);
  EXPECT_EQ(app.cboardCard.gain, 1);  // this card has no gain value
  EXPECT_EQ(app.niDaqCard.gain, 20);
  EXPECT_EQ(app.niDaqCard.timeExp, 5000);
  st.writes.clear();
  SaveAll(st, app);
  for (const std::string& w : st.writes) {
    EXPECT_NE(w.rfind("Settings\\CB\\", 0), 0u) << w;
    EXPECT_NE(w.rfind("Settings\\NI\\", 0), 0u) << w;
  }
}

TEST(SettingsPersistence, RoundTripOfEveryRecord) {
  AppCore app;
  AnalysisSettings& a = app.defaultAnalysis;
  a.oscillogramShown = a.lineBetweenSamples = 1;
  a.spectrogramShown = 0;
  a.leftChannel = 0;
  a.colorBar = 0;
  a.timePerPlotUs = 250000;
  a.threshold = 20;
  a.window = 8;
  a.colorScheme = 100;
  a.contrast = -4;
  a.invColors = 1;
  a.fontSize = 12;
  a.freqSize = 1000;
  a.freqPlot = 1;
  a.freqThreshold = 9;
  a.freqPlotType = 1;
  a.freqGridX = 2;
  a.freqGridY = 3;
  a.oscGridX = 4;
  a.oscGridY = 5;
  a.spectGridX = 1;
  a.spectGridY = 0;
  a.userColorMap = NamedMap("Saved");
  app.defaultPower = {0, 1, 1, 0, 1024, 4, 0, -90, -10, 0.25, 3.5, -1, 0};
  app.defaultRate.contUpdate = 1;
  app.defaultRate.histStartMs = 5;
  app.defaultRate.histEndMs = 300;
  app.defaultRate.bars = 60;
  app.defaultRate.delayMs = 3;
  app.defaultRate.threshold = 800;
  PulseSettings& p = app.defaultPulse;
  p.leftChannel = 1;
  p.plotSize = 3;
  p.fontSize = 10;
  p.minFrequencyHz = 15000;
  p.maxFrequencyHz = 120000;
  p.freqThreshold = -3000;
  p.freqSeparationHz = 2000;
  p.ampSeparationUs = 1500;
  p.durTimeUs = 800;
  p.ampThreshold = -2000;
  p.freqMaxMark = 1;
  p.durationFreq = 1;
  p.method = 2;
  app.defaultData.channels = 2;
  app.defaultData.bits = 16;
  app.defaultData.rateHz = 300000;
  app.defaultData.info.SetTimeExpansion(10000);
  app.defaultData.info.SetRecordedBy("Field team");

  MemorySettingsStore st;
  SaveAll(st, app);
  AppCore back;
  LoadAll(st, back);
  EXPECT_EQ(back.defaultAnalysis, app.defaultAnalysis);
  EXPECT_EQ(back.defaultPower, app.defaultPower);
  EXPECT_EQ(back.defaultRate, app.defaultRate);
  EXPECT_EQ(back.defaultPulse, app.defaultPulse);
  EXPECT_EQ(back.defaultData.channels, 2);
  EXPECT_EQ(back.defaultData.bits, 16);
  EXPECT_EQ(back.defaultData.rateHz, 300000);
  EXPECT_EQ(back.defaultData.info.TimeExpansion(), 10000);
  EXPECT_EQ(back.defaultData.info.RecordedBy(), "Field team");
}

TEST(ColorMapStore, SaverHookWritesTheApplicationsList) {
  MemorySettingsStore st;
  AppCore app;
  InstallColorMapSaver(app, &st);
  app.colorMaps.maps.push_back(NamedMap("Hooked"));
  ASSERT_TRUE(app.saveColorMaps);
  app.saveColorMaps();
  ColorMapList back;
  LoadColorMaps(st, back);
  ASSERT_EQ(back.maps.size(), 1u);
  EXPECT_EQ(back.maps[0].Name(), "Hooked");
  InstallColorMapSaver(app, nullptr);
  EXPECT_FALSE(app.saveColorMaps);
}

}  // namespace
}  // namespace nv
