// GUANO metadata: the "guan" chunk as field recorders write it, the
// recording information it gives a file without the program's own record,
// round trips through every WAVE type, and damaged chunks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "dsp/BinPower.h"
#include "dsp/RealFft.h"
#include "fileformats/Guano.h"
#include "fileformats/RiffReader.h"
#include "fileformats/FileIo.h"

namespace nv {
namespace {

using test::RiffBuilder;
using test::ScopedSink;
using test::TempDir;

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

Guano ParseText(const std::string& s, int* bad = nullptr) {
  return Guano::Parse(reinterpret_cast<const uint8_t*>(s.data()), s.size(), bad);
}

// The GUANO format's published example, as a time-expanding detector with a
// tenfold factor would write it, with vendor fields and a multi-line note.
const std::string kFieldRecorder =
    "GUANO|Version:  1.0\n"
    "\n"
    "Timestamp:  2012-03-29T03:58:01+04:00\n"
    "Species Auto ID:  MYLU\n"
    "Species Manual ID:  Myosod\n"
    "Tags:  hand-release, voucher, workshop\n"
    "Note:  Hand release of a male.\\nReleased in a clearing.\n"
    "TE:  10\n"
    "Samplerate:  441000\n"
    "Length:  0.005\n"
    "Filter HP:  20.0\n"
    "Make:  Acme Bioacoustics\n"
    "Model:  TX-10\n"
    "Serial:  00417\n"
    "Loc Position:  37.1878016 -86.1057312\n"
    "Loc Elevation:  228.6\n"
    "NABat|Site Name:  Mammoth Cave \xC3\x96st\n"
    "SB|Classifier:  US Northeast\n"
    "ACME|TX-10|Gain:  80\n";

// A 4410 Hz tone of 2205 frames at 44100 Hz (tenfold: 44.1 kHz for 5 ms).
std::vector<uint8_t> Tone() {
  std::vector<int16_t> s(2205);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * 4410.0 * i / 44100.0)));
  return test::Samples16(s);
}

// A plain WAVE file: fmt, then the chunks in `order` ("data", "guan", or any
// other id for a LIST chunk), the GUANO text as given (odd sizes padded).
std::vector<uint8_t> WaveWith(const std::string& guano, const std::vector<std::string>& order,
                              const std::vector<uint8_t>& data = Tone()) {
  std::vector<uint8_t> c = RiffBuilder::Fmt(1, 1, 44100, 16);
  for (const std::string& id : order) {
    std::vector<uint8_t> ch = id == "data"   ? RiffBuilder::Chunk("data", data)
                              : id == "guan" ? RiffBuilder::Chunk("guan", Bytes(guano))
                                             : RiffBuilder::Chunk("LIST", Bytes("INFOISFT\4\0\0\0abc"));
    c.insert(c.end(), ch.begin(), ch.end());
  }
  RiffBuilder rb;
  rb.Form("WAVE", c);
  return rb.bytes;
}

// The "guan" chunk content of a written file, empty when there is none.
std::string GuanChunk(const std::string& path) {
  auto b = test::ReadFileBytes(path);
  TempDir d;
  int fd = open(path.c_str(), O_RDONLY);
  RiffReader rr(fd, static_cast<int64_t>(b.size()));
  RiffChunk wave, g;
  std::string out;
  if (rr.FindForm("WAVE", 0, wave) && rr.FindSubChunk(wave, "guan", g))
    out.assign(b.begin() + g.dataOffset, b.begin() + g.dataOffset + g.size);
  close(fd);
  return out;
}

class GuanoFile : public ::testing::Test {
 protected:
  ScopedSink sink;
  TempDir dir;
};

