// Reading and writing sound files: round trips, older files, range saves,
// compression, malformed input and the failure paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "TestSupport.h"
#include "fileformats/Compressor.h"
#include "fileformats/FileIo.h"
#include "fileformats/FileType.h"
#include "fileformats/SoundFileWriter.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

using test::RiffBuilder;
using test::ScopedSink;
using test::TempDir;

std::vector<uint8_t> Ramp16(int frames, int channels) {
  std::vector<int16_t> s;
  for (int i = 0; i < frames * channels; ++i) s.push_back(static_cast<int16_t>(i * 37 - 20000));
  return test::Samples16(s);
}

class SoundFile : public ::testing::Test {
 protected:
  ScopedSink sink;
  TempDir dir;
};

TEST_F(SoundFile, RoundTripThroughEveryWrittenType) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Ramp16(3001, 2);
  test::FillDocument(doc, 2, 16, 48000, bytes);
  doc.Info().SetTimeExpansion(10000);
  doc.Info().SetContents("pond, 21:40");
  struct Case {
    int code;
    std::string openLabel;
    int found;
  } cases[] = {{5, "", 5}, {1, "", 1}, {6, " [16 bit samples MONO]", 2}, {2, " [16 bit samples MONO]", 2}};
  for (const Case& c : cases) {
    std::string name = "rt";
    name += std::to_string(c.code);
    std::string path = dir.File(name + ".wav");
    ASSERT_TRUE(doc.Save({path, FileTypeFromCode(c.code)})) << c.code;
    CNorvaneDoc back(documents);
    ASSERT_TRUE(back.Open(SoundFilePath::FromLabelled(path + c.openLabel))) << c.code;
    EXPECT_EQ(back.File().type, FileTypeFromCode(c.found));
    EXPECT_EQ(test::WorkBytes(back), bytes) << c.code;
    if (c.code == 5) {
      EXPECT_EQ(back.Info().Bytes(), doc.Info().Bytes());
      EXPECT_EQ(back.Format().nChannels, 2);
      EXPECT_EQ(back.Format().nSamplesPerSec, 48000u);
      EXPECT_EQ(back.File().Labelled(), path + " [Wave]");
    }
    if (c.code == 1) {
      // No private forms: the factor travels in the GUANO chunk.
      EXPECT_EQ(back.Info().TimeExpansion(), 10000);
      EXPECT_EQ(back.Info().Contents(), "");
    }
  }
  // 8-bit mono as type 3 reads back as 8-bit samples.
  CNorvaneDoc eight(documents);
  std::vector<uint8_t> b8 = {0, 128, 255, 1, 2, 3, 127};
  test::FillDocument(eight, 1, 8, 22050, b8);
  ASSERT_TRUE(eight.Save({dir.File("e.dat"), FileType::Samples8Mono}));
  CNorvaneDoc back8(documents);
  ASSERT_TRUE(back8.Open(SoundFilePath::FromLabelled(dir.File("e.dat") + " [8 bit samples MONO]")));
  EXPECT_EQ(back8.Format().wBitsPerSample, 8);
  EXPECT_EQ(test::WorkBytes(back8), b8);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(SoundFile, NorvaneWaveCarriesViewsAndMarksInOrder) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, Ramp16(10000, 1));
  test::FakeView first, second;
  first.settings.fftSize = 256;
  second.settings.fftSize = 1024;
  doc.RegisterSoundView(&first);
  doc.RegisterSoundView(&second);
  for (int i = 0; i < 3; ++i) {
    MarkRecord m;
    m.number = i;
    m.position = 1000 * (i + 1);
    m.label = "M";
    m.label += std::to_string(i);
    m.active = 1;
    doc.Marks().AppendFromFile(m);
  }
  const std::string path = dir.File("views.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));
  doc.RemoveView(&first);
  doc.RemoveView(&second);

  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.ViewRecordsRead(), 2);
  // The view registered first at save time is restored first.
  test::FakeView v;
  auto s = back.RegisterSoundView(&v);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->fftSize, 256);
  back.RemoveView(&v);
  ASSERT_EQ(back.Marks().size(), 3u);
  EXPECT_EQ(back.Marks()[2].label, "M2");
  EXPECT_EQ(back.Marks()[1].position, 2000);
  EXPECT_EQ(back.Marks()[0].active, 0);  // cleared on reading
  EXPECT_EQ(back.Marks().NextNumber(), 3);
}

