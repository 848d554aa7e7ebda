#include "document/MarkList.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"

namespace nv {
namespace {

using test::ScopedSink;

// Counts the updates a document sends to its views.
struct CountingView : SoundViewObserver {
  std::vector<UpdateHint> hints;
  bool IsSoundView() const override { return false; }
  void OnUpdate(UpdateHint hint) override { hints.push_back(hint); }
};

MarkPoint Cursor(int32_t position, int32_t value = 0, bool inSpect = false, CursorKind kind = CursorKind::Marking) {
  MarkPoint p;
  p.position = position;
  p.value = value;
  p.inSpectrogram = inSpect;
  p.kind = kind;
  p.channel = 1;
  return p;
}

TEST(MarkList, NumbersStartAtZeroAndAreNeverReused) {
  ScopedSink sink;
  MarkList list;
  EXPECT_EQ(list.AddFromCursor(Cursor(100)), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].label, "Mark 0");
  EXPECT_EQ(list[0].displayMark, 1);
  EXPECT_EQ(list[0].displayLabel, 1);
  EXPECT_EQ(list[0].description, "");
  EXPECT_EQ(list.ActiveNumber(), 0);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.ActiveNumber(), -1);
  EXPECT_EQ(list.AddFromCursor(Cursor(200)), 1);
  EXPECT_EQ(list[0].label, "Mark 1");
  // "Clear all marks" leaves no mark to keep apart from: numbering starts
  // at 0 again, as in a new document.
  const uint64_t generation = list.Generation();
  list.Clear();
  EXPECT_GT(list.Generation(), generation);
  EXPECT_EQ(list.NextNumber(), 0);
  EXPECT_EQ(list.AddFromCursor(Cursor(300)), 0);
  EXPECT_EQ(list[0].label, "Mark 0");
  EXPECT_FALSE(list.Remove(7));
  // A new document starts at 0 again.
  list.Reset();
  EXPECT_EQ(list.AddFromCursor(Cursor(300)), 0);
  EXPECT_TRUE(sink.texts().empty());
}

TEST(MarkList, ClearingAllMarksRestartsTheNumbersAfterMarksFromAFile) {
  ScopedSink sink;
  MarkList list;
  MarkRecord m;
  for (int32_t n : {5, 96}) {
    m.number = n;
    list.AppendFromFile(m);
  }
  EXPECT_EQ(list.AddFromCursor(Cursor(10)), 97);
  EXPECT_EQ(list.Add(20, 0, false, 1, "", true, CursorKind::Marking), 98);
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.Active(), nullptr);
  // Every way of making a mark starts again at 0, and numbers stay unique.
  EXPECT_EQ(list.AddFromCursor(Cursor(10)), 0);
  ASSERT_NE(list.Find(0), nullptr);
  EXPECT_EQ(list.Find(0)->label, "Mark 0");
  EXPECT_EQ(list.Add(20, 0, false, 1, "", true, CursorKind::Marking), 1);
  EXPECT_EQ(list.AddMany({{Cursor(30), ""}, {Cursor(40), "x"}}), 2u);
  EXPECT_EQ(list[2].number, 2);
  EXPECT_EQ(list[2].label, "Mark 2");
  EXPECT_EQ(list[3].number, 3);
  // A single removal does not give a number back.
  EXPECT_TRUE(list.Remove(3));
  EXPECT_EQ(list.AddFromCursor(Cursor(50)), 4);
  // Clearing an empty list changes nothing.
  MarkList empty;
  const uint64_t g = empty.Generation();
  empty.Clear();
  EXPECT_EQ(empty.Generation(), g);
  EXPECT_TRUE(sink.texts().empty());
}

