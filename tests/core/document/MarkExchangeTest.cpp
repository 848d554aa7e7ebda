#include "document/MarkExchange.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "document/CNorvaneDoc.h"

namespace nv {
namespace {

using test::ScopedSink;

// 441 000 frames at 44 100 Hz: 10 s as stored; through a tenfold
// time-expanding detector (the default) 1 s of real time.
void MakeDoc(CNorvaneDoc& doc, int channels = 2, int64_t expansion = 10000) {
  test::FillDocument(doc, channels, 16, 44100, std::vector<uint8_t>(size_t{441000} * 2 * channels, 0));
  doc.Info().SetTimeExpansion(static_cast<int32_t>(expansion));
}

void AddSampleMarks(CNorvaneDoc& doc) {
  doc.Marks().Add(44100, 45000, true, 1, "Call A", true, CursorKind::Measurement);  // 0.1 s real time
  doc.Marks().Add(4411, 0, false, 2, "Buzz\tstart", true, CursorKind::Marking);
  doc.Marks().Add(440999, 112345, true, 2, "", false, CursorKind::LargeMeasurement);
  doc.Marks().Add(0, 0, false, 3, "Begin", true, CursorKind::Marking);
}

TEST(MarkExchange, LabelTrackText) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  MakeDoc(doc);
  AddSampleMarks(doc);
  const std::string text = FormatMarks(doc.Marks(), MarkExchangeFormat::Labels, TimeBaseOf(doc));
  EXPECT_EQ(text,
            "0.100000\t0.100000\tCall A\n"
            "\\\t45000.000000\t45000.000000\n"
            "0.010002\t0.010002\tBuzz start\n"
            "0.999998\t0.999998\tMark 2\n"
            "\\\t112345.000000\t112345.000000\n"
            "0.000000\t0.000000\tBegin\n");
}

TEST(MarkExchange, SelectionTableText) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  MakeDoc(doc);
  AddSampleMarks(doc);
  const std::string text = FormatMarks(doc.Marks(), MarkExchangeFormat::SelectionTable, TimeBaseOf(doc));
  EXPECT_EQ(text,
            "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\tAnnotation\n"
            "1\tSpectrogram 1\t1\t0.100000\t0.100000\t45000.000\t45000.000\tCall A\n"
            "2\tWaveform 1\t2\t0.010002\t0.010002\t0.000\t0.000\tBuzz start\n"
            "3\tSpectrogram 1\t2\t0.999998\t0.999998\t112345.000\t112345.000\tMark 2\n"
            "4\tWaveform 1\t1\t0.000000\t0.000000\t0.000\t0.000\tBegin\n");
}

// Export then import into a fresh document of the same sound: the same
// marks, times within one frame.
TEST(MarkExchange, RoundTripsThroughFiles) {
  DocumentContext documents;
  for (auto f : {MarkExchangeFormat::Labels, MarkExchangeFormat::SelectionTable}) {
    for (int64_t expansion : {1000, 10000, 200000}) {
      ScopedSink sink;
      test::TempDir dir;
      CNorvaneDoc doc(documents);
      MakeDoc(doc, 2, expansion);
      AddSampleMarks(doc);
      for (int i = 0; i < 50; ++i) doc.Marks().Add(i * 8819 + 7, i % 2 ? 20000 + 997 * i : 0, i % 2, 1, "m", true, i % 2 ? CursorKind::Measurement : CursorKind::Marking);
      const std::string path = dir.File("marks.txt");
      ASSERT_TRUE(ExportMarksFile(doc, f, path));
      CNorvaneDoc back(documents);
      MakeDoc(back, 2, expansion);
      size_t added = 0;
      ASSERT_TRUE(ImportMarksFile(back, f, path, &added)) << sink.last();
      ASSERT_EQ(added, doc.Marks().size());
      ASSERT_EQ(back.Marks().size(), doc.Marks().size());
      for (size_t i = 0; i < doc.Marks().size(); ++i) {
        const MarkRecord& a = doc.Marks()[i];
        const MarkRecord& b = back.Marks()[i];
        EXPECT_LE(std::abs(a.position - b.position), 1) << i;
        EXPECT_EQ(b.inSpectrogram, a.inSpectrogram) << i;
        if (a.inSpectrogram == 1) {
          EXPECT_EQ(b.value, a.value) << i;
          EXPECT_EQ(b.kind, 2);
        } else {
          EXPECT_EQ(b.kind, 1);
        }
        const std::string label = i == 1 ? "Buzz start" : a.label;
        EXPECT_EQ(b.label, label) << i;
        EXPECT_EQ(b.displayMark, 1);
      }
      // The active mark stays as it was: none in the new document.
      EXPECT_EQ(back.Marks().Active(), nullptr);
      EXPECT_TRUE(back.IsModified());
      EXPECT_TRUE(sink.texts().empty()) << sink.last();
    }
  }
}

