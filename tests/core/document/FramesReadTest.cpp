// A pass over the frames while a file is read: every frame once, in order,
// equal to what the work file holds afterwards, for every kind of file.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"

namespace nv {
namespace {

// The frames handed over while opening, as the bytes of the stored form.
struct Collector {
  std::vector<uint8_t> bytes;
  int calls = 0;
  void operator()(const SampleSource& f) {
    ++calls;
    for (int64_t i = 0; i < f.Frames(); ++i)
      for (int c = 0; c < f.Channels(); ++c) {
        uint8_t b[2];
        StoreRaw(b, f.Bits(), f.Raw(i, c));
        bytes.insert(bytes.end(), b, b + f.Bits() / 8);
      }
  }
};

std::vector<uint8_t> Noise(size_t n) {
  std::vector<uint8_t> v(n);
  uint32_t x = 7;
  for (auto& b : v) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
  return v;
}

TEST(FramesRead, EveryFrameOnceInOrderForEveryKindOfFile) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  documents.Reset();
  struct Case {
    int channels, bits;
    size_t bytes;
    FileType saveAs;
    std::string label;
  } cases[] = {
      {1, 16, 9u << 20, FileType::StandardWave, ""},  // several pieces of the copy
      {2, 8, 5u << 20, FileType::NorvaneWave, ""},    // stereo 8-bit, private forms
      {1, 16, 3001 * 2 + 1, FileType::RawData, " [16 bit samples MONO]"},  // half a frame at the end
      {2, 16, 4000, FileType::StandardWave, ""},      // less than a piece
  };
  for (const Case& c : cases) {
    CNorvaneDoc src(documents);
    test::FillDocument(src, c.channels, c.bits, 44100, Noise(c.bytes));
    const std::string path = dir.File("f" + std::to_string(ToCode(c.saveAs)) + ".wav");
    ASSERT_TRUE(src.Save({path, c.saveAs}));
    CNorvaneDoc doc(documents);
    Collector got;
    ASSERT_TRUE(doc.Open(SoundFilePath::FromLabelled(path + c.label), std::ref(got))) << ToCode(c.saveAs);
    const std::vector<uint8_t> work = test::WorkBytes(doc);
    const size_t whole = static_cast<size_t>(doc.FramesToBytes(doc.FrameCount()));
    EXPECT_EQ(got.bytes, std::vector<uint8_t>(work.begin(), work.begin() + whole)) << ToCode(c.saveAs);
    EXPECT_GE(got.calls, 1);
  }
  // A compressed file is expanded stretch by stretch; silence between.
  CNorvaneDoc loud(documents);
  std::vector<int16_t> s(20000, 0);
  for (int i = 3000; i < 3400; ++i) s[static_cast<size_t>(i)] = static_cast<int16_t>(i * 3);
  for (int i = 15000; i < 15100; ++i) s[static_cast<size_t>(i)] = -20000;
  test::FillDocument(loud, 1, 16, 1000, test::Samples16(s));
  loud.Compression().levelDb = 20;
  ASSERT_TRUE(loud.Save({dir.File("c.wav"), FileType::NorvaneWaveComp}));
  CNorvaneDoc back(documents);
  Collector got;
  ASSERT_TRUE(back.Open({dir.File("c.wav")}, std::ref(got)));
  EXPECT_EQ(back.File().type, FileType::NorvaneWaveComp);
  EXPECT_EQ(got.bytes, test::WorkBytes(back));
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST(FramesRead, AFailedOpenStillEndsThePass) {
  DocumentContext documents;
  test::ScopedSink sink;
  CNorvaneDoc doc(documents);
  Collector got;
  EXPECT_FALSE(doc.Open({"/nonexistent/none.wav"}, std::ref(got)));
  EXPECT_EQ(got.calls, 0);
  EXPECT_EQ(sink.texts().size(), 1u);
}

TEST(FramesRead, InPlaceReadingGivesTheSameSoundWithoutACopy) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  documents.Reset();
  struct Case {
    int channels, bits;
    size_t bytes;
    FileType saveAs;
    std::string label;
    bool inPlace;
  } cases[] = {
      {1, 16, 3u << 20, FileType::StandardWave, "", true},
      {2, 8, 100001, FileType::NorvaneWave, "", true},
      {1, 16, 3001 * 2 + 1, FileType::RawData, " [16 bit samples MONO]", true},
      {1, 16, 4000, FileType::RawData, " [Special 60 bytes head MONO]", false},  // converted: copied
  };
  for (const Case& c : cases) {
    CNorvaneDoc src(documents);
    test::FillDocument(src, c.channels, c.bits, 44100, Noise(c.bytes));
    const std::string path = dir.File("p" + std::to_string(ToCode(c.saveAs)) + (c.inPlace ? "" : "s") + ".wav");
    ASSERT_TRUE(src.Save({path, c.saveAs})) << ToCode(c.saveAs);
    CNorvaneDoc copied(documents), inPlace(documents);
    Collector a, b;
    ASSERT_TRUE(copied.Open(SoundFilePath::FromLabelled(path + c.label), std::ref(a)));
    ASSERT_TRUE(inPlace.Open(SoundFilePath::FromLabelled(path + c.label), std::ref(b), SampleAccess::InPlace));
    EXPECT_EQ(inPlace.WorkFile().IsAdopted(), c.inPlace) << ToCode(c.saveAs);
    EXPECT_EQ(inPlace.FrameCount(), copied.FrameCount());
    EXPECT_EQ(inPlace.File().type, copied.File().type);
    EXPECT_EQ(b.bytes, a.bytes) << ToCode(c.saveAs);
    EXPECT_EQ(test::WorkBytes(inPlace), test::WorkBytes(copied)) << ToCode(c.saveAs);
    // Saved again, it gives the same file as a copied document.
    ASSERT_TRUE(inPlace.Save({dir.File("again.wav"), FileType::NorvaneWave}));
    ASSERT_TRUE(copied.Save({dir.File("again-copied.wav"), FileType::NorvaneWave}));
    EXPECT_EQ(test::ReadFileBytes(dir.File("again.wav")), test::ReadFileBytes(dir.File("again-copied.wav")));
  }
  // A compressed file is expanded into a copy.
  CNorvaneDoc loud(documents);
  std::vector<int16_t> s(20000, 0);
  for (int i = 3000; i < 3400; ++i) s[static_cast<size_t>(i)] = static_cast<int16_t>(i * 3);
  test::FillDocument(loud, 1, 16, 1000, test::Samples16(s));
  loud.Compression().levelDb = 20;
  ASSERT_TRUE(loud.Save({dir.File("c.wav"), FileType::NorvaneWaveComp}));
  CNorvaneDoc back(documents), backCopied(documents);
  ASSERT_TRUE(back.Open({dir.File("c.wav")}, {}, SampleAccess::InPlace));
  ASSERT_TRUE(backCopied.Open({dir.File("c.wav")}));
  EXPECT_FALSE(back.WorkFile().IsAdopted());
  EXPECT_EQ(test::WorkBytes(back), test::WorkBytes(backCopied));
  // Opening another file into a document read in place gives it a copy again.
  ASSERT_TRUE(back.Open({dir.File("p1.wav")}));
  EXPECT_FALSE(back.WorkFile().IsAdopted());
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

}  // namespace
}  // namespace nv