TEST(MarkList, RelabelRescalesOnlySpectrogramFrequencies) {
  MarkList list;
  int hooks = 0;
  list.SetChangeHook([&](bool modified) {
    ++hooks;
    EXPECT_TRUE(modified);
  });
  list.Add(100, 40000, true, 1, "", true, CursorKind::Measurement);        // a frequency
  list.Add(200, 4200, false, 1, "", true, CursorKind::Measurement);        // an amplitude
  list.Add(300, 0, true, 1, "", true, CursorKind::Marking);            // no frequency
  list.Add(400, 2000000000, true, 1, "", true, CursorKind::Measurement);   // near the top of the range
  list.Add(500, 3, true, 1, "", true, CursorKind::Measurement);            // near the bottom
  hooks = 0;
  // Factor 1 to 10 at the same rate: ten times the real frequency.
  list.FollowRelabel(44100, 1000, 44100, 10000);
  EXPECT_EQ(hooks, 1);
  EXPECT_EQ(list[0].value, 400000);
  EXPECT_EQ(list[1].value, 4200);
  EXPECT_EQ(list[2].value, 0);
  EXPECT_EQ(list[3].value, INT32_MAX);  // held within what a record stores
  EXPECT_EQ(list[4].value, 30);
  // Half the rate and five times the factor: 2.5 times.
  list.FollowRelabel(44100, 10000, 22050, 50000);
  EXPECT_EQ(list[0].value, 1000000);
  // Down to a tenth of a Hz stays a frequency (1 Hz).
  list.FollowRelabel(22050, 50000, 22050, 10);
  EXPECT_EQ(list[4].value, 1);
  EXPECT_EQ(list[0].value, 200);
  // No change of the labels, or nothing to rescale: no change reported.
  hooks = 0;
  list.FollowRelabel(22050, 10, 22050, 10);
  list.FollowRelabel(0, 10, 22050, 1000);
  EXPECT_EQ(hooks, 0);
  // An expansion of 0 or less counts as 1000.
  list.FollowRelabel(22050, 10, 22050, 0);
  EXPECT_EQ(list[0].value, 20000);
  EXPECT_EQ(list[0].position, 100);
}

TEST(MarkList, CursorFieldsAddAndActiveMark) {
  MarkList list;
  MarkPoint level = Cursor(50, 2500, false, CursorKind::Level);
  level.channel = 2;
  level.rangeStart = 10;
  level.rangeEnd = 90;
  const int32_t a = list.AddFromCursor(level);
  const MarkRecord* m = list.Find(a);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->position, 50);
  EXPECT_EQ(m->value, 2500);
  EXPECT_EQ(m->channel, 2);
  EXPECT_EQ(m->inSpectrogram, 0);
  EXPECT_EQ(m->kind, 4);
  EXPECT_EQ(m->rangeStart, 10);
  EXPECT_EQ(m->rangeEnd, 90);
  EXPECT_EQ(m->size, 540);
  EXPECT_EQ(m->release, 3);
  EXPECT_EQ(m->version, 1);

  // The pulse analysis' operation: own label, label hidden, becomes active.
  const int32_t b = list.Add(70, 45000, true, 1, "#1 high", false, CursorKind::Measurement);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(list.Find(b)->label, "#1 high");
  EXPECT_EQ(list.Find(b)->displayLabel, 0);
  EXPECT_EQ(list.Find(b)->displayMark, 1);
  EXPECT_EQ(list.Find(b)->inSpectrogram, 1);
  EXPECT_EQ(list.ActiveNumber(), b);
  EXPECT_EQ(list.Find(a)->active, 0);
  // Without a label: "Mark <number>".
  EXPECT_EQ(list.Find(list.Add(1, 0, false, 3, "", true, CursorKind::Marking))->label, "Mark 2");

  EXPECT_TRUE(list.SetActive(a));
  EXPECT_EQ(list.Find(a)->active, 1);
  EXPECT_EQ(list.Find(b)->active, 0);
  EXPECT_FALSE(list.SetActive(99));
  EXPECT_EQ(list.ActiveNumber(), a);
  EXPECT_TRUE(list.SetActive(-1));
  EXPECT_EQ(list.Active(), nullptr);

  // AddMany keeps the active mark and numbers on.
  list.SetActive(b);
  EXPECT_EQ(list.AddMany({{Cursor(5), "x"}, {Cursor(6), ""}}), 2u);
  EXPECT_EQ(list.ActiveNumber(), b);
  EXPECT_EQ(list[3].label, "x");
  EXPECT_EQ(list[4].label, "Mark 4");
}