TEST(GuanoParse, VariantsOfFieldRecordersAreReadAlike) {
  const std::vector<Guano::Field> want = {
      {"GUANO|Version", "1.0"}, {"TE", "10"}, {"Timestamp", "2016-04-05 23:17:24"},
      {"NABat|Site Name", "Pond: north side"}, {"Note", ""}};
  const std::string lf =
      "GUANO|Version: 1.0\nTE: 10\nTimestamp: 2016-04-05 23:17:24\nNABat|Site Name: Pond: north side\nNote:\n";
  std::string crlf, cr;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (char c : lf) cr += c == '\n' ? '\r' : c;
  const std::string variants[] = {
      lf,
      crlf,
      cr,                                            // lone carriage returns end lines too
      "\xEF\xBB\xBF" + lf,                           // BOM
      lf + std::string(7, '\0'),                     // NUL padding of a fixed block
      lf.substr(0, lf.size() - 1),                   // no final newline
      "  GUANO|Version :1.0  \n\n\tTE:10\nTimestamp:2016-04-05 23:17:24\n"
      "NABat|Site Name:   Pond: north side\nNote:   \n" + std::string(300, ' '),  // spaces
  };
  for (const std::string& v : variants) {
    int bad = -1;
    Guano g = ParseText(v, &bad);
    EXPECT_EQ(g.Fields(), want) << v;
    EXPECT_EQ(bad, 0) << v;
  }
}

TEST(GuanoParse, SerialisingPutsTheVersionFirstAndKeepsEveryFieldExactly) {
  int bad = 0;
  Guano g = ParseText(kFieldRecorder, &bad);
  EXPECT_EQ(bad, 0);
  ASSERT_EQ(g.Fields().size(), 18u);
  EXPECT_EQ(*g.Find("NABat|Site Name"), "Mammoth Cave \xC3\x96st");
  EXPECT_EQ(*g.Find("ACME|TX-10|Gain"), "80");
  EXPECT_EQ(*g.Find("Note"), "Hand release of a male.\\nReleased in a clearing.");
  Guano moved;
  moved.Set("Make", "X");
  moved.Set("GUANO|Version", "1.0");
  const std::string s = moved.Serialise();
  EXPECT_EQ(s, "GUANO|Version: 1.0\nMake: X\n ");  // padded to an even size
  // A value set with a line break (a file name, say) stays one line.
  Guano broken;
  broken.Set("Original Filename", "two\nlines\r.wav");
  EXPECT_EQ(broken.Serialise(), "GUANO|Version: 1.0\nOriginal Filename: two\\nlines .wav\n");
  Guano none;
  none.Set("A", "b");
  EXPECT_EQ(none.Serialise().substr(0, 19), "GUANO|Version: 1.0\n");
  EXPECT_EQ(none.Serialise().size() % 2, 0u);
  const std::string all = g.Serialise();
  EXPECT_EQ(all.size() % 2, 0u);
  EXPECT_EQ(ParseText(all).Fields(), g.Fields());
}

TEST(GuanoParse, ALoneCarriageReturnInsideALineSplitsItAndSurvivesARoundTrip) {
  // Found by fuzzing: a value with a carriage return in its middle came back
  // from a save with a blank instead.
  int bad = -1;
  const Guano g = ParseText("Note: a\\nb\rm\nTE: 10\n", &bad);
  EXPECT_EQ(bad, 1);  // "m" has no key
  ASSERT_NE(g.Find("Note"), nullptr);
  EXPECT_EQ(*g.Find("Note"), "a\\nb");
  const std::string text = g.Serialise();
  int badBack = -1;
  const Guano back = ParseText(text, &badBack);
  EXPECT_EQ(badBack, 0);
  EXPECT_EQ(*back.Find("Note"), *g.Find("Note"));
  EXPECT_EQ(*back.Find("TE"), "10");
}

TEST(GuanoParse, DamagedLinesAreSkippedAndCounted) {
  int bad = 0;
  Guano g = ParseText(
      "GUANO|Version: 1.0\n"
      "no colon on this line\n"
      ": no key\n"
      "Bad: \xC3\x28 not UTF-8\n"
      "Overlong: \xC0\xAF\n"
      "Surrogate: \xED\xA0\x80\n"
      "Cut: \xE2\x82\n"
      "TE: 10\n"
      "TE: 20\n"  // a repeated key
      "Make: Acme\n",
      &bad);
  EXPECT_EQ(bad, 7);
  EXPECT_EQ(g.Fields(), (std::vector<Guano::Field>{{"GUANO|Version", "1.0"}, {"TE", "10"}, {"Make", "Acme"}}));
}

