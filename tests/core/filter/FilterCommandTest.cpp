#include "filter/FilterCommand.h"

#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "document/SoundEditor.h"

namespace nv {
namespace {

std::vector<uint8_t> Noise16(int frames, int channels) {
  std::vector<int16_t> s;
  uint32_t x = 99;
  for (int i = 0; i < frames * channels; ++i) s.push_back(static_cast<int16_t>((x = x * 1664525u + 1013904223u) >> 17));
  return test::Samples16(s);
}

TEST(FilterCommand, FiltersTheRangeAndUndoesExactly) {
  DocumentContext documents;
  test::ScopedSink sink;
  for (int c : {1, 2, 3}) {
    CNorvaneDoc doc(documents);
    auto bytes = Noise16(4000, 2);
    test::FillDocument(doc, 2, 16, 44100, bytes);
    doc.Info().SetTimeExpansion(10000);
    EXPECT_EQ(DocumentNyquistHz(doc), 220500);
    doc.Info().SetTimeExpansion(0);
    EXPECT_EQ(DocumentNyquistHz(doc), 22050);  // no factor: the sampling rate's own
    doc.Info().SetTimeExpansion(10000);
    FilterDescription desc;
    desc.bandType = BandType::LowPass;
    desc.order = 4;
    desc.lowPassHz = 30000;  // real frequency: the factor is part of the Nyquist frequency
    ASSERT_TRUE(FilterDocumentRange(doc, desc, 3000, 500, ChannelSelectionFromCode(c)));
    EXPECT_EQ(doc.Editor().LastEdit().kind, UndoKind::Filter);
    EXPECT_EQ(SoundEditor::UndoMenuText(doc.Editor().LastEdit().kind), "&Undo Filter");
    EXPECT_TRUE(doc.IsModified());
    auto after = test::WorkBytes(doc);
    // Outside the range and in an unselected channel nothing changes.
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 500 * 4, bytes.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 3000 * 4, after.end(), bytes.begin() + 3000 * 4));
    int changedLeft = 0, changedRight = 0;
    for (int k = 500; k < 3000; ++k) {
      changedLeft += after[4 * k] != bytes[4 * k] || after[4 * k + 1] != bytes[4 * k + 1];
      changedRight += after[4 * k + 2] != bytes[4 * k + 2] || after[4 * k + 3] != bytes[4 * k + 3];
    }
    EXPECT_EQ(changedLeft > 0, c != 2) << c;
    EXPECT_EQ(changedRight > 0, c != 1) << c;
    ASSERT_TRUE(doc.Editor().Undo());
    EXPECT_EQ(test::WorkBytes(doc), bytes) << c;
  }
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST(FilterCommand, ARefusedDesignChangesNothing) {
  DocumentContext documents;
  test::ScopedSink sink;
  CNorvaneDoc doc(documents);
  auto bytes = Noise16(100, 1);
  test::FillDocument(doc, 1, 16, 8000, bytes);
  FilterDescription desc;
  desc.lowPassHz = 5000;  // above the Nyquist frequency of 4000 Hz
  EXPECT_FALSE(FilterDocumentRange(doc, desc, 0, 100, ChannelSelection::Both));
  EXPECT_EQ(sink.last(), "Illegal cut-off frequency!");
  EXPECT_EQ(doc.Editor().LastEdit().kind, UndoKind::None);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(test::WorkBytes(doc), bytes);
}

}  // namespace
}  // namespace nv