TEST(MarkList, MarksFromFilesKeepTheirNumbersUniqueAndRaiseTheNextOne) {
  MarkList list;
  MarkRecord m;
  m.number = 7;
  m.active = 1;
  m.label = "Pulse";
  list.AppendFromFile(m);
  m.number = 2;
  m.label = "Echo";
  list.AppendFromFile(m);
  EXPECT_EQ(list.NextNumber(), 8);
  EXPECT_EQ(list[0].active, 0);
  // A taken or negative number gets the next free one.
  m.number = 7;
  list.AppendFromFile(m);
  EXPECT_EQ(list[2].number, 8);
  m.number = -1;
  list.AppendFromFile(m);
  EXPECT_EQ(list[3].number, 9);
  EXPECT_EQ(list.NextNumber(), 10);
  EXPECT_EQ(list.AddFromCursor(Cursor(0)), 10);
  // The largest number leaves no further one.
  MarkList full;
  m.number = 2147483647;
  full.AppendFromFile(m);
  ScopedSink sink;
  EXPECT_EQ(full.AddFromCursor(Cursor(0)), -1);
  EXPECT_EQ(full.size(), 1u);
  EXPECT_FALSE(sink.texts().empty());
}

TEST(MarkList, PropertiesAreStoredWithinTheFileLimits) {
  MarkList list;
  const int32_t n = list.AddFromCursor(Cursor(10, 300, false, CursorKind::Measurement));
  MarkProperties p = MarkList::PropertiesOf(*list.Find(n));
  EXPECT_EQ(p.label, "Mark 0");
  EXPECT_TRUE(p.displayLabel);
  EXPECT_TRUE(p.displayMark);
  EXPECT_EQ(p.kind, CursorKind::Measurement);
  p.label = std::string(100, 'L');
  p.description = std::string(500, 'D');
  p.displayLabel = false;
  p.displayMark = false;
  p.kind = CursorKind::LargeMeasurement;
  ASSERT_TRUE(list.SetProperties(n, p));
  const MarkRecord& m = *list.Find(n);
  EXPECT_EQ(m.label.size(), 79u);
  EXPECT_EQ(m.description.size(), 399u);
  EXPECT_EQ(m.displayLabel, 0);
  EXPECT_EQ(m.displayMark, 0);
  EXPECT_EQ(m.kind, 3);
  // A multi-byte character is not cut in two; a kind out of the dialog's
  // range keeps the mark's own.
  p.label = std::string(78, 'a') + "\xC3\xA9";  // 80 bytes
  p.kind = CursorKind::Level;
  ASSERT_TRUE(list.SetProperties(n, p));
  EXPECT_EQ(list.Find(n)->label, std::string(78, 'a'));
  EXPECT_EQ(list.Find(n)->kind, 3);
  // The bytes of a file hold what was stored.
  MarkRecord back;
  const auto bytes = list.Find(n)->ToBytes();
  back.ReadBytes(bytes.data(), bytes.size());
  EXPECT_EQ(back, *list.Find(n));
  EXPECT_FALSE(list.SetProperties(42, p));
}