TEST_F(SoundFile, RangeSaveKeepsMarksInsideAndRebasesViews) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Ramp16(10000, 1);
  test::FillDocument(doc, 1, 16, 44100, bytes);
  test::FakeView view;
  view.settings.firstVisibleSample = 3000;
  view.settings.lastVisibleSample = 7000;
  doc.RegisterSoundView(&view);
  for (int pos : {500, 2000, 4000, 6000, 9000}) {
    MarkRecord m;
    m.number = pos / 100;
    m.position = pos;
    doc.Marks().AppendFromFile(m);
  }
  const std::string path = dir.File("range.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}, 6000, 2000));  // swapped: frames 2000 to 6000
  doc.RemoveView(&view);
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.FrameCount(), 4000);
  std::vector<uint8_t> expect(bytes.begin() + 4000, bytes.begin() + 12000);
  EXPECT_EQ(test::WorkBytes(back), expect);
  ASSERT_EQ(back.Marks().size(), 3u);  // 2000, 4000 and 6000 (not beyond the end)
  EXPECT_EQ(back.Marks()[0].position, 0);
  EXPECT_EQ(back.Marks()[1].position, 2000);
  EXPECT_EQ(back.Marks()[2].position, 4000);
  ASSERT_EQ(back.PendingViewRecords().size(), 1u);
  EXPECT_EQ(back.PendingViewRecords()[0].firstVisibleSample, 1000);
  EXPECT_EQ(back.PendingViewRecords()[0].lastVisibleSample, 5000);
  // A start past the view's first sample: 0 and "not set".
  view.settings.firstVisibleSample = 100;
  doc.RegisterSoundView(&view);
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}, 2000, 6000));
  doc.RemoveView(&view);
  CNorvaneDoc again(documents);
  ASSERT_TRUE(again.Open({path}));
  EXPECT_EQ(again.PendingViewRecords()[0].firstVisibleSample, 0);
  EXPECT_EQ(again.PendingViewRecords()[0].lastVisibleSample, -1);
  // Into raw data: just the bytes.
  ASSERT_TRUE(doc.Save({dir.File("range.raw"), FileType::RawData}, 10, 20));
  EXPECT_EQ(test::ReadFileBytes(dir.File("range.raw")),
            std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 40));
}

TEST_F(SoundFile, SavingTheDocumentsOwnFileClearsTheModifiedFlag) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 8, 11025, std::vector<uint8_t>(100, 128));
  const std::string path = dir.File("own.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));
  ASSERT_TRUE(doc.Open({path}));
  doc.SetModifiedFlag(true);
  ASSERT_TRUE(doc.Save({dir.File("other.wav"), FileType::NorvaneWave}));
  EXPECT_TRUE(doc.IsModified());
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));
  EXPECT_FALSE(doc.IsModified());
}

// Loud bursts in silence, 16-bit mono at 1000 Hz (1 frame = 1 ms).
std::vector<uint8_t> Bursts() {
  std::vector<int16_t> s(1000, 0);
  for (int i = 100; i < 110; ++i) s[i] = 20000;
  for (int i = 500; i < 520; ++i) s[i] = (i % 2) ? -15000 : 15000;
  s[998] = 30000;
  return test::Samples16(s);
}

TEST_F(SoundFile, CompressionKeepsLoudStretchesWithTheirMargins) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 1000, Bursts());
  EXPECT_EQ(CompressionThreshold(20, 16), 328);
  EXPECT_EQ(CompressionThreshold(-20, 8), 1);
  TempFile out;
  ASSERT_TRUE(out.Create("NcTmp"));
  std::vector<KeptSegment> segs;
  ASSERT_TRUE(CompressRange(doc.Samples(), 0, 1000, -20, doc.MicrosecondsToFrames(5000),
                            doc.MicrosecondsToFrames(3000), out, segs));
  // Loud 100-109: start 95; quiet from 110, the fourth quiet frame (113) closes.
  // Loud 500-519: 495 to 523. Loud 998 runs to the end: 993, 7 frames.
  const std::vector<KeptSegment> expect = {{95, 18}, {495, 28}, {993, 7}};
  EXPECT_EQ(segs, expect);
  EXPECT_EQ(out.Size(), (18 + 28 + 7) * 2);
  // An "after" of 0 takes the "before" value; a stretch never starts at 0.
  ASSERT_TRUE(CompressRange(doc.Samples(), 98, 1000, -20, doc.MicrosecondsToFrames(5000), 0, out, segs));
  EXPECT_EQ(segs[0].startFrame, 1);
  EXPECT_EQ(segs[0].lengthFrames, 16);  // loud 2-11, the sixth quiet frame (17) closes
}