TEST(MarkExchange, ReadsWhatOtherToolsWrite) {
  MarkTimeBase b;
  b.rateHz = 44100;
  b.expansionThousandths = 10000;
  b.frameCount = 441000;
  b.channels = 2;
  // A label track with a region, a band, an empty label, CR LF lines, a
  // byte-order mark and a blank line.
  auto labels = ParseMarks(
      "\xEF\xBB\xBF"
      "0.5\t0.75\tregion\r\n"
      "\\\t30000\t50000\r\n"
      "\r\n"
      "0.25\t0.25\t\r\n"
      "1e-1\t0.1\ttwo\twords\n",
      MarkExchangeFormat::Labels, b);
  ASSERT_TRUE(labels.errors.empty()) << labels.errors[0];
  ASSERT_EQ(labels.marks.size(), 3u);
  EXPECT_EQ(labels.marks[0].first.position, 220500);
  EXPECT_TRUE(labels.marks[0].first.inSpectrogram);
  EXPECT_EQ(labels.marks[0].first.value, 40000);
  EXPECT_EQ(labels.marks[0].second, "region");
  EXPECT_EQ(labels.marks[1].first.position, 110250);
  EXPECT_FALSE(labels.marks[1].first.inSpectrogram);
  EXPECT_EQ(labels.marks[1].second, "");
  EXPECT_EQ(labels.marks[2].first.position, 44100);
  EXPECT_EQ(labels.marks[2].second, "two words");

  // A selection table with its columns in another order, extra columns, and
  // each selection listed for two views.
  auto table = ParseMarks(
      "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tDelta Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\tAnnotation\n"
      "1\tWaveform 1\t2\t0.1\t0.2\t0.1\t20000\t60000\tcall\n"
      "1\tSpectrogram 1\t2\t0.1\t0.2\t0.1\t20000\t60000\tcall\n"
      "2\tSpectrogram 1\t1\t0.3\t0.3\t0\t0\t0\n",
      MarkExchangeFormat::SelectionTable, b);
  ASSERT_TRUE(table.errors.empty()) << table.errors[0];
  ASSERT_EQ(table.marks.size(), 2u);
  EXPECT_EQ(table.marks[0].first.position, 44100);
  EXPECT_EQ(table.marks[0].first.channel, 2);
  EXPECT_EQ(table.marks[0].first.value, 40000);
  EXPECT_EQ(table.marks[0].second, "call");
  EXPECT_EQ(table.marks[1].first.position, 132300);
  EXPECT_FALSE(table.marks[1].first.inSpectrogram);
  EXPECT_EQ(table.marks[1].second, "");
  auto minimal = ParseMarks("Annotation\tBegin Time (s)\nx\t0.2\n", MarkExchangeFormat::SelectionTable, b);
  ASSERT_EQ(minimal.marks.size(), 1u);
  EXPECT_EQ(minimal.marks[0].first.position, 88200);
  EXPECT_EQ(minimal.marks[0].first.channel, 1);
  EXPECT_TRUE(ParseMarks("", MarkExchangeFormat::SelectionTable, b).errors.empty());
  EXPECT_TRUE(ParseMarks("", MarkExchangeFormat::Labels, b).marks.empty());
}