TEST(MarkList, DistanceTableFormats) {
  // 44 100 Hz without time expansion; marks 10 ms apart.
  MarkList list;
  list.AddFromCursor(Cursor(1000));  // "Mark 0": marking cursor, no frequency
  list.Add(1441, 45500, true, 1, "A", true, CursorKind::Measurement);
  list.Add(1000 + 2 * 441, 40000, true, 1, "B", true, CursorKind::Measurement);
  list.Add(1000 + 3 * 441, 40300, true, 1, "C", true, CursorKind::Measurement);
  const auto t = list.DistanceTable(44100, 1000);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0], (std::vector<std::string>{"", "Mark 0", "A", "B", "C"}));
  EXPECT_EQ(t[1], (std::vector<std::string>{"Mark 0", "-", "-", "-", "-"}));
  EXPECT_EQ(t[2], (std::vector<std::string>{"A", "10 ms", "-", "5.500 kHz", "5.200 kHz"}));
  EXPECT_EQ(t[3], (std::vector<std::string>{"B", "20 ms", "10 ms", "-", "-300 Hz"}));
  EXPECT_EQ(t[4], (std::vector<std::string>{"C", "30 ms", "20 ms", "10 ms", "-"}));
  // The marking-cursor mark has "-" in every frequency cell (its row and
  // column above the diagonal).
  for (size_t c = 2; c < 5; ++c) EXPECT_EQ(t[1][c], "-");

  EXPECT_EQ(list.DistanceText(44100, 1000),
            "\tMark 0\tA\tB\tC\r\n"
            "Mark 0\t-\t-\t-\t-\r\n"
            "A\t10 ms\t-\t5.500 kHz\t5.200 kHz\r\n"
            "B\t20 ms\t10 ms\t-\t-300 Hz\r\n"
            "C\t30 ms\t20 ms\t10 ms\t-\r\n");

  // Real time: a tenfold time expansion divides the times by ten; a mark
  // before the column's mark gives a negative time.
  MarkList te;
  te.AddFromCursor(Cursor(44100));
  te.AddFromCursor(Cursor(0));
  EXPECT_EQ(te.DistanceTable(44100, 10000)[2][1], "-100 ms");
  EXPECT_EQ(te.DistanceTable(44100, 0)[2][1], "-1000 ms");  // no factor: 1.00

  MarkList none;
  EXPECT_EQ(none.DistanceText(44100, 1000), "\r\n");
}

TEST(MarkList, FrequencyDistanceFormatBoundaries) {
  EXPECT_EQ(MarkFrequencyDistanceText(0), "0 Hz");
  EXPECT_EQ(MarkFrequencyDistanceText(-300), "-300 Hz");
  EXPECT_EQ(MarkFrequencyDistanceText(-5000), "-5000 Hz");
  EXPECT_EQ(MarkFrequencyDistanceText(999), "999 Hz");
  EXPECT_EQ(MarkFrequencyDistanceText(1000), "1.000 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(9999), "9.999 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(10000), "10.00 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(99990), "99.99 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(100000), "100.0 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(999900), "999.9 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(1000000), " 1000 kHz");
  EXPECT_EQ(MarkFrequencyDistanceText(12345678), "12346 kHz");
}

TEST(MarkList, ScrollStartCentresTheMark) {
  EXPECT_EQ(MarkScrollStart(100, 1000, 44100), 0);
  EXPECT_EQ(MarkScrollStart(5000, 1000, 44100), 4500);
  EXPECT_EQ(MarkScrollStart(44100, 1000, 44100), 43600);
  // A start past the end: the length minus half the span.
  EXPECT_EQ(MarkScrollStart(50000, 1000, 44100), 43600);
  EXPECT_EQ(MarkScrollStart(10, 0, 100), 10);
}