TEST_F(SoundFile, CompressedSaveExpandsToTheEndOfTheLastSegment) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Bursts();
  test::FillDocument(doc, 1, 16, 1000, bytes);
  doc.Compression().levelDb = 20;
  doc.Compression().beforeMs = 5;
  doc.Compression().afterMs = 3;
  const std::string path = dir.File("comp.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWaveComp}));
  EXPECT_EQ(doc.Compression().segmentCount, 3);
  EXPECT_LT(test::ReadFileBytes(path).size(), bytes.size());
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.File().type, FileType::NorvaneWaveComp);
  EXPECT_EQ(back.File().Labelled(), path + " [Wave Comp]");
  ASSERT_EQ(back.KeptSegments().size(), 3u);
  EXPECT_EQ(back.FrameCount(), 1000);
  auto got = test::WorkBytes(back);
  // Kept stretches are exact; the gaps are silence.
  for (int i = 0; i < 1000; ++i) {
    bool kept = (i >= 95 && i < 113) || (i >= 495 && i < 523) || i >= 993;
    int16_t want = kept ? static_cast<int16_t>(GetU16(&bytes[2 * i])) : 0;
    ASSERT_EQ(static_cast<int16_t>(GetU16(&got[2 * i])), want) << i;
  }
  EXPECT_EQ(back.Compression().levelDb, 20);
  EXPECT_EQ(back.Compression().fileType, 7);
}

TEST_F(SoundFile, CloseBurstsGiveStretchesThatDoNotOverlap) {
  DocumentContext documents;
  // Two bursts 3 frames apart with 5 frames kept before and 2 after: the
  // second stretch would reach back into the first.
  std::vector<int16_t> s(200, 0);
  for (int i = 50; i < 55; ++i) s[i] = 20000;
  for (int i = 58; i < 62; ++i) s[i] = 20000;
  CNorvaneDoc doc(documents);
  auto bytes = test::Samples16(s);
  test::FillDocument(doc, 1, 16, 1000, bytes);
  TempFile out;
  ASSERT_TRUE(out.Create("NcTmp"));
  std::vector<KeptSegment> segs;
  ASSERT_TRUE(CompressRange(doc.Samples(), 0, 200, 20, doc.MicrosecondsToFrames(5000),
                            doc.MicrosecondsToFrames(2000), out, segs));
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ(segs[0], (KeptSegment{45, 12}));  // 45 ... 56, closed at the third quiet frame (57)
  EXPECT_EQ(segs[1].startFrame, 57);          // not 53
  // Saved and read back, every kept frame is where it was.
  doc.Compression().levelDb = 20;
  doc.Compression().beforeMs = 5;
  doc.Compression().afterMs = 2;
  ASSERT_TRUE(doc.Save({dir.File("close.wav"), FileType::NorvaneWaveComp}));
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({dir.File("close.wav")})) << sink.last();
  auto got = test::WorkBytes(back);
  ASSERT_EQ(got.size(), static_cast<size_t>(2 * (segs[1].startFrame + segs[1].lengthFrames)));
  EXPECT_TRUE(std::equal(got.begin() + 90, got.end(), bytes.begin() + 90));
}

TEST_F(SoundFile, EightBitCompressionFillsGapsWith128) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  std::vector<uint8_t> b(400, 128);
  for (int i = 200; i < 210; ++i) b[i] = 250;
  test::FillDocument(doc, 1, 8, 1000, b);
  doc.Compression().levelDb = 10;
  const std::string path = dir.File("c8.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWaveComp}));
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.FrameCount(), 210);  // 200..209 loud, closes at the first quiet frame
  auto got = test::WorkBytes(back);
  EXPECT_EQ(got[0], 128);
  EXPECT_EQ(got[205], 250);
}

TEST_F(SoundFile, PlainPcmWaveWithSixteenByteFormat) {
  DocumentContext documents;
  RiffBuilder rb;
  rb.Wave(1, 22050, 16, test::Samples16({1, -1, 300}));
  test::WriteFileBytes(dir.File("plain.wav"), rb.bytes);
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({dir.File("plain.wav")}));
  EXPECT_EQ(doc.File().type, FileType::StandardWave);
  EXPECT_EQ(doc.File().Labelled(), dir.File("plain.wav") + " [Standard Wave]");
  EXPECT_EQ(doc.FrameCount(), 3);
  EXPECT_EQ(doc.Info().Bytes(), RecordingInfo().Bytes());
  ASSERT_TRUE(doc.Save({dir.File("again.wav"), FileType::StandardWave}));
  auto out = test::ReadFileBytes(dir.File("again.wav"));
  EXPECT_EQ(GetU32(&out[16]), 18u);  // "fmt " of size 18
  EXPECT_EQ(GetU16(&out[36]), 0);    // cbSize 0
  EXPECT_EQ(std::string(out.begin() + 38, out.begin() + 42), "data");
}