TEST(GuanoParse, TheLargestChunkOfShortFieldsIsReadWhole) {
  std::string text;
  int n = 0;
  for (; text.size() < Guano::kMaxChunkBytes; ++n) text += "K" + std::to_string(n) + ": v\n";
  int bad = -1;
  Guano g = ParseText(text, &bad);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(g.Fields().size(), static_cast<size_t>(n));
  EXPECT_EQ(g.Fields().back().key, "K" + std::to_string(n - 1));
}

// Timestamp lines in the forms recorders write: a phone app's space and
// offset without a colon, full-spectrum detectors' ISO forms with and without
// offsets, fractional seconds, minutes only, and an hours-only offset. Each
// is read to its local date and time without a problem, written back as it
// was while those are unchanged, and written anew (with its offset) once
// they are edited.
TEST(GuanoTimestamp, RecordersFormsAreReadAndKeptUntilEdited) {
  struct Line {
    const char* value;
    const char* date;
    const char* time;
    const char* offset;
  } lines[] = {
      {"2022-08-15 21:34:14+0100", "15.08.22", "21:34:14", "+0100"},
      {"2019-06-21T22:05:13-05:00", "21.06.19", "22:05:13", "-05:00"},
      {"2020-07-04T01:02:03.456+02:00", "04.07.20", "01:02:03", "+02:00"},
      {"2021-05-01T20:15:00.000000Z", "01.05.21", "20:15:00", "Z"},
      {"2018-09-12T23:59:59", "12.09.18", "23:59:59", ""},
      {"2023-03-03 03:03", "03.03.23", "03:03", ""},
      {"2017-10-31T18:00:00-07", "31.10.17", "18:00:00", "-07"},
      {"2024-02-29 00:00:00+0530", "29.02.24", "00:00:00", "+0530"},
      {"2016-04-05 23:17:24.5", "05.04.16", "23:17:24", ""},
  };
  for (const Line& l : lines) {
    const std::string text = std::string("TE: 1\nTimestamp: ") + l.value + "\n";
    Guano g = ParseText(text);
    RecordingInfo info;
    std::vector<std::string> problems;
    g.ApplyTo(info, 384000, problems);
    EXPECT_TRUE(problems.empty()) << l.value << ": " << (problems.empty() ? "" : problems[0]);
    EXPECT_EQ(info.Date(), l.date) << l.value;
    EXPECT_EQ(info.Time(), l.time) << l.value;
    g.UpdateForSave(info, 384000, 384000, "a.wav");
    EXPECT_EQ(*g.Find("Timestamp"), l.value) << "unedited, yet rewritten";
    info.SetDate("01.01.25");
    info.SetTime("12:30");
    g.UpdateForSave(info, 384000, 384000, "a.wav");
    EXPECT_EQ(*g.Find("Timestamp"), std::string("2025-01-01T12:30:00") + l.offset) << l.value;
  }
  // What is not a date and time is refused, named, and kept on a save.
  for (const char* bad : {"2022-08-15 21:34:14+01:00:00", "2022-13-01 10:00:00", "2022-02-30T10:00:00",
                          "2022-08-15 21:34:14+1", "2022-08-15 21:34:14+01:0", "2022-08-15T25:00:00",
                          "2022-08-15 21:34:14 +0100", "2022-08-15", "15.08.2022 21:34"}) {
    Guano g = ParseText(std::string("Timestamp: ") + bad + "\n");
    RecordingInfo info;
    info.SetDate("01.01.25");
    info.SetTime("12:30");
    std::vector<std::string> problems;
    g.ApplyTo(info, 384000, problems);
    ASSERT_EQ(problems.size(), 1u) << bad;
    EXPECT_NE(problems[0].find(bad), std::string::npos);
    EXPECT_EQ(info.Date(), "01.01.25");
    g.UpdateForSave(info, 384000, 384000, "a.wav");
    EXPECT_EQ(*g.Find("Timestamp"), bad);
  }
}