TEST(MarkList, MovesStayInsideThePlotAndWithinFullScale) {
  MarkList list;
  MarkMoveLimits lim;
  lim.framesPerStep = 30;
  lim.valuePerStep = 30;
  lim.firstVisible = 1000;
  lim.lastVisible = 2000;
  lim.frameCount = 1990;
  lim.minValue = -10000;
  lim.maxValue = 10000;

  // A measurement mark in the oscillogram stops at 100 %.
  const int32_t osc = list.AddFromCursor(Cursor(1500, 9940, false, CursorKind::Measurement));
  EXPECT_TRUE(list.Move(osc, MarkStep::Up, lim));
  EXPECT_EQ(list.Find(osc)->value, 9970);
  EXPECT_TRUE(list.Move(osc, MarkStep::Up, lim));
  EXPECT_EQ(list.Find(osc)->value, 10000);
  EXPECT_FALSE(list.Move(osc, MarkStep::Up, lim));
  EXPECT_EQ(list.Find(osc)->value, 10000);
  EXPECT_TRUE(list.Move(osc, MarkStep::Down, lim));
  EXPECT_EQ(list.Find(osc)->value, 9970);
  // Even with a wider visible range the amplitude stays at 100 %.
  MarkMoveLimits wide = lim;
  wide.maxValue = 20000;
  list.Move(osc, MarkStep::Up, wide);
  EXPECT_FALSE(list.Move(osc, MarkStep::Up, wide));
  EXPECT_EQ(list.Find(osc)->value, 10000);

  // Time: refused before the first visible frame and past the end.
  list.AddFromCursor(Cursor(1010));
  const int32_t t = list.ActiveNumber();
  EXPECT_FALSE(list.Move(t, MarkStep::Left, lim));
  EXPECT_TRUE(list.Move(t, MarkStep::Right, lim));
  EXPECT_EQ(list.Find(t)->position, 1040);
  // A marking-cursor mark moves only in time.
  EXPECT_FALSE(list.Move(t, MarkStep::Up, lim));
  MarkList end;
  const int32_t e = end.AddFromCursor(Cursor(1970));
  EXPECT_FALSE(end.Move(e, MarkStep::Right, lim));  // 2000 > 1990 frames
  lim.framesPerStep = 0;                             // at least one frame
  EXPECT_TRUE(end.Move(e, MarkStep::Right, lim));
  EXPECT_EQ(end.Find(e)->position, 1971);

  // A spectrogram mark moves within the visible frequencies.
  MarkMoveLimits f = lim;
  f.minValue = 20000;
  f.maxValue = 80000;
  f.valuePerStep = 0;  // at least 1 Hz
  const int32_t s = list.AddFromCursor(Cursor(1500, 79999, true, CursorKind::LargeMeasurement));
  EXPECT_TRUE(list.Move(s, MarkStep::Up, f));
  EXPECT_EQ(list.Find(s)->value, 80000);
  EXPECT_FALSE(list.Move(s, MarkStep::Up, f));
  EXPECT_FALSE(list.Move(99, MarkStep::Up, f));
}

TEST(MarkList, WalkBringsDisplayCopiesInLine) {
  MarkList list;
  for (int i = 0; i < 4; ++i) list.AddFromCursor(Cursor(100 * i));
  std::vector<MarkRecord> copies;
  auto changed = SyncMarkCopies(copies, list);
  EXPECT_EQ(changed.size(), 4u);  // every mark inserted
  ASSERT_EQ(copies.size(), 4u);
  EXPECT_TRUE(SyncMarkCopies(copies, list).empty());

  // Changed, removed and added marks; unchanged ones are left alone.
  list.Remove(1);
  MarkProperties p = MarkList::PropertiesOf(*list.Find(2));
  p.label = "renamed";
  list.SetProperties(2, p);
  list.AddFromCursor(Cursor(999));  // number 4, becomes active
  changed = SyncMarkCopies(copies, list);
  std::vector<int32_t> numbers;
  for (const MarkRecord& m : changed) numbers.push_back(m.number);
  // 1 dropped, 2 erased and redrawn, 3 lost its active flag (erased and
  // redrawn), 4 inserted.
  EXPECT_EQ(numbers, (std::vector<int32_t>{1, 2, 2, 3, 3, 4}));
  ASSERT_EQ(copies.size(), 4u);
  std::vector<MarkRecord> expect(list.begin(), list.end());
  EXPECT_EQ(copies, expect);

  // Copies ordered by number even when the list is not (marks from a file).
  MarkList file;
  MarkRecord m;
  m.number = 5;
  file.AppendFromFile(m);
  m.number = 1;
  file.AppendFromFile(m);
  std::vector<MarkRecord> c2;
  SyncMarkCopies(c2, file);
  ASSERT_EQ(c2.size(), 2u);
  EXPECT_EQ(c2[0].number, 1);
  EXPECT_EQ(c2[1].number, 5);
  file.Clear();
  EXPECT_EQ(SyncMarkCopies(c2, file).size(), 2u);
  EXPECT_TRUE(c2.empty());
}