TEST_F(SoundFile, FormatsOutsidePcmAreRefusedWithAClearMessage) {
  DocumentContext documents;
  auto make = [&](std::vector<uint8_t> fmt) {
    RiffBuilder rb;
    auto d = RiffBuilder::Chunk("data", std::vector<uint8_t>(12, 0));
    fmt.insert(fmt.end(), d.begin(), d.end());
    rb.Form("WAVE", fmt);
    test::WriteFileBytes(dir.File("f.wav"), rb.bytes);
    CNorvaneDoc doc(documents);
    return doc.Open({dir.File("f.wav")});
  };
  EXPECT_FALSE(make(RiffBuilder::Fmt(1, 1, 44100, 24)));
  EXPECT_NE(sink.last().find("24 bits per sample"), std::string::npos) << sink.last();
  EXPECT_FALSE(make(RiffBuilder::Fmt(3, 1, 44100, 32)));
  EXPECT_NE(sink.last().find("floating-point"), std::string::npos);
  EXPECT_FALSE(make(RiffBuilder::Fmt(1, 3, 44100, 16)));
  EXPECT_NE(sink.last().find("3 channels"), std::string::npos);
  EXPECT_FALSE(make(RiffBuilder::Fmt(1, 1, 0, 16)));
  EXPECT_FALSE(make(RiffBuilder::Fmt(1, 1, 6000000, 16)));
  EXPECT_NE(sink.last().find("6000000 Hz"), std::string::npos);
  EXPECT_FALSE(make(RiffBuilder::Fmt(1, 0, 44100, 16)));
  // Extensible with the PCM sub-format is read, as tag 1.
  std::vector<uint8_t> ext(40, 0);
  PutU16(&ext[0], 0xFFFE);
  PutU16(&ext[2], 2);
  PutU32(&ext[4], 96000);
  PutU16(&ext[12], 4);
  PutU16(&ext[14], 16);
  PutU16(&ext[16], 22);
  PutU16(&ext[24], 1);
  const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  std::memcpy(&ext[26], tail, 14);
  const size_t before = sink.texts().size();
  EXPECT_TRUE(make(RiffBuilder::Chunk("fmt ", ext)));
  EXPECT_EQ(sink.texts().size(), before);
  PutU16(&ext[24], 3);  // extensible floating point
  EXPECT_FALSE(make(RiffBuilder::Chunk("fmt ", ext)));
}

TEST_F(SoundFile, MalformedFilesFailWithTheirMessages) {
  DocumentContext documents;
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string message;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}, "File is not a valid WAVE sound file."});
  cases.push_back({"riff8", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, "File is not a valid WAVE sound file."});
  {
    RiffBuilder rb;
    rb.Form("WAVE", RiffBuilder::Chunk("data", {1, 2}));
    cases.push_back({"nofmt", rb.bytes, "Can not find format information."});
  }
  {
    RiffBuilder rb;
    rb.Form("WAVE", RiffBuilder::Fmt(1, 1, 8000, 8));
    cases.push_back({"nodata", rb.bytes, "Can not find sound data."});
  }
  {
    RiffBuilder rb;
    auto c = RiffBuilder::Chunk("fmt ", {1, 0, 1, 0, 0x40, 0x1F});
    rb.Form("WAVE", c);
    cases.push_back({"shortfmt", rb.bytes, "Can not read format information."});
  }
  {
    RiffBuilder rb;
    rb.Form("NRn0", std::vector<uint8_t>(100, 0));  // short recording information
    rb.Wave(1, 8000, 8, {128, 129});
    cases.push_back({"shortinfo", rb.bytes, "Can not read Norvane format information."});
  }
  for (const Case& c : cases) {
    test::WriteFileBytes(dir.File(c.name), c.bytes);
    CNorvaneDoc doc(documents);
    bool ok = doc.Open({dir.File(c.name)});
    EXPECT_EQ(sink.last(), c.message) << c.name;
    if (c.name == "shortinfo") {
      EXPECT_TRUE(ok);  // the sound is still read
      EXPECT_EQ(doc.FrameCount(), 2);
    } else {
      EXPECT_FALSE(ok) << c.name;
    }
  }
  CNorvaneDoc doc(documents);
  EXPECT_FALSE(doc.Open({dir.File("missing.wav")}));
  EXPECT_EQ(sink.last(), "Can not open file: No such file or directory");
}

