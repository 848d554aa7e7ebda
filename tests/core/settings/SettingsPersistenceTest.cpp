#include <gtest/gtest.h>

#include <algorithm>

#include "app/AppCore.h"
#include "settings/MemorySettingsStore.h"
#include "app/AppSettings.h"
#include "settings/SettingsPersistence.h"

namespace nv {
namespace {

const std::string kAnalys = "Settings\\DefData\\Analys";

int32_t Number(MemorySettingsStore& st, const std::string& sec, const std::string& key) {
  auto v = st.ReadNumber(sec, key);
  EXPECT_TRUE(v.has_value()) << sec << "\\" << key;
  return v.value_or(INT32_MIN);
}

bool WasRead(const MemorySettingsStore& st, const std::string& full) {
  return std::find(st.reads.begin(), st.reads.end(), full) != st.reads.end();
}

UserColorMap NamedMap(const std::string& name, int32_t updateLow = 0) {
  UserColorMap m;
  m.SetName(name);
  m.rangeCount = 1;
  m.ranges[0].from = 0;
  m.ranges[0].to = -60000;
  m.ranges[0].step = -1000;
  m.ranges[0].count = 60;
  m.updateLow = static_cast<uint32_t>(updateLow);
  return m;
}

std::vector<uint8_t> MapBytes(const UserColorMap& m) {
  auto b = m.ToBytes();
  return {b.begin(), b.end()};
}

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

TEST(SettingsPersistence, OscillogramAndTraceSwitchesEachReadBackAsWritten) {
  // Each switch has its own key, so a shown oscillogram with the default
  // trace form survives a save and a load (one key for both lost it).
  MemorySettingsStore st;
  AnalysisSettings s;
  s.oscillogramShown = 1;
  s.lineBetweenSamples = 0;
  SaveAnalysisSettings(st, s);
  ASSERT_GE(st.writes.size(), 2u);
  EXPECT_EQ(st.writes[0], kAnalys + "\\Amp");
  EXPECT_EQ(st.writes[1], kAnalys + "\\AmpLine");
  EXPECT_EQ(Number(st, kAnalys, "Amp"), 1);
  EXPECT_EQ(Number(st, kAnalys, "AmpLine"), 0);

  AnalysisSettings back;
  back.oscillogramShown = 0;
  back.lineBetweenSamples = 1;
  LoadAnalysisSettings(st, back);
  EXPECT_EQ(back.oscillogramShown, 1);
  EXPECT_EQ(back.lineBetweenSamples, 0);

  // A store written before the trace switch had its own key holds one "Amp"
  // for both, and reads as it always did.
  MemorySettingsStore old;
  old.WriteNumber(kAnalys, "Amp", 1);
  AnalysisSettings fromOld;
  fromOld.lineBetweenSamples = 0;
  LoadAnalysisSettings(old, fromOld);
  EXPECT_EQ(fromOld.oscillogramShown, 1);
  EXPECT_EQ(fromOld.lineBetweenSamples, 1);
  MemorySettingsStore off;
  off.WriteNumber(kAnalys, "Amp", 0);
  LoadAnalysisSettings(off, fromOld);
  EXPECT_EQ(fromOld.oscillogramShown, 0);
  EXPECT_EQ(fromOld.lineBetweenSamples, 0);
}

TEST(SettingsPersistence, PlotSizeInMillisecondsWhenMicrosecondsMissing) {
  MemorySettingsStore st;
  st.WriteNumber(kAnalys, "PlotSize", 20);
  st.WriteNumber(kAnalys, "FftThresHold", 7);
  AnalysisSettings s;
  LoadAnalysisSettings(st, s);
  EXPECT_EQ(s.timePerPlotUs, 20000);
  EXPECT_EQ(s.threshold, 7);
}

TEST(SettingsPersistence, NegativeMicrosecondsFallBackToPlotSize) {
  MemorySettingsStore st;
  st.WriteNumber(kAnalys, "PlotSizemySec", -3);
  st.WriteNumber(kAnalys, "PlotSize", 40);
  AnalysisSettings s;
  LoadAnalysisSettings(st, s);
  EXPECT_EQ(s.timePerPlotUs, 40000);
}

TEST(SettingsPersistence, ZeroSpanLeavesDefaultAndThresholdUnread) {
  MemorySettingsStore st;
  st.WriteNumber(kAnalys, "PlotSizemySec", 0);
  st.WriteNumber(kAnalys, "PlotSize", 20);
  st.WriteNumber(kAnalys, "FftThresHold", 7);
  AnalysisSettings s;
  LoadAnalysisSettings(st, s);
  EXPECT_EQ(s.timePerPlotUs, 15000000);
  EXPECT_EQ(s.threshold, 16);
  EXPECT_FALSE(WasRead(st, kAnalys + "\\FftThresHold"));
  EXPECT_FALSE(WasRead(st, kAnalys + "\\PlotSize"));
}

TEST(SettingsPersistence, PlotSizeCompanionsWritten) {
  MemorySettingsStore st;
  AnalysisSettings s;
  s.timePerPlotUs = 15000000;
  s.firstVisibleSample = 123456;
  s.lastVisibleSample = 999;
  SaveAnalysisSettings(st, s);
  EXPECT_EQ(Number(st, kAnalys, "PlotSizemySec"), 15000000);
  EXPECT_EQ(Number(st, kAnalys, "PlotSize"), 15000);
  EXPECT_EQ(Number(st, kAnalys, "PlotStartmySec"), 123456);
  EXPECT_EQ(Number(st, kAnalys, "PlotStart"), 123);
  EXPECT_EQ(Number(st, kAnalys, "PlotEndmySec"), 999);
  EXPECT_EQ(Number(st, kAnalys, "PlotEnd"), 0);

  s.timePerPlotUs = 1000;  // at most 1000: undivided
  SaveAnalysisSettings(st, s);
  EXPECT_EQ(Number(st, kAnalys, "PlotSize"), 1000);
  s.timePerPlotUs = 1001;
  SaveAnalysisSettings(st, s);
  EXPECT_EQ(Number(st, kAnalys, "PlotSize"), 1);
  s.timePerPlotUs = -5;
  SaveAnalysisSettings(st, s);
  EXPECT_EQ(Number(st, kAnalys, "PlotSize"), -5);
}

TEST(SettingsPersistence, WideValuesWriteTheirLow32Bits) {
  MemorySettingsStore st;
  AnalysisSettings s;
  s.lastVisibleSample = (int64_t{1} << 32) + 5;
  s.maxFrequencyHz = -1;
  SaveAnalysisSettings(st, s);
  EXPECT_EQ(Number(st, kAnalys, "PlotEndmySec"), 5);
  EXPECT_EQ(Number(st, kAnalys, "SpectMax"), -1);
}

TEST(SettingsPersistence, FftSizeAndOverlapAreNotStored) {
  MemorySettingsStore st;
  AnalysisSettings s;
  SaveAnalysisSettings(st, s);
  for (const auto& [key, v] : st.values[kAnalys]) {
    EXPECT_EQ(key.find("Overlap"), std::string::npos);
    EXPECT_NE(key, "FftSize");
  }
  // 31 keys and the two oscillogram switches "Amp" and "AmpLine".
  EXPECT_EQ(st.values[kAnalys].size(), 33u);
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

TEST(SettingsPersistence, PowerLevelsInThousandths) {
  MemorySettingsStore st;
  PowerSettings p;
  p.zeroV = 0.0125;
  p.maxV = 2.0004;
  SavePowerSettings(st, p);
  EXPECT_EQ(Number(st, "Settings\\Power", "ZeroV"), 13);
  EXPECT_EQ(Number(st, "Settings\\Power", "MaxV"), 2000);
  PowerSettings back;
  LoadPowerSettings(st, back);
  EXPECT_DOUBLE_EQ(back.zeroV, 0.013);
  EXPECT_DOUBLE_EQ(back.maxV, 2.0);
}

// Every stored number of thousandths, negative ones included, reads back and
// saves again as the same number, however often: a negative limit once lost
// one thousandth towards zero at every save (-1000 became -999, -998, ...).
TEST(SettingsPersistence, PowerLevelsInThousandthsSurviveEverySaveUnchanged) {
  for (int32_t stored : {INT32_MIN + 1, -2147483, -1000000, -70390, -1000, -999, -501, -500, -499, -1, 0, 1,
                         499, 500, 1000, 70390, 2147483, INT32_MAX}) {
    MemorySettingsStore st;
    st.WriteNumber("Settings\\Power", "ZeroV", stored);
    st.WriteNumber("Settings\\Power", "MaxV", -stored);
    for (int round = 0; round < 3; ++round) {
      PowerSettings p;
      LoadPowerSettings(st, p);
      SavePowerSettings(st, p);
      EXPECT_EQ(Number(st, "Settings\\Power", "ZeroV"), stored) << "round " << round;
      EXPECT_EQ(Number(st, "Settings\\Power", "MaxV"), -stored) << "round " << round;
    }
  }
  // Halves of a thousandth go up, as for positive values.
  MemorySettingsStore st;
  PowerSettings p;
  p.zeroV = -0.0625;
  p.maxV = -2.0004;
  SavePowerSettings(st, p);
  EXPECT_EQ(Number(st, "Settings\\Power", "ZeroV"), -62);
  EXPECT_EQ(Number(st, "Settings\\Power", "MaxV"), -2000);
}

TEST(SettingsPersistence, OlderPulseKeysInMilliseconds) {
  const std::string sec = "Settings\\Puls";
  {
    MemorySettingsStore st;
    st.WriteNumber(sec, "AmpSeparation", 3);
    st.WriteNumber(sec, "DurTime", 4);
    PulseSettings p;
    LoadPulseSettings(st, p);
    EXPECT_EQ(p.ampSeparationUs, 3000);
    EXPECT_EQ(p.durTimeUs, 4000);
  }
  {
    MemorySettingsStore st;
    st.WriteNumber(sec, "AmpSeparationMySec", 0);
    st.WriteNumber(sec, "AmpSeparation", 5);
    st.WriteNumber(sec, "DurTimeMySec", 700);
    st.WriteNumber(sec, "DurTime", 9);
    PulseSettings p;
    LoadPulseSettings(st, p);
    EXPECT_EQ(p.ampSeparationUs, 5000);
    EXPECT_EQ(p.durTimeUs, 700);
  }
  {
    MemorySettingsStore st;
    st.WriteNumber(sec, "AmpSeparationMySec", -4);
    st.WriteNumber(sec, "AmpSeparation", 0);
    PulseSettings p;
    LoadPulseSettings(st, p);
    EXPECT_EQ(p.ampSeparationUs, PulseSettings{}.ampSeparationUs);  // still not positive: the default stays
  }
  {
    MemorySettingsStore st;
    PulseSettings p;
    SavePulseSettings(st, p);
    EXPECT_FALSE(st.Has(sec, "AmpSeparation"));
    EXPECT_FALSE(st.Has(sec, "DurTime"));
    EXPECT_EQ(st.values[sec].size(), 32u);
  }
}

TEST(SettingsPersistence, DefaultDataReadingRules) {
  const std::string sec = "Settings\\DefData";
  MemorySettingsStore st;
  st.WriteNumber(sec, "Release", 7);
  st.WriteNumber(sec, "TimeExp25", 10000);
  st.WriteNumber(sec, "Chans", 2);
  st.WriteNumber(sec, "Bits", 16);
  st.WriteNumber(sec, "Rate", 44100);
  st.WriteText(sec, "By", std::string(50, 'x'));
  st.WriteText(sec, "At", "old contents");
  st.WriteText(sec, "Date", "01.01.99");
  st.WriteNumber(sec, "NiDaqSamp", 3);
  DefaultData d;
  d.info.SetContents("in use");
  LoadDefaultData(st, d);
  EXPECT_EQ(d.info.Release(), 3);
  EXPECT_EQ(d.info.TimeExpansion(), 10000);
  EXPECT_EQ(d.channels, 2);
  EXPECT_EQ(d.bits, 16);
  EXPECT_EQ(d.rateHz, 44100);
  EXPECT_EQ(d.info.RecordedBy(), std::string(39, 'x'));
  EXPECT_EQ(d.info.Contents(), "");
  EXPECT_EQ(d.info.Date(), "");
  EXPECT_EQ(d.niDaqSamp, 3);
}

TEST(SettingsPersistence, DefaultDataWritesEveryKey) {
  const std::string sec = "Settings\\DefData";
  MemorySettingsStore st;
  DefaultData d;
  d.info.SetContents("something");
  d.info.SetRecordedBy("Anna");
  d.info.SetDate("12.03.24");
  SaveDefaultData(st, d);
  EXPECT_EQ(Number(st, sec, "Release"), 3);
  EXPECT_EQ(Number(st, sec, "Version"), 1);
  EXPECT_EQ(Number(st, sec, "Build"), 0);
  EXPECT_EQ(st.ReadText(sec, "Copyright").value_or(""), RecordingInfo::kProductNotice);
  EXPECT_EQ(Number(st, sec, "TimeExp25"), 1000);
  EXPECT_EQ(Number(st, sec, "Chans"), 1);
  EXPECT_EQ(Number(st, sec, "Bits"), 8);
  EXPECT_EQ(Number(st, sec, "Rate"), 11025);
  EXPECT_EQ(st.ReadText(sec, "Date").value_or("?"), "12.03.24");
  EXPECT_EQ(st.ReadText(sec, "Time").value_or("?"), "");
  EXPECT_EQ(st.ReadText(sec, "At").value_or("?"), "");
  EXPECT_EQ(st.ReadText(sec, "By").value_or("?"), "Anna");
  EXPECT_EQ(Number(st, sec, "CBoardSamp"), 1);
  EXPECT_EQ(Number(st, sec, "NiDaqSamp"), 1);
  EXPECT_EQ(st.values[sec].size(), 14u);
}

TEST(SettingsPersistence, UserColorOnlyAtExactSize) {
  UserColorMap m = NamedMap("Night");
  auto bytes = MapBytes(m);
  {
    MemorySettingsStore st;
    st.WriteBinary(kAnalys, "UserColor", bytes);
    AnalysisSettings s;
    LoadAnalysisSettings(st, s);
    EXPECT_EQ(s.userColorMap.Name(), "Night");
    EXPECT_EQ(s.userColorMap.ranges[0].to, -60000);
  }
  for (size_t n : {size_t{1847}, size_t{1849}, size_t{0}}) {
    MemorySettingsStore st;
    auto b = bytes;
    b.resize(n);
    st.WriteBinary(kAnalys, "UserColor", b);
    AnalysisSettings s;
    LoadAnalysisSettings(st, s);
    EXPECT_EQ(s.userColorMap, UserColorMap()) << n;
  }
}

TEST(SettingsPersistence, UserColorInWholeDbIsConverted) {
  UserColorMap m;
  m.release = 2;
  m.version = 5;
  m.unitMarker = -1;
  m.ranges[1] = {0, -40, -2, 20, Rgb(1, 2, 3), Rgb(4, 5, 6), 0};
  MemorySettingsStore st;
  st.WriteBinary(kAnalys, "UserColor", MapBytes(m));
  AnalysisSettings s;
  LoadAnalysisSettings(st, s);
  EXPECT_EQ(s.userColorMap.unitMarker, -2);
  EXPECT_EQ(s.userColorMap.ranges[1].to, -40000);
  EXPECT_EQ(s.userColorMap.ranges[1].step, -2000);
  EXPECT_EQ(s.userColorMap.ranges[1].count, 20);
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

TEST(ColorMapStore, GapsOfUpToEightAreBridged) {
  MemorySettingsStore st;
  const std::string sec = "Settings\\ColorMap";
  st.WriteBinary(sec, "000", MapBytes(NamedMap("A")));
  st.WriteBinary(sec, "005", MapBytes(NamedMap("B")));
  st.WriteBinary(sec, "009", MapBytes(NamedMap("C")));
  st.WriteBinary(sec, "020", MapBytes(NamedMap("D")));
  ColorMapList list;
  LoadColorMaps(st, list);
  ASSERT_EQ(list.maps.size(), 3u);
  EXPECT_EQ(list.maps[0].Name(), "A");
  EXPECT_EQ(list.maps[1].Name(), "B");
  EXPECT_EQ(list.maps[2].Name(), "C");
  EXPECT_TRUE(WasRead(st, sec + "\\018"));
  EXPECT_FALSE(WasRead(st, sec + "\\019"));
}

TEST(ColorMapStore, NineMissingEndTheList) {
  MemorySettingsStore st;
  const std::string sec = "Settings\\ColorMap";
  st.WriteBinary(sec, "009", MapBytes(NamedMap("Too late")));
  ColorMapList list;
  LoadColorMaps(st, list);
  EXPECT_TRUE(list.maps.empty());  // "000" to "008" missing: nine misses
  st.WriteBinary(sec, "008", MapBytes(NamedMap("Late")));
  LoadColorMaps(st, list);
  ASSERT_EQ(list.maps.size(), 2u);
  EXPECT_EQ(list.maps[0].Name(), "Late");
}

TEST(ColorMapStore, EmptyValuesCountAsMissing) {
  MemorySettingsStore st;
  const std::string sec = "Settings\\ColorMap";
  st.WriteBinary(sec, "000", MapBytes(NamedMap("A")));
  st.WriteBinary(sec, "001", {});
  st.WriteBinary(sec, "002", MapBytes(NamedMap("B")));
  ColorMapList list;
  LoadColorMaps(st, list);
  ASSERT_EQ(list.maps.size(), 2u);
  EXPECT_EQ(list.maps[1].Name(), "B");
}

TEST(ColorMapStore, ShortValueIsReadWithoutOverrun) {
  MemorySettingsStore st;
  auto b = MapBytes(NamedMap("Short"));
  b.resize(60);
  st.WriteBinary("Settings\\ColorMap", "000", b);
  ColorMapList list;
  LoadColorMaps(st, list);
  ASSERT_EQ(list.maps.size(), 1u);
  EXPECT_EQ(list.maps[0].Name(), "Short");
}

TEST(ColorMapStore, FiveSavedLeaveTenEmptyValues) {
  MemorySettingsStore st;
  const std::string sec = "Settings\\ColorMap";
  ColorMapList list;
  for (int i = 0; i < 5; ++i) list.maps.push_back(NamedMap("M" + std::to_string(i)));
  SaveColorMaps(st, list);
  for (int i = 0; i < 5; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%03d", i);
    EXPECT_EQ(st.ReadBinary(sec, key).value_or(std::vector<uint8_t>{}).size(), 1848u) << key;
  }
  for (int i = 5; i <= 14; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%03d", i);
    auto v = st.ReadBinary(sec, key);
    ASSERT_TRUE(v.has_value()) << key;
    EXPECT_TRUE(v->empty()) << key;
  }
  EXPECT_FALSE(st.Has(sec, "015"));
}

TEST(ColorMapStore, ShorterListHidesOlderEntries) {
  MemorySettingsStore st;
  ColorMapList list;
  for (int i = 0; i < 20; ++i) list.maps.push_back(NamedMap("M" + std::to_string(i)));
  SaveColorMaps(st, list);
  list.maps.resize(3);
  SaveColorMaps(st, list);
  ColorMapList back;
  LoadColorMaps(st, back);
  ASSERT_EQ(back.maps.size(), 3u);
  EXPECT_EQ(back.maps[2].Name(), "M2");
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

TEST(MemoryStore, MissingValueLeavesField) {
  MemorySettingsStore st;
  int32_t v = 42;
  EXPECT_FALSE(st.Read("S", "K", v));
  EXPECT_EQ(v, 42);
  st.WriteText("S", "K", "text");
  EXPECT_FALSE(st.Read("S", "K", v));  // another kind counts as missing
  EXPECT_EQ(v, 42);
  st.WriteNumber("S", "K", 7);
  EXPECT_TRUE(st.Read("S", "K", v));
  EXPECT_EQ(v, 7);
}

}  // namespace
}  // namespace nv