TEST(MarkExchange, MalformedLinesAreReportedAndNothingIsImported) {
  MarkTimeBase b;
  b.rateHz = 44100;
  b.frameCount = 44100;  // one second
  b.channels = 1;
  auto errorsOf = [&](const std::string& text, MarkExchangeFormat f) {
    ParsedMarks p = ParseMarks(text, f, b);
    EXPECT_TRUE(p.marks.empty());
    return p.errors;
  };
  using F = MarkExchangeFormat;
  EXPECT_EQ(errorsOf("0.1\t0.1\tok\nabc\t0.2\tx\n0.3\t0.2\ty\n\\\t1\t2\n", F::Labels),
            (std::vector<std::string>{"line 2: start time is not a number",
                                      "line 3: end time before start time",
                                      "line 4: frequency line without a label line above it"}));
  EXPECT_EQ(errorsOf("0.1\n0.1\t0.2x\n2\t2\tlate\n-1\t1\tneg\n", F::Labels),
            (std::vector<std::string>{
                "line 1: a label line holds the start time, the end time and the label",
                "line 2: end time is not a number",
                "line 3: time 2.000000 s lies beyond the end of the sound (1.000000 s)",
                "line 4: negative time"}));
  EXPECT_EQ(errorsOf("0.1\t0.1\tx\n\\\t9000\t100\n0.2\t0.2\ty\n\\\tnan\t1\n0.3\t0.3\tz\n\\\t5\n", F::Labels),
            (std::vector<std::string>{
                "line 2: low frequency above the high frequency", "line 4: frequency is not a number",
                "line 6: a frequency line holds \"\\\", the low and the high frequency"}));
  EXPECT_EQ(errorsOf("Selection\tView\n1\tSpectrogram 1\n", F::SelectionTable),
            (std::vector<std::string>{"line 1: the header has no \"Begin Time (s)\" column"}));
  EXPECT_EQ(errorsOf("Selection\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\n"
                     "1\t1\t0.1\t0.05\t0\t0\n"
                     "2\t2\t0.1\t0.2\t0\t0\n"
                     "3\t1.5\t0.1\t0.2\t0\t0\n"
                     "4\t1\tx\t0.2\t0\t0\n"
                     "5\t1\t0.1\t0.2\t30000\t20000\n"
                     "6\n",
                     F::SelectionTable),
            (std::vector<std::string>{"line 2: end time before begin time",
                                      "line 3: channel 2 but the sound has 1 channel",
                                      "line 4: channel is not a channel number",
                                      "line 5: begin time is not a number",
                                      "line 6: low frequency above the high frequency",
                                      "line 7: fewer fields than the header has columns"}));
}

TEST(MarkExchange, ImportOfAMalformedFileShowsTheLinesAndAddsNothing) {
  DocumentContext documents;
  ScopedSink sink;
  test::TempDir dir;
  CNorvaneDoc doc(documents);
  MakeDoc(doc, 1, 1000);  // 10 s
  doc.Marks().AddFromCursor(MarkPoint{});
  doc.SetModifiedFlag(false);
  std::string text;
  for (int i = 0; i < 14; ++i) text += "1\t1\tgood\nbad\n";
  const std::string path = dir.File("bad.txt");
  test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  size_t added = 7;
  EXPECT_FALSE(ImportMarksFile(doc, MarkExchangeFormat::Labels, path, &added));
  EXPECT_EQ(added, 0u);
  EXPECT_EQ(doc.Marks().size(), 1u);
  EXPECT_FALSE(doc.IsModified());
  ASSERT_EQ(sink.texts().size(), 1u);
  const std::string& msg = sink.last();
  EXPECT_NE(msg.find("The marks were not imported; malformed lines in " + path + ":"), std::string::npos);
  EXPECT_NE(msg.find("\nline 2: a label line holds"), std::string::npos);
  EXPECT_NE(msg.find("\nline 20: "), std::string::npos);
  EXPECT_EQ(msg.find("\nline 22: "), std::string::npos);  // the first ten are listed
  EXPECT_NE(msg.find("\nand 4 more."), std::string::npos);

  // Missing and binary files.
  EXPECT_FALSE(ImportMarksFile(doc, MarkExchangeFormat::Labels, dir.File("none.txt")));
  EXPECT_EQ(sink.last().rfind("Can not open file: ", 0), 0u);
  test::WriteFileBytes(dir.File("bin"), {0x52, 0x49, 0x00, 0x46});
  EXPECT_FALSE(ImportMarksFile(doc, MarkExchangeFormat::SelectionTable, dir.File("bin")));
  EXPECT_NE(sink.last().find("is not a text file"), std::string::npos);
  // An export into a missing folder fails with a message and no file.
  EXPECT_FALSE(ExportMarksFile(doc, MarkExchangeFormat::Labels, dir.File("no/such/dir.txt")));
  EXPECT_EQ(sink.last().rfind("Can not write file: ", 0), 0u);
  EXPECT_EQ(doc.Marks().size(), 1u);
}