TEST(MarkList, DocumentIsModifiedAndViewsToldAfterEveryChange) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  CountingView view;
  doc.AddView(&view);
  EXPECT_FALSE(doc.IsModified());
  const int32_t n = doc.Marks().AddFromCursor(Cursor(0));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.hints, std::vector<UpdateHint>{UpdateHint::MarksChanged});
  doc.SetModifiedFlag(false);
  // Choosing the active mark redraws but changes nothing that is saved.
  doc.Marks().SetActive(n);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.hints.size(), 2u);
  doc.Marks().Remove(n);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.hints.size(), 3u);
  // Nothing to clear: no change.
  doc.Marks().Clear();
  EXPECT_EQ(view.hints.size(), 3u);
  doc.RemoveView(&view);
}

TEST(MarkList, ManyMarksAllFoundByNumber) {
  MarkList list;
  for (int i = 0; i < 200; ++i) list.AddFromCursor(Cursor(i));
  for (int32_t n : {0, 99, 100, 150, 199}) {
    ASSERT_NE(list.Find(n), nullptr) << n;
    EXPECT_EQ(list.Find(n)->label, "Mark " + std::to_string(n));
  }
  EXPECT_TRUE(list.SetActive(150));
  EXPECT_EQ(list.Active()->position, 150);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST(MarkList, SaveAndReloadKeepsEveryField) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 2, 16, 48000, std::vector<uint8_t>(4 * 5000, 0));
  MarkPoint p;
  p.position = 1234;
  p.value = 4321;
  p.channel = 2;
  p.inSpectrogram = false;
  p.kind = CursorKind::Level;
  p.rangeStart = 1000;
  p.rangeEnd = 2000;
  const int32_t a = doc.Marks().AddFromCursor(p);
  const int32_t b = doc.Marks().Add(4000, 61000, true, 3, "Call", false, CursorKind::LargeMeasurement);
  MarkProperties props = MarkList::PropertiesOf(*doc.Marks().Find(a));
  props.label = "Feeding buzz";
  props.description = "Several calls\r\nin a row";
  props.displayMark = false;
  doc.Marks().SetProperties(a, props);
  doc.Marks().Remove(doc.Marks().AddFromCursor(p));  // number 2 is used up
  const std::string path = dir.File("marks.wav");
  ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));

  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({path}));
  ASSERT_EQ(back.Marks().size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    MarkRecord expect = doc.Marks()[i];
    expect.active = 0;  // not kept in a file
    EXPECT_EQ(back.Marks()[i], expect) << i;
  }
  EXPECT_EQ(back.Marks()[1].number, b);
  EXPECT_EQ(back.Marks().Active(), nullptr);
  EXPECT_EQ(back.Marks().NextNumber(), 2);  // past the highest number read
  EXPECT_FALSE(back.IsModified());
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST(MarkList, BatchRunsTheHookOnceAtTheEnd) {
  MarkList list;
  std::vector<bool> calls;
  list.SetChangeHook([&](bool modified) { calls.push_back(modified); });
  {
    MarkList::Batch outer(list);
    {
      MarkList::Batch inner(list);
      for (int i = 0; i < 100; ++i) list.Add(i, 0, false, 1, "", false, CursorKind::Marking);
    }
    EXPECT_TRUE(calls.empty());
    list.Remove(3);
  }
  EXPECT_EQ(calls, std::vector<bool>{true});
  // Only the active mark changed: not modified.
  {
    MarkList::Batch b(list);
    list.SetActive(5);
  }
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
  // Nothing changed: no call.
  { MarkList::Batch b(list); }
  EXPECT_EQ(calls.size(), 2u);
}

}  // namespace
}  // namespace nv