TEST_F(SoundFile, ChunksRunningPastTheEndAreReadAsFarAsTheFileGoes) {
  DocumentContext documents;
  RiffBuilder rb;
  rb.Id("RIFF");
  rb.U32(0xFFFFFFF0u);
  rb.Id("WAVE");
  auto fmt = RiffBuilder::Fmt(1, 1, 8000, 16);
  rb.Raw(fmt.data(), fmt.size());
  rb.Id("data");
  rb.U32(0x7FFFFFFFu);  // claims 2 GiB
  auto s = test::Samples16({5, 6, 7, 8});
  rb.Raw(s.data(), s.size());
  rb.bytes.push_back(9);  // half a frame
  test::WriteFileBytes(dir.File("long.wav"), rb.bytes);
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({dir.File("long.wav")}));
  EXPECT_EQ(doc.FrameCount(), 4);
  EXPECT_EQ(doc.WorkFile().Size(), 9);
  // A chunk of size zero and odd-sized chunks with their pad bytes.
  RiffBuilder odd;
  std::vector<uint8_t> c = RiffBuilder::Chunk("LIST", {});
  auto junk = RiffBuilder::Chunk("junk", {1, 2, 3});
  c.insert(c.end(), junk.begin(), junk.end());
  auto f8 = RiffBuilder::Fmt(1, 1, 8000, 8);
  c.insert(c.end(), f8.begin(), f8.end());
  auto d = RiffBuilder::Chunk("data", {10, 20, 30});
  c.insert(c.end(), d.begin(), d.end());
  odd.Form("JUNK", {1, 2, 3});
  odd.Form("WAVE", c);
  test::WriteFileBytes(dir.File("odd.wav"), odd.bytes);
  CNorvaneDoc doc2(documents);
  ASSERT_TRUE(doc2.Open({dir.File("odd.wav")}));
  EXPECT_EQ(test::WorkBytes(doc2), (std::vector<uint8_t>{10, 20, 30}));
}

// A file that states no time-expansion factor (0 or below) is read as one
// without time expansion; every other factor is kept as stored, also beyond
// the 100 the format dialog offers (slowed copies state such factors).
TEST_F(SoundFile, AFactorOfNoneIsRepairedWhereTheFileIsRead) {
  DocumentContext documents;
  for (int32_t stored : {0, -1, -250000, 1, 10000, 320000}) {
    test::WriteFileBytes(dir.File("te.wav"), test::NorvaneFile(3, 1, stored, {}, 1968));
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({dir.File("te.wav")}));
    const int32_t expected = stored > 0 ? stored : 1000;
    EXPECT_EQ(doc.Info().TimeExpansion(), expected) << stored;
    EXPECT_EQ(doc.Time(), TimeBase(44100, expected)) << stored;
    EXPECT_EQ(doc.FramesToMicroseconds(44100), int64_t{1000000} * 1000 / expected) << stored;
  }
}

