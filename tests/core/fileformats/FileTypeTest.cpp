#include "fileformats/FileType.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(FileType, LabelsAndCodes) {
  const std::pair<int, const char*> labels[] = {{1, "[Standard Wave]"},
                                                {2, "[16 bit samples MONO]"},
                                                {3, "[8 bit samples MONO]"},
                                                {4, "[Special 60 bytes head MONO]"},
                                                {5, "[Wave]"},
                                                {6, "[Raw data]"},
                                                {7, "[Wave Comp]"}};
  for (auto [code, label] : labels) EXPECT_EQ(TypeLabel(code), label);
  EXPECT_EQ(TypeLabel(0), "[Wave]");
  EXPECT_EQ(TypeLabel(99), "[Wave]");
  EXPECT_EQ(TypeCodeOfLabel("[Nv Wave]"), 5);
  EXPECT_EQ(TypeCodeOfLabel("[Wave Comp]"), 7);
  EXPECT_EQ(TypeCodeOfLabel("[Raw data]"), 5);  // not readable: read as wave
  EXPECT_EQ(TypeCodeOfLabel("[Special 60 bytes head MONO]"), 4);
  EXPECT_EQ(TypeCodeOfLabel("[whatever]"), 5);
}

TEST(FileType, SplittingAndRewritingPathNames) {
  LabeledPath p = SplitTypeLabel("/data/a.wav [8 bit samples MONO]");
  EXPECT_EQ(p.path, "/data/a.wav");
  EXPECT_EQ(p.label, "[8 bit samples MONO]");
  EXPECT_EQ(p.code, 3);
  p = SplitTypeLabel("/data/a.wav");
  EXPECT_EQ(p.path, "/data/a.wav");
  EXPECT_EQ(p.label, "");
  EXPECT_EQ(p.code, 5);
  // " [" before position 2 is no label.
  p = SplitTypeLabel("a [Wave]");
  EXPECT_EQ(p.path, "a [Wave]");
  EXPECT_EQ(p.code, 5);
  p = SplitTypeLabel("ab [Standard Wave]");
  EXPECT_EQ(p.path, "ab");
  EXPECT_EQ(p.code, 1);
  // A folder with " [" in its name stays part of the path.
  p = SplitTypeLabel("/rec [2026]/pond.wav [Wave Comp]");
  EXPECT_EQ(p.path, "/rec [2026]/pond.wav");
  EXPECT_EQ(p.code, 7);
  EXPECT_EQ(ReplaceTypeLabel("/d/x.wav [Wave]", "[Standard Wave]"), "/d/x.wav [Standard Wave]");
  EXPECT_EQ(ReplaceTypeLabel("/d/x.wav", "[Wave]"), "/d/x.wav [Wave]");
  EXPECT_EQ(SplitTypeLabel(ReplaceTypeLabel("/d/x.wav", "[Wave]")).path, "/d/x.wav");
}

TEST(FileType, DialogChoices) {
  ASSERT_EQ(OpenAsChoices().size(), 4u);
  EXPECT_EQ(OpenAsChoices()[0].text, "Wave");
  EXPECT_EQ(OpenAsChoices()[3].text, "Special 60 bytes heading");
  EXPECT_EQ(OpenAsChoices()[3].code, 4);
  ASSERT_EQ(FileFormatChoices().size(), 4u);
  EXPECT_EQ(FileFormatChoices()[1].text, "Wave (Norvane compressed)");
  EXPECT_EQ(FileFormatChoices()[2].code, 1);
  EXPECT_EQ(FileFormatPreselection(5), 0);
  EXPECT_EQ(FileFormatPreselection(3), 0);
  EXPECT_EQ(FileFormatPreselection(7), 1);
  EXPECT_EQ(FileFormatPreselection(1), 2);
  EXPECT_EQ(FileFormatPreselection(6), 3);
}

}  // namespace
}  // namespace nv