// The stated real rate is the stored rate times the factor, rounded once:
// 11 025 Hz slowed 4.1 times is 45 202.5 Hz, written as 45 203 (the factor
// taken as 4.1 first would give 45 202.499... and 45 202).
TEST(GuanoSave, TheRealRateIsRoundedFromTheExactProduct) {
  struct Case {
    uint32_t rateHz;
    int32_t expansion;
    const char* te;
    const char* samplerate;
  } cases[] = {{11025, 4100, "4.1", "45203"}, {11025, 700, "0.7", "7718"}, {11025, 2300, "2.3", "25358"},
               {44100, 10000, "10", "441000"}, {384000, 1000, "1", "384000"}};
  for (const Case& c : cases) {
    RecordingInfo info;
    info.SetTimeExpansion(c.expansion);
    Guano g;
    g.UpdateForSave(info, c.rateHz, c.rateHz, "a.wav");
    EXPECT_EQ(*g.Find("TE"), c.te) << c.rateHz << " " << c.expansion;
    EXPECT_EQ(*g.Find("Samplerate"), c.samplerate) << c.rateHz << " " << c.expansion;
  }
}

TEST_F(GuanoFile, AFieldRecordingWithoutOwnRecordOpensWithTheFactorAndRealFrequencies) {
  DocumentContext documents;
  // The chunk after the data, before the format, and between them.
  const std::vector<std::vector<std::string>> orders = {
      {"data", "guan"}, {"guan", "data"}, {"LIST", "data", "LIST", "guan"}};
  for (const auto& order : orders) {
    const std::string path = dir.File("field.wav");
    // An odd size, so that the chunk is followed by a pad byte.
    const std::string text = kFieldRecorder.size() % 2 ? kFieldRecorder : kFieldRecorder + " ";
    test::WriteFileBytes(path, WaveWith(text, order));
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({path})) << sink.last();
    EXPECT_EQ(doc.File().type, FileType::StandardWave);
    EXPECT_EQ(doc.Info().TimeExpansion(), 10000);
    EXPECT_EQ(doc.FramesToMicroseconds(doc.FrameCount()), 5000);  // 5 ms of real time
    EXPECT_EQ(doc.Info().Date(), "29.03.12");
    EXPECT_EQ(doc.Info().Time(), "03:58:01");
    EXPECT_EQ(doc.Info().RecordedBy(), "Acme Bioacoustics TX-10 00417");
    EXPECT_EQ(doc.Info().Contents(), "Myosod; Hand release of a male. Released in a clearing.");
    EXPECT_EQ(doc.GuanoMetadata().Fields().size(), 18u);
    // The tone's peak is at 44.1 kHz of real frequency.
    const int n = 1024;
    std::vector<double> x(n);
    {
      const SampleMapping m = doc.MapSamples(MapAccess::Read);
      const uint8_t* p = m.Data();
      for (int i = 0; i < n; ++i) x[i] = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
    RealFft(x.data(), 10);
    int peak = 1;
    for (int k = 1; k < n / 2; ++k)
      if (BinPower(x.data(), n, k) > BinPower(x.data(), n, peak)) peak = k;
    const int64_t realRate = int64_t{doc.Format().nSamplesPerSec} * doc.Info().TimeExpansion() / 1000;
    EXPECT_NEAR(BinFrequency(n, realRate, peak), 44100, realRate / n);
  }
  // A chunk appended after the WAVE form, outside its size.
  auto appended = WaveWith("", {"data"});
  auto chunk = RiffBuilder::Chunk("guan", Bytes(kFieldRecorder));
  appended.insert(appended.end(), chunk.begin(), chunk.end());
  const std::string path = dir.File("appended.wav");
  test::WriteFileBytes(path, appended);
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({path}));
  EXPECT_EQ(doc.Info().TimeExpansion(), 10000);
  EXPECT_EQ(doc.GuanoMetadata().Fields().size(), 18u);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(GuanoFile, TheProgramsOwnRecordWinsAndOtherFieldsFillOnlyWhatTheyName) {
  DocumentContext documents;
  // A type-5 file whose own record says fivefold and whose GUANO says tenfold.
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, Tone());
  doc.Info().SetTimeExpansion(5000);
  doc.Info().SetRecordedBy("me");
  doc.SetGuanoMetadata(ParseText(kFieldRecorder));
  const std::string path = dir.File("own.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.Info().TimeExpansion(), 5000);
  EXPECT_EQ(back.Info().RecordedBy(), "me");
  // The GUANO chunk was brought up to date with the record on saving.
  EXPECT_EQ(*back.GuanoMetadata().Find("TE"), "5");
  EXPECT_EQ(*back.GuanoMetadata().Find("Samplerate"), "220500");

  // Only TE and Samplerate, which disagree: the factor wins, with a message.
  test::WriteFileBytes(path, WaveWith("TE: 10\nSamplerate: 44100\n", {"data", "guan"}));
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.Info().TimeExpansion(), 10000);
  EXPECT_EQ(back.Info().Contents(), "");
  ASSERT_EQ(sink.texts().size(), 1u);
  EXPECT_NE(sink.last().find("does not agree"), std::string::npos) << sink.last();
  // Without TE the real sampling rate gives the factor.
  test::WriteFileBytes(path, WaveWith("Samplerate: 882000\nSpecies Auto ID: PIPI\n", {"data", "guan"}));
  ASSERT_TRUE(back.Open({path}));
  EXPECT_EQ(back.Info().TimeExpansion(), 20000);
  EXPECT_EQ(back.Info().Contents(), "PIPI");
  EXPECT_EQ(sink.texts().size(), 1u);
}