TEST_F(SoundFile, OldFilesAreSettledToTheCurrentVersion) {
  DocumentContext documents;
  // Release 1: plain time-expansion factor, 80-byte view records in ms.
  ViewRecord old;
  old.SetAt(0, 1);
  old.SetAt(4, 0);
  old.SetAt(16, 250);  // ms
  old.SetAt(36, 10);
  old.SetAt(84, 77);   // beyond 80 bytes: not read
  test::WriteFileBytes(dir.File("r1.wav"), test::NorvaneFile(1, 0, 10, {old}, 80));
  CNorvaneDoc d1(documents);
  ASSERT_TRUE(d1.Open({dir.File("r1.wav")}));
  EXPECT_EQ(d1.File().type, FileType::NorvaneWave);
  EXPECT_EQ(d1.Info().TimeExpansion(), 10000);
  EXPECT_EQ(d1.Info().Release(), 3);
  EXPECT_EQ(d1.Info().Version(), 1);
  ASSERT_EQ(d1.PendingViewRecords().size(), 1u);
  EXPECT_EQ(d1.PendingViewRecords()[0].timePerPlotUs, 250000);
  EXPECT_EQ(d1.PendingViewRecords()[0].firstVisibleSample, 10000);
  EXPECT_EQ(d1.PendingViewRecords()[0].freqThreshold, 5);  // default beyond 80 bytes
  EXPECT_EQ(d1.Marks().size(), 1u);
  EXPECT_EQ(d1.Marks().NextNumber(), 10);

  // Release 2 version 4: factor kept, 80-byte records.
  test::WriteFileBytes(dir.File("r24.wav"), test::NorvaneFile(2, 4, 2000, {old}, 80));
  CNorvaneDoc d24(documents);
  ASSERT_TRUE(d24.Open({dir.File("r24.wav")}));
  EXPECT_EQ(d24.Info().TimeExpansion(), 2000);
  EXPECT_EQ(d24.PendingViewRecords().size(), 1u);

  // Release 5 version 2 is release 2 version 5: full records.
  ViewRecord full = ViewRecord::FromSettings(AnalysisSettings{});
  full.SetAt(72, 14);
  test::WriteFileBytes(dir.File("r52.wav"), test::NorvaneFile(5, 2, 3000, {full}, 1968));
  CNorvaneDoc d52(documents);
  ASSERT_TRUE(d52.Open({dir.File("r52.wav")}));
  EXPECT_EQ(d52.Info().TimeExpansion(), 3000);
  ASSERT_EQ(d52.PendingViewRecords().size(), 1u);
  EXPECT_EQ(d52.PendingViewRecords()[0].fontSize, 14);

  // Release 0 below version 9: defaults.
  test::WriteFileBytes(dir.File("r0.wav"), test::NorvaneFile(0, 3, 5000, {full}, 1968));
  CNorvaneDoc d0(documents);
  ASSERT_TRUE(d0.Open({dir.File("r0.wav")}));
  EXPECT_EQ(d0.Info().TimeExpansion(), 1000);
  EXPECT_EQ(d0.Info().Contents(), "");
  EXPECT_TRUE(sink.texts().empty()) << sink.last();

  // A later version: message, the sound is read, no private forms.
  test::WriteFileBytes(dir.File("r4.wav"), test::NorvaneFile(4, 0, 1000, {full}, 1968));
  CNorvaneDoc d4(documents);
  ASSERT_TRUE(d4.Open({dir.File("r4.wav")}));
  EXPECT_EQ(sink.last(),
            "Can not read all Norvane format information, file written with Norvane version later "
            "than this.");
  EXPECT_EQ(d4.PendingViewRecords().size(), 0u);
  EXPECT_EQ(d4.Marks().size(), 0u);
  EXPECT_EQ(d4.FrameCount(), 4);

  // An unacceptable view record stops the records and suppresses the marks.
  ViewRecord bad = full;
  bad.SetAt(4, 7);
  test::WriteFileBytes(dir.File("bad.wav"), test::NorvaneFile(3, 1, 1000, {full, bad, full}, 1968));
  CNorvaneDoc db(documents);
  ASSERT_TRUE(db.Open({dir.File("bad.wav")}));
  EXPECT_EQ(db.PendingViewRecords().size(), 1u);
  EXPECT_EQ(db.Marks().size(), 0u);
}

TEST_F(SoundFile, DamagedKeptSegmentsAreRefused) {
  DocumentContext documents;
  auto file = [&](const std::vector<KeptSegment>& segs) {
    RiffBuilder rb;
    auto ib = RecordingInfo().Bytes();
    rb.Form("NRn0", std::vector<uint8_t>(ib.begin(), ib.end()));
    auto cb = CompressionInfo().ToBytes();
    std::vector<uint8_t> c(cb.begin(), cb.end());
    for (const auto& s : segs) {
      auto sb = s.ToBytes();
      c.insert(c.end(), sb.begin(), sb.end());
    }
    rb.Form("NRnC", c);
    rb.Wave(1, 8000, 8, std::vector<uint8_t>(20, 200));
    test::WriteFileBytes(dir.File("seg.wav"), rb.bytes);
    CNorvaneDoc doc(documents);
    bool ok = doc.Open({dir.File("seg.wav")});
    return std::make_pair(ok, ok ? doc.FrameCount() : FrameIndex{-1});
  };
  EXPECT_EQ(file({{5, 10}, {20, 10}}), std::make_pair(true, FrameIndex{30}));
  // Data shorter than the segments (a cut file): the sound ends with the data.
  EXPECT_EQ(file({{0, 10}, {100, 50}}), std::make_pair(true, FrameIndex{110}));
  EXPECT_EQ(file({{0, 30}, {100, 50}}), std::make_pair(true, FrameIndex{20}));
  EXPECT_FALSE(file({{10, 10}, {15, 5}}).first);  // overlapping
  EXPECT_FALSE(file({{-1, 10}}).first);
  EXPECT_FALSE(file({{0, -5}}).first);
  EXPECT_FALSE(file({{2000000000, 200000000}}).first);  // past 32-bit positions
  EXPECT_NE(sink.last().find("damaged"), std::string::npos);
}

