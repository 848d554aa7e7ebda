// Byte-exact layouts of every stored record.
#include <gtest/gtest.h>

#include "base/MarkRecord.h"
#include "base/RecordingInfo.h"
#include "base/WaveFormat.h"
#include "base/ByteOrder.h"
#include "fileformats/CompressionInfo.h"
#include "settings/UserColorMap.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

TEST(RecordLayout, RecordingInfoDefaultsAndOffsets) {
  RecordingInfo r;
  auto b = r.Bytes();
  ASSERT_EQ(b.size(), 212u);
  EXPECT_EQ(GetI32(&b[0]), 3);
  EXPECT_EQ(GetI32(&b[4]), 1);
  EXPECT_EQ(GetI32(&b[8]), 0);
  EXPECT_EQ(GetText(&b[12], 40), RecordingInfo::kProductNotice);
  EXPECT_LE(std::string(RecordingInfo::kProductNotice).size(), 39u);
  EXPECT_EQ(GetI32(&b[52]), 1000);
  EXPECT_EQ(GetI32(&b[204]), -1);
  EXPECT_EQ(GetI32(&b[208]), -1);
  r.SetDate("01.02.2026");  // longer than 9 characters: cut
  r.SetTime("22:15");
  r.SetRecordedBy("R. Field");
  r.SetContents("Myotis at the pond");
  b = r.Bytes();
  EXPECT_EQ(GetText(&b[56], 10), "01.02.202");
  EXPECT_EQ(b[65], 0);
  EXPECT_EQ(GetText(&b[72], 10), "22:15");
  EXPECT_EQ(GetText(&b[82], 40), "R. Field");
  EXPECT_EQ(GetText(&b[122], 80), "Myotis at the pond");
}

TEST(RecordLayout, TextsReadFromRecordsEndWithinTheirFields) {
  std::vector<uint8_t> junk(212, 'A');
  RecordingInfo r;
  r.ReadBytes(junk.data(), junk.size());
  EXPECT_EQ(r.Date().size(), 9u);
  EXPECT_EQ(r.Time().size(), 9u);
  EXPECT_EQ(r.RecordedBy().size(), 39u);
  EXPECT_EQ(r.Contents().size(), 79u);
  EXPECT_EQ(r.ProductNotice().size(), 39u);
  std::vector<uint8_t> mark(540, 'B');
  MarkRecord m;
  m.ReadBytes(mark.data(), mark.size());
  EXPECT_EQ(m.label.size(), 79u);
  EXPECT_EQ(m.description.size(), 399u);
  EXPECT_EQ(m.ToBytes()[139], 0);
  EXPECT_EQ(m.ToBytes()[539], 0);
}

TEST(RecordLayout, MarkRecordFreshAndWritten) {
  MarkRecord m;
  auto b = m.ToBytes();
  ASSERT_EQ(b.size(), 540u);
  EXPECT_EQ(GetI32(&b[0]), 540);
  EXPECT_EQ(GetI32(&b[4]), 3);
  EXPECT_EQ(GetI32(&b[8]), 1);
  EXPECT_EQ(GetI32(&b[12]), 0);
  EXPECT_EQ(GetI32(&b[16]), 0);
  for (size_t off = 24; off <= 52; off += 4) EXPECT_EQ(GetI32(&b[off]), -1) << off;
  EXPECT_EQ(GetI32(&b[56]), 0);
  m.position = 12345;
  m.value = 45000;
  m.channel = 2;
  m.number = 4;
  m.label = "FM call";
  m.description = "steep sweep";
  b = m.ToBytes();
  EXPECT_EQ(GetI32(&b[12]), 12345);
  EXPECT_EQ(GetI32(&b[16]), 45000);
  EXPECT_EQ(GetI32(&b[24]), 2);
  EXPECT_EQ(GetI32(&b[52]), 4);
  EXPECT_EQ(GetText(&b[60], 80), "FM call");
  EXPECT_EQ(GetText(&b[140], 400), "steep sweep");
  MarkRecord back;
  back.ReadBytes(b.data(), b.size());
  EXPECT_EQ(back.ToBytes(), b);
}

TEST(RecordLayout, CompressionInfoAndKeptSegment) {
  CompressionInfo c;
  auto b = c.ToBytes();
  ASSERT_EQ(b.size(), 168u);
  const int32_t head[8] = {168, 3, 1, 5, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(GetI32(&b[4 * i]), head[i]);
  EXPECT_EQ(GetU32(&b[32]), 0x80000000u);
  EXPECT_EQ(GetU32(&b[36]), 0x80000000u);
  for (size_t i = 40; i < 168; ++i) EXPECT_EQ(b[i], 0);
  c.levelDb = -40;
  c.beforeMs = 5;
  c.afterMs = 9999;
  c.segmentCount = 3;
  EXPECT_EQ(CompressionInfo::FromBytes(c.ToBytes().data()).ToBytes(), c.ToBytes());
  KeptSegment s{100, 250};
  auto sb = s.ToBytes();
  EXPECT_EQ(GetI32(&sb[0]), 16);
  EXPECT_EQ(GetI32(&sb[4]), 100);
  EXPECT_EQ(GetI32(&sb[8]), 250);
  EXPECT_EQ(GetI32(&sb[12]), 0);
}

TEST(RecordLayout, WaveFormatIsTheEighteenByteFmtForm) {
  WaveFormatEx f;
  f.SetFormat(2, 16, 44100);
  auto b = f.ToBytes();
  const uint8_t expect[18] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.end()), std::vector<uint8_t>(expect, expect + 18));
}