TEST(MarkExchange, FormatNames) {
  EXPECT_EQ(ParseMarkExchangeFormat("labels"), MarkExchangeFormat::Labels);
  EXPECT_EQ(ParseMarkExchangeFormat("raven"), MarkExchangeFormat::SelectionTable);
  EXPECT_FALSE(ParseMarkExchangeFormat("csv"));
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// Random texts of both formats (well-formed lines, times past the end,
// bands upside down, junk): every input gives either marks inside the sound
// or errors, never both, and never a crash.
TEST(MarkExchange, RandomTextGivesMarksInsideTheSoundOrErrors) {
  MarkTimeBase b;
  b.rateHz = 44100;
  b.expansionThousandths = 10000;
  b.frameCount = 441000;
  b.channels = 2;
  const char* pieces[] = {"0",   "1",  "0.5", ".", "-", "e",  "9", "\t", "\n", "\r\n", "\\", " ",
                          "1e9", "x",  "nan", "Begin Time (s)", "Low Freq (Hz)", "High Freq (Hz)",
                          "Channel", "Selection", "\xEF\xBB\xBF", "2", "99999999999999999999"};
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto junk = [&] {
    std::string t;
    for (int i = static_cast<int>(next() % 6); i > 0; --i) t += pieces[next() % (sizeof pieces / sizeof pieces[0])];
    return t;
  };
  auto seconds = [&] { return std::to_string(static_cast<double>(next() % 1100) / 1000.0); };
  size_t withMarks = 0, withErrors = 0;
  for (int round = 0; round < 3000; ++round) {
    // Mostly well-formed lines of both formats, some damaged, some junk.
    std::string labels;
    std::string table =
        "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\tAnnotation\n";
    const int lines = static_cast<int>(next() % 6);
    for (int i = 0; i < lines; ++i) {
      const uint32_t r = next() % 100;
      const std::string t = seconds();
      const std::string lo = std::to_string(next() % 90000), hi = std::to_string(next() % 90000);
      if (r < 93) {
        labels += t + "\t" + t + "\tlabel\n";
        if (r % 2) labels += "\\\t" + lo + "\t" + hi + "\n";
        table += std::to_string(i) + "\tSpectrogram 1\t" + std::to_string(1 + next() % 2) + "\t" + t + "\t" + t +
                 "\t" + lo + "\t" + hi + "\tnote\n";
      } else {
        labels += junk() + "\n";
        table += junk() + "\n";
      }
    }
    for (auto f : {MarkExchangeFormat::Labels, MarkExchangeFormat::SelectionTable}) {
      const std::string text = (f == MarkExchangeFormat::Labels ? labels : table) + (next() % 4 ? "" : junk());
      const ParsedMarks p = ParseMarks(text, f, b);
      ASSERT_TRUE(p.errors.empty() || p.marks.empty());
      withErrors += !p.errors.empty();
      withMarks += !p.marks.empty();
      for (const auto& [point, label] : p.marks) {
        ASSERT_GE(point.position, 0);
        ASSERT_LE(point.position, b.frameCount);
        ASSERT_GE(point.value, 0);
      }
    }
  }
  // Both outcomes occur, so the check above saw real parses.
  EXPECT_GT(withMarks, 50u);
  EXPECT_GT(withErrors, 50u);
}

}  // namespace
}  // namespace nv