TEST_F(SoundFile, KeptSegmentsAreExpandedOnlyInProportionToTheData) {
  DocumentContext documents;
  // 16-bit mono, so that the silence of an expansion is a hole of the work file.
  auto file = [&](const std::vector<KeptSegment>& segs, int dataFrames) {
    RiffBuilder rb;
    auto ib = RecordingInfo().Bytes();
    rb.Form("NRn0", std::vector<uint8_t>(ib.begin(), ib.end()));
    auto cb = CompressionInfo().ToBytes();
    std::vector<uint8_t> c(cb.begin(), cb.end());
    for (const auto& s : segs) {
      auto sb = s.ToBytes();
      c.insert(c.end(), sb.begin(), sb.end());
    }
    rb.Form("NRnC", c);
    rb.Wave(1, 8000, 16, std::vector<uint8_t>(2 * static_cast<size_t>(dataFrames), 7));
    test::WriteFileBytes(dir.File("seg.wav"), rb.bytes);
    sink.sink.texts.clear();
    CNorvaneDoc doc(documents);
    bool ok = doc.Open({dir.File("seg.wav")});
    return std::make_pair(ok, ok ? doc.FrameCount() : FrameIndex{-1});
  };
  // No silence before a segment of which the data holds nothing: the data
  // ends the sound, however far away the segment claims to start.
  EXPECT_EQ(file({{0, 20}, {1000000000, 50}}, 20), std::make_pair(true, FrameIndex{20}));
  EXPECT_EQ(file({{0, 20}, {2147483000, 600}}, 20), std::make_pair(true, FrameIndex{20}));
  EXPECT_EQ(file({{0, 20}, {100, 0}}, 20), std::make_pair(true, FrameIndex{20}));
  // A segment of no frames in the middle changes nothing.
  EXPECT_EQ(file({{0, 10}, {50, 0}, {100, 10}}, 20), std::make_pair(true, FrameIndex{110}));
  // A few frames may expand to 2^24 frames whatever they are...
  EXPECT_EQ(file({{0, 1}, {(1 << 24) - 1, 1}}, 2), std::make_pair(true, FrameIndex{1 << 24}));
  EXPECT_FALSE(file({{0, 1}, {1 << 24, 1}}, 2).first);
  EXPECT_NE(sink.last().find("damaged"), std::string::npos);
  // ... more data to 4096 times its length, and no further.
  EXPECT_EQ(file({{0, 4096}, {(1 << 25) - 4096, 4096}}, 8192), std::make_pair(true, FrameIndex{1 << 25}));
  EXPECT_FALSE(file({{0, 4096}, {(1 << 25) - 4095, 4096}}, 8192).first);
  // A file of a few bytes that claims nearly 2^31 frames is refused at once.
  EXPECT_FALSE(file({{0, 1}, {2147483000, 600}}, 2).first);
  EXPECT_NE(sink.last().find("damaged"), std::string::npos);
}

TEST_F(SoundFile, RawFilesOfEveryReadableType) {
  DocumentContext documents;
  // Odd length as 16-bit: half a frame stays in the work file.
  test::WriteFileBytes(dir.File("odd.dat"), {1, 0, 2, 0, 3});
  CNorvaneDoc a(documents);
  ASSERT_TRUE(a.Open(SoundFilePath::FromLabelled(dir.File("odd.dat") + " [16 bit samples MONO]")));
  EXPECT_EQ(a.File().type, FileType::Samples16Mono);
  EXPECT_EQ(a.FrameCount(), 2);
  EXPECT_EQ(a.WorkFile().Size(), 5);
  EXPECT_EQ(a.Format().nSamplesPerSec, 22050u);
  EXPECT_EQ(a.LastBufferIndex(), 0);
  // 60 header bytes, then unsigned 16-bit samples at 44 100 Hz.
  std::vector<uint8_t> sp(60, 0xEE);
  for (uint16_t u : {0x8000, 0x0000, 0xFFFF, 0x8001}) {
    sp.push_back(static_cast<uint8_t>(u));
    sp.push_back(static_cast<uint8_t>(u >> 8));
  }
  test::WriteFileBytes(dir.File("sp.dat"), sp);
  CNorvaneDoc b(documents);
  ASSERT_TRUE(b.Open(SoundFilePath::FromLabelled(dir.File("sp.dat") + " [Special 60 bytes head MONO]")));
  EXPECT_EQ(b.Format().nSamplesPerSec, 44100u);
  EXPECT_EQ(test::WorkBytes(b), test::Samples16({0, -32768, 32767, 1}));
  EXPECT_EQ(b.File().Labelled(), dir.File("sp.dat") + " [Special 60 bytes head MONO]");
  // An empty raw file opens with no frames.
  test::WriteFileBytes(dir.File("empty.dat"), {});
  CNorvaneDoc c(documents);
  ASSERT_TRUE(c.Open(SoundFilePath::FromLabelled(dir.File("empty.dat") + " [8 bit samples MONO]")));
  EXPECT_EQ(c.FrameCount(), 0);
  EXPECT_EQ(c.LastBufferIndex(), 0);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(SoundFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  DocumentContext documents;
  const std::string path = dir.File("keep.wav");
  test::WriteFileBytes(path, {'o', 'l', 'd'});
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, std::vector<uint8_t>(200000, 3));
  // Limit the size of files this process may write, so that the save fails
  // half-way as on a full disk.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old;
  lim.rlim_cur = 50000;
  setrlimit(RLIMIT_FSIZE, &lim);
  const bool riff = doc.Save({path, FileType::NorvaneWave});
  const std::string riffMsg = sink.last();
  const bool raw = doc.Save({path, FileType::RawData});
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(riff);
  EXPECT_EQ(riffMsg, "Disk write error! Disk full or write protected?");
  EXPECT_FALSE(raw);
  EXPECT_EQ(sink.last().rfind("Error writing to file: ", 0), 0u) << sink.last();
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path)) (void)e, ++files;
  EXPECT_EQ(files, 1);
  // A target in a folder that does not exist.
  EXPECT_FALSE(doc.Save({dir.File("no/such/dir.wav"), FileType::NorvaneWave}));
  EXPECT_EQ(sink.last(), "Failed to open/create file.");
  EXPECT_FALSE(doc.Save({dir.File("no/such/dir.raw"), FileType::RawData}));
  EXPECT_EQ(sink.last(), "Can not open file: No such file or directory");
}