TEST_F(GuanoFile, SavesKeepEveryFieldAndUpdateTheFactorRateAndLength) {
  DocumentContext documents;
  const std::string src = dir.File("night 03.wav");
  test::WriteFileBytes(src, WaveWith(kFieldRecorder, {"data", "guan"}));
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({src}));
  const Guano read = doc.GuanoMetadata();
  struct Case {
    int code;
    int64_t first, end;
    std::string length;
  } cases[] = {{1, -1, -1, "0.005"}, {5, -1, -1, "0.005"}, {5, 441, 1323, "0.002"}, {1, 0, 2204, "0.004998"}};
  for (const Case& c : cases) {
    const std::string path = dir.File("out.wav");
    ASSERT_TRUE(doc.Save({path, FileTypeFromCode(c.code)}, c.first, c.end));
    const std::string chunk = GuanChunk(path);
    EXPECT_EQ(chunk.rfind("GUANO|Version: 1.0\n", 0), 0u) << chunk;
    EXPECT_EQ(chunk.size() % 2, 0u);
    Guano back = ParseText(chunk);
    // Every field read comes back byte for byte; Length says the range.
    for (const Guano::Field& f : read.Fields()) {
      ASSERT_TRUE(back.Find(f.key)) << f.key;
      EXPECT_EQ(*back.Find(f.key), f.key == "Length" ? c.length : f.value) << f.key << " " << c.code;
    }
    EXPECT_EQ(*back.Find("Original Filename"), "night 03.wav");
    EXPECT_EQ(back.Fields().size(), read.Fields().size() + 1);
  }
  // A changed factor changes TE, Samplerate and Length, nothing else.
  doc.Info().SetTimeExpansion(20000);
  const std::string path = dir.File("te20.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWaveComp}));
  Guano back = ParseText(GuanChunk(path));
  EXPECT_EQ(*back.Find("TE"), "20");
  EXPECT_EQ(*back.Find("Samplerate"), "882000");
  for (const Guano::Field& f : read.Fields())
    if (f.key != "TE" && f.key != "Samplerate" && f.key != "Length") {
      EXPECT_EQ(*back.Find(f.key), f.value);
    }
  // A new recording gets a chunk of its own, named after the file.
  CNorvaneDoc fresh(documents);
  test::FillDocument(fresh, 1, 16, 384000, std::vector<uint8_t>(384000 * 2 / 4));
  ASSERT_TRUE(fresh.Save({dir.File("new.wav"), FileType::StandardWave}));
  EXPECT_EQ(GuanChunk(dir.File("new.wav")),
            "GUANO|Version: 1.0\nTE: 1\nSamplerate: 384000\nLength: 0.25\nOriginal Filename: new.wav\n");
  // Its date and time become the timestamp when they read as one.
  fresh.Info().SetDate("07.06.25");
  fresh.Info().SetTime("23:05");
  ASSERT_TRUE(fresh.Save({dir.File("new.wav"), FileType::NorvaneWave}));
  const Guano stamped = ParseText(GuanChunk(dir.File("new.wav")));
  ASSERT_TRUE(stamped.Find("Timestamp"));
  EXPECT_EQ(*stamped.Find("Timestamp"), "2025-06-07T23:05:00");
  fresh.Info().SetDate("June 7th");
  ASSERT_TRUE(fresh.Save({dir.File("new.wav"), FileType::NorvaneWave}));
  EXPECT_FALSE(ParseText(GuanChunk(dir.File("new.wav"))).Find("Timestamp"));
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(GuanoFile, DamagedChunksNeverStopAFileFromOpening) {
  DocumentContext documents;
  struct Case {
    std::string name;
    std::vector<uint8_t> file;
    std::string says;
  };
  std::vector<Case> cases;
  cases.push_back({"bad lines", WaveWith("TE: 10\nno colon\nBad: \xFF\xFE\nMake: Acme\n", {"data", "guan"}),
                   "2 lines are not UTF-8"});
  cases.push_back({"bad factor", WaveWith("TE: ten\nMake: Acme\n", {"data", "guan"}), "\"ten\""});
  cases.push_back({"bad timestamp", WaveWith("TE: 10\nTimestamp: yesterday\nMake: Acme\n", {"data", "guan"}),
                   "\"yesterday\""});
  {
    // The chunk says it is longer than the file.
    auto f = WaveWith("TE: 10\nMake: Acme\n", {"data", "guan"});
    PutU32(&f[f.size() - 22], 100000);
    cases.push_back({"past the end", f, "past the end"});
  }
  {
    // Two MiB of GUANO: the first MiB is read.
    std::string big = "TE: 10\nMake: Acme\n";
    while (big.size() < 2u << 20) big += "Pad: " + std::string(90, 'x') + "\n";
    cases.push_back({"huge", WaveWith(big, {"data", "guan"}), "larger than 1 MiB"});
  }
  for (const Case& c : cases) {
    const std::string path = dir.File("bad.wav");
    test::WriteFileBytes(path, c.file);
    const size_t before = sink.texts().size();
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({path})) << c.name;
    EXPECT_EQ(test::WorkBytes(doc), Tone()) << c.name;
    ASSERT_EQ(sink.texts().size(), before + 1) << c.name;
    EXPECT_NE(sink.last().find(c.says), std::string::npos) << c.name << ": " << sink.last();
    EXPECT_EQ(sink.last().rfind("The GUANO metadata of this file are partly unreadable: ", 0), 0u);
    ASSERT_TRUE(doc.GuanoMetadata().Find("Make")) << c.name;
    EXPECT_EQ(*doc.GuanoMetadata().Find("Make"), "Acme");
    if (c.name != "bad factor") {
      EXPECT_EQ(doc.Info().TimeExpansion(), 10000) << c.name;
    }
  }
}

}  // namespace
}  // namespace nv
