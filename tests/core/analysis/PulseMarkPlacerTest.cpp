// Marks of a pulse run placed in a document and cleared again.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "analysis/PulseMarkPlacer.h"

namespace nv {
namespace {

TEST(PulseMarkPlacer, PlacesNumberedMarksAndRemovesThem) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, std::vector<uint8_t>(2000, 0));
  const int32_t first = doc.Marks().Add(10, 0, false, 3, "", true, CursorKind::Marking);
  doc.SetModifiedFlag(false);

  const int32_t a = PulseMarkPlacer::Place(doc, {PulseMarkKind::Start, 100, 0, false, 2, CursorKind::Marking, "#1 start"});
  const int32_t b = PulseMarkPlacer::Place(doc, {PulseMarkKind::MaxFrequency, 300, 80000, true, 2, CursorKind::Measurement, "#1 high"});
  EXPECT_EQ(a, first + 1);
  EXPECT_EQ(b, first + 2);
  ASSERT_EQ(doc.Marks().size(), 3u);
  const MarkRecord& m = doc.Marks()[2];
  EXPECT_EQ(m.position, 300);
  EXPECT_EQ(m.value, 80000);
  EXPECT_EQ(m.inSpectrogram, 1);
  EXPECT_EQ(m.kind, 2);
  EXPECT_EQ(m.channel, 2);
  EXPECT_EQ(m.displayMark, 1);
  EXPECT_EQ(m.displayLabel, 0);
  EXPECT_EQ(m.label, "#1 high");
  EXPECT_TRUE(doc.IsModified());

  EXPECT_TRUE(PulseMarkPlacer::Remove(doc, a));
  EXPECT_TRUE(PulseMarkPlacer::Remove(doc, b));
  EXPECT_FALSE(PulseMarkPlacer::Remove(doc, b));
  ASSERT_EQ(doc.Marks().size(), 1u);
  EXPECT_EQ(doc.Marks()[0].number, first);
  // Numbers are not reused.
  EXPECT_EQ(PulseMarkPlacer::Place(doc, {PulseMarkKind::End, 10, 0, false, 1, CursorKind::Marking, "#2 end"}), first + 3);
}

}  // namespace
}  // namespace nv

#include "analysis/WorkerSampleMapping.h"

namespace nv {
namespace {

TEST(WorkerSampleMapping, SeesTheDocumentsSamplesAndOutlivesItsMapping) {
  DocumentContext documents;
  // Contents that start inside a page of the work file, as after opening a
  // WAVE file whose sound starts at byte 44.
  CNorvaneDoc doc(documents);
  std::vector<int16_t> values(10000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int16_t>(i * 7 - 30000);
  doc.SetFormat(1, 16, 44100);
  doc.RecomputeBufferSize();
  const std::vector<uint8_t> bytes = test::Samples16(values);
  ASSERT_TRUE(doc.WritableWorkFile().Reset(44));
  ASSERT_TRUE(doc.WritableWorkFile().WriteAt(0, bytes.data(), bytes.size()));
  doc.SetLength(10000);
  ASSERT_NE(doc.WorkFile().FileOffset(0) % 4096, 0);
  const SampleSource own = doc.Samples();
  WorkerSampleMapping mapping(doc);
  ASSERT_FALSE(mapping.Failed());
  ASSERT_EQ(mapping.Samples().Frames(), 10000);
  doc.UnmapSamples();  // the document lets go of its own mapping
  for (int64_t i : {0, 1, 4095, 9999}) EXPECT_EQ(mapping.Samples().Raw(i, 0), values[static_cast<size_t>(i)]);
  (void)own;
  CNorvaneDoc empty(documents);
  WorkerSampleMapping none(empty);
  EXPECT_FALSE(none.Failed());
  EXPECT_TRUE(none.Samples().Empty());
}

}  // namespace
}  // namespace nv