TEST(RecordLayout, ViewRecordDefaultsForOldRecords) {
  ViewRecord r;
  auto b = r.Bytes();
  ASSERT_EQ(b.size(), 1968u);
  EXPECT_EQ(r.At(0), 3);
  EXPECT_EQ(r.At(4), 1);
  const uint8_t sw[6] = {1, 0, 1, 1, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b[8 + i], sw[i]);
  const std::pair<size_t, int32_t> expect[] = {
      {16, 15000}, {20, 0}, {24, -1}, {28, -10000}, {32, 10000}, {36, 0}, {44, 0}, {48, -1},
      {52, 16},    {56, 2}, {60, 0},  {64, 0},      {68, 0},     {72, 9}, {76, 50}, {80, 0},
      {84, 5},     {88, 0}, {92, 0},  {96, -1},     {100, 0},    {104, -1}, {108, 0}, {112, 0}};
  for (auto [off, v] : expect) EXPECT_EQ(r.At(off), v) << "offset " << off;
  auto map = UserColorMap().ToBytes();
  EXPECT_TRUE(std::equal(map.begin(), map.end(), b.begin() + 120));
}

TEST(RecordLayout, ViewRecordConversionKeepsLow32BitsAndSignExtends) {
  AnalysisSettings s;
  s.timePerPlotUs = 2500000;
  s.minFrequencyHz = 15000;
  s.maxFrequencyHz = -1;
  s.firstVisibleSample = 0x1'0000'0005;  // only the low 32 bits are stored
  s.lastVisibleSample = -1;
  s.fftSize = 512;
  s.fftOverlap = 75;
  s.colorScheme = 100;
  s.fontSize = 11;
  s.freqGridY = 3;
  s.oscGridY = 2;
  s.userColorMap.SetName("Bats");
  s.userColorMap.rangeCount = 1;
  ViewRecord r = ViewRecord::FromSettings(s);
  EXPECT_EQ(r.At(16), 2500000);
  EXPECT_EQ(r.At(20), 15000);
  EXPECT_EQ(r.At(24), -1);
  EXPECT_EQ(r.At(36), 5);
  EXPECT_EQ(r.At(44), 512);
  EXPECT_EQ(r.At(48), 75);
  EXPECT_EQ(r.At(60), 100);
  EXPECT_EQ(r.At(72), 11);
  EXPECT_EQ(r.At(96), 3);
  EXPECT_EQ(r.At(112), 2);
  EXPECT_EQ(GetText(&r.Bytes()[128], 32), "Bats");
  AnalysisSettings back = r.ToSettings();
  EXPECT_EQ(back.firstVisibleSample, 5);
  EXPECT_EQ(back.maxFrequencyHz, -1);
  s.firstVisibleSample = 5;
  EXPECT_EQ(back, s);
}

TEST(RecordLayout, ViewRecordUpgradeAndRebase) {
  ViewRecord r;
  r.SetAt(0, 2);
  r.SetAt(4, 4);
  r.SetAt(16, 20);
  r.SetAt(36, 3);
  r.SetAt(40, -1);
  ASSERT_TRUE(r.IsAcceptable());
  r.UpgradeIfOld();
  EXPECT_EQ(r.Release(), 3);
  EXPECT_EQ(r.Version(), 1);
  EXPECT_EQ(r.At(16), 20000);
  EXPECT_EQ(r.At(36), 3000);
  EXPECT_EQ(r.At(40), -1);
  r.SetAt(36, 5000);
  r.SetAt(40, 9000);
  r.Rebase(1000);
  EXPECT_EQ(r.At(36), 4000);
  EXPECT_EQ(r.At(40), 8000);
  r.Rebase(6000);
  EXPECT_EQ(r.At(36), 0);
  EXPECT_EQ(r.At(40), -1);
  ViewRecord bad;
  bad.SetAt(4, 2);
  EXPECT_FALSE(bad.IsAcceptable());  // release 3 with version 2
  bad.SetAt(0, 4);
  bad.SetAt(4, 0);
  EXPECT_FALSE(bad.IsAcceptable());
  bad.SetAt(0, 1);
  bad.SetAt(4, 100);
  EXPECT_FALSE(bad.IsAcceptable());
}

TEST(RecordLayout, UserColorMapTemplateAndOlderForm) {
  UserColorMap m;
  auto b = m.ToBytes();
  ASSERT_EQ(b.size(), 1848u);
  EXPECT_EQ(GetI32(&b[0]), 3);
  EXPECT_EQ(GetI32(&b[40]), 0);
  EXPECT_EQ(GetI32(&b[44]), -2);
  const int32_t slot0[7] = {0, -90, -1, 90, 0x404040, 0xF0F0F0, INT32_MIN};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(GetI32(&b[56 + 4 * i]), slot0[i]);
  const int32_t slot1[4] = {0, 0, 0, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GetI32(&b[56 + 28 + 4 * i]), slot1[i]);
  // Whole dB of release 2 version 5 become thousandths.
  UserColorMap old;
  old.release = 2;
  old.version = 5;
  old.unitMarker = -1;
  old.ranges[0] = {-10, -40, -3, 10, 0, 0, 0};
  old.ranges[5] = {0, 0, 0, 7, 1, 2, 3};  // unused: back to the template
  old.BringToCurrentForm();
  EXPECT_EQ(old.unitMarker, -2);
  EXPECT_EQ(old.ranges[0].from, -10000);
  EXPECT_EQ(old.ranges[0].to, -40000);
  EXPECT_EQ(old.ranges[0].count, 10);
  EXPECT_EQ(old.ranges[0].step, -3000);
  EXPECT_EQ(old.ranges[5], UserColorMap::TemplateSlot(5));
  EXPECT_EQ(UserColorMap::FromBytes(old.ToBytes().data()), old);
}

}  // namespace
}  // namespace nv
