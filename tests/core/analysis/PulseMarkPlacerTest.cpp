// Marks of a pulse run placed in a document and cleared again.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "analysis/PulseMarkPlacer.h"

namespace nv {
namespace {

TEST(PulseMarkPlacer, PlacesNumberedMarksAndRemovesThem) {
  CNorvaneDoc doc;
  test::FillDocument(doc, 1, 16, 44100, std::vector<uint8_t>(2000, 0));
  const int32_t first = doc.Marks().Add(10, 0, false, 3, "", true, 1);
  doc.SetModifiedFlag(false);

  const int32_t a = PulseMarkPlacer::Place(doc, {PulseMarkKind::Start, 100, 0, false, 2, 1, "#1 start"});
  const int32_t b = PulseMarkPlacer::Place(doc, {PulseMarkKind::MaxFrequency, 300, 80000, true, 2, 2, "#1 high"});
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
  EXPECT_EQ(PulseMarkPlacer::Place(doc, {PulseMarkKind::End, 10, 0, false, 1, 1, "#2 end"}), first + 3);
}

}  // namespace
}  // namespace nv
