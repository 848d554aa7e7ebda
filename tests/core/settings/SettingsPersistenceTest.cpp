#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "core/settings/SettingsTestSupport.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsPersistence.h"

namespace nv {
namespace {

using test::kAnalys;
using test::MapBytes;
using test::NamedMap;
using test::Number;
using test::WasRead;

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

// A span in milliseconds from an older store is taken only when it fits the
// 32-bit microseconds it is saved as; a larger one leaves the default (and
// the threshold unread), so that a save and a load keep what was loaded.
TEST(SettingsPersistence, MillisecondSpansBeyondThirtyTwoBitMicrosecondsLeaveTheDefault) {
  const struct {
    int32_t ms;
    int64_t spanUs;
  } cases[] = {{2147483, 2147483000}, {2147484, 15000000}, {1500010000, 15000000}, {INT32_MAX, 15000000}};
  for (const auto& c : cases) {
    MemorySettingsStore st;
    st.WriteNumber(kAnalys, "PlotSize", c.ms);
    st.WriteNumber(kAnalys, "FftThresHold", 7);
    AnalysisSettings s;
    LoadAnalysisSettings(st, s);
    EXPECT_EQ(s.timePerPlotUs, c.spanUs) << c.ms;
    EXPECT_EQ(s.threshold, c.spanUs == 15000000 ? 16 : 7) << c.ms;
    MemorySettingsStore saved;
    SaveAnalysisSettings(saved, s);
    AnalysisSettings back;
    LoadAnalysisSettings(saved, back);
    EXPECT_EQ(back.timePerPlotUs, s.timePerPlotUs) << c.ms;
  }
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