TEST_F(SoundFile, DiskSpaceAndSizeLimitsAreCheckedBeforeWriting) {
  DocumentContext documents;
  EXPECT_TRUE(CheckDiskSpace(dir.File("x.wav"), 1000));
  EXPECT_FALSE(CheckDiskSpace(dir.File("x.wav"), int64_t{1} << 60));
  EXPECT_EQ(sink.last(), "Disk full!");
  EXPECT_TRUE(CheckDiskSpace("/no/such/dir/x.wav", int64_t{1} << 60));  // unknown: passes
  // More than 4 GiB of sound does not fit a WAVE form (a sparse work file).
  CNorvaneDoc doc(documents);
  doc.SetFormat(2, 16, 44100);
  doc.RecomputeBufferSize();
  ASSERT_TRUE(doc.WritableWorkFile().Truncate((int64_t{1} << 32) + 400));
  doc.SetLength(doc.BytesToFrames(doc.WorkFile().Size()));
  EXPECT_FALSE(WriteRiffFile(dir.File("big.wav"), FileType::NorvaneWave, doc.Contents(), doc.WritableWorkFile(), 0, doc.FrameCount(), true));
  EXPECT_NE(sink.last().find("\"Raw data\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.wav")));
}

TEST_F(SoundFile, FramesBeyondThirtyTwoBitPositionsAreNeverCounted) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  doc.SetLength(int64_t{1} << 40);
  EXPECT_EQ(doc.FrameCount(), 2147483647);
}

TEST(CopyRange, CopiesExactlyBetweenEqualAndShiftedPageOffsets) {
  TempDir dir;
  std::vector<uint8_t> src(3 * 65536 + 777);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  test::WriteFileBytes(dir.File("src"), src);
  int in = open(dir.File("src").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(in, 0);
  struct Case {
    int64_t srcOff, dstOff, len;
    size_t piece;
  };
  // Equal page offsets go through the kernel, shifted ones through a buffer
  // whose size need not divide the length.
  for (const Case& c : {Case{0, 0, 196608, 65536}, Case{44, 44, 150000, 65536}, Case{44, 0, 196608 + 700, 65472},
                        Case{0, 46, 100001, 4096}, Case{4096 + 5, 1, 70000, 64}}) {
    const std::string out = dir.File("dst");
    int fd = open(out.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(CopyRange(in, c.srcOff, fd, c.dstOff, c.len, c.piece)) << c.srcOff << "->" << c.dstOff;
    close(fd);
    auto got = test::ReadFileBytes(out);
    ASSERT_EQ(got.size(), static_cast<size_t>(c.dstOff + c.len));
    EXPECT_TRUE(std::equal(got.begin() + c.dstOff, got.end(), src.begin() + c.srcOff)) << c.srcOff << "->" << c.dstOff;
  }
  // A source that ends early is a failure on both paths, never a silent short copy.
  for (int64_t dstOff : {1000, 3}) {
    int fd = open(dir.File("short").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    errno = 0;
    EXPECT_FALSE(CopyRange(in, 1000, fd, dstOff, static_cast<int64_t>(src.size()), 4096));
    EXPECT_EQ(errno, EIO);
    close(fd);
  }
  close(in);
}

}  // namespace
}  // namespace nv
