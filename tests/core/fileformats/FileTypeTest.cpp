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
  for (auto [code, label] : labels) EXPECT_EQ(TypeLabel(FileTypeFromCode(code)), label);
  EXPECT_EQ(TypeLabel(FileTypeFromCode(0)), "[Wave]");
  EXPECT_EQ(TypeLabel(FileTypeFromCode(99)), "[Wave]");
  EXPECT_EQ(TypeOfLabel("[Nv Wave]"), FileType::NorvaneWave);
  EXPECT_EQ(TypeOfLabel("[Wave Comp]"), FileType::NorvaneWaveComp);
  EXPECT_EQ(TypeOfLabel("[Raw data]"), FileType::NorvaneWave);  // not readable: read as wave
  EXPECT_EQ(TypeOfLabel("[Special 60 bytes head MONO]"), FileType::Special60Head);
  EXPECT_EQ(TypeOfLabel("[whatever]"), FileType::NorvaneWave);
}

TEST(FileType, SplittingAndRewritingPathNames) {
  LabeledPath p = SplitTypeLabel("/data/a.wav [8 bit samples MONO]");
  EXPECT_EQ(p.path, "/data/a.wav");
  EXPECT_EQ(p.label, "[8 bit samples MONO]");
  EXPECT_EQ(p.type, FileType::Samples8Mono);
  p = SplitTypeLabel("/data/a.wav");
  EXPECT_EQ(p.path, "/data/a.wav");
  EXPECT_EQ(p.label, "");
  EXPECT_EQ(p.type, FileType::NorvaneWave);
  // " [" before position 2 is no label.
  p = SplitTypeLabel("a [Wave]");
  EXPECT_EQ(p.path, "a [Wave]");
  EXPECT_EQ(p.type, FileType::NorvaneWave);
  p = SplitTypeLabel("ab [Standard Wave]");
  EXPECT_EQ(p.path, "ab");
  EXPECT_EQ(p.type, FileType::StandardWave);
  // A folder with " [" in its name stays part of the path.
  p = SplitTypeLabel("/rec [2026]/pond.wav [Wave Comp]");
  EXPECT_EQ(p.path, "/rec [2026]/pond.wav");
  EXPECT_EQ(p.type, FileType::NorvaneWaveComp);
  EXPECT_EQ(ReplaceTypeLabel("/d/x.wav [Wave]", "[Standard Wave]"), "/d/x.wav [Standard Wave]");
  EXPECT_EQ(ReplaceTypeLabel("/d/x.wav", "[Wave]"), "/d/x.wav [Wave]");
  EXPECT_EQ(SplitTypeLabel(ReplaceTypeLabel("/d/x.wav", "[Wave]")).path, "/d/x.wav");
}

TEST(FileType, SoundFilePathsAndTheirLabelledForm) {
  for (const std::string path : {"/data/a.wav", "/rec [2026]/pond.wav", "ab", "/d/x.wav [Wave]"}) {
    for (int code = 1; code <= 7; ++code) {
      const SoundFilePath file{path, FileTypeFromCode(code)};
      EXPECT_EQ(file.Labelled(), path + " " + TypeLabel(file.type));
      EXPECT_EQ(file.Labelled(), ReplaceTypeLabel(path + " [Wave]", TypeLabel(file.type)));
      const SoundFilePath back = SoundFilePath::FromLabelled(file.Labelled());
      EXPECT_EQ(back.path, path);
      // Every readable type comes back; raw data reads as a WAVE file.
      EXPECT_EQ(back.type, file.type == FileType::RawData ? FileType::NorvaneWave : file.type);
    }
  }
  EXPECT_EQ(SoundFilePath{}.Labelled(), "");
  EXPECT_TRUE(SoundFilePath::FromLabelled("").Empty());
  EXPECT_EQ(SoundFilePath::FromLabelled("/data/a.wav"), (SoundFilePath{"/data/a.wav", FileType::NorvaneWave}));
  EXPECT_EQ((SoundFilePath{"/data/bats/pass 1.wav", FileType::NorvaneWaveComp}).FileName(), "pass 1.wav");
  EXPECT_EQ((SoundFilePath{"plain.wav", FileType::StandardWave}).FileName(), "plain.wav");
}

TEST(FileType, DialogChoices) {
  ASSERT_EQ(OpenAsChoices().size(), 4u);
  EXPECT_EQ(OpenAsChoices()[0].text, "Wave");
  EXPECT_EQ(OpenAsChoices()[3].text, "Special 60 bytes heading");
  EXPECT_EQ(OpenAsChoices()[3].type, FileType::Special60Head);
  ASSERT_EQ(FileFormatChoices().size(), 4u);
  EXPECT_EQ(FileFormatChoices()[1].text, "Wave (Norvane compressed)");
  EXPECT_EQ(FileFormatChoices()[2].type, FileType::StandardWave);
  EXPECT_EQ(FileFormatPreselection(FileType::NorvaneWave), 0);
  EXPECT_EQ(FileFormatPreselection(FileType::Samples8Mono), 0);
  EXPECT_EQ(FileFormatPreselection(FileType::NorvaneWaveComp), 1);
  EXPECT_EQ(FileFormatPreselection(FileType::StandardWave), 2);
  EXPECT_EQ(FileFormatPreselection(FileType::RawData), 3);
}

}  // namespace
}  // namespace nv
