// The detector over a document: its own mapping of the work file, which
// keeps reading while the document's mapping is released or remade, and the
// detector sound written to a file block by block.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestSupport.h"
#include "audio/DetectorDocument.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

std::vector<int16_t> Tone(size_t n) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(9000 * std::sin(0.31 * static_cast<double>(i)));
  return s;
}

FilterDescription LowPass() {
  FilterDescription f;
  f.order = 4;
  f.lowPassHz = 3000;
  EXPECT_TRUE(DesignFilter(f, 22050));
  return f;
}

TEST(DetectorDocument, OwnMappingOutlivesTheDocumentsMapping) {
  DocumentContext documents;
  test::ScopedSink sink;
  CNorvaneDoc doc(documents);
  const std::vector<int16_t> tone = Tone(30000);
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(tone));
  DetectorSoundMapping map;
  ASSERT_TRUE(map.Map(doc));
  ASSERT_EQ(map.Samples().Frames(), 30000);
  // Other code maps the work file for writing and releases it again.
  ASSERT_NE(doc.MapSamples(MapAccess::Write).Data(), nullptr);
  for (int64_t i : {0, 1, 12345, 29999}) EXPECT_EQ(map.Samples().Raw(i, 0), tone[static_cast<size_t>(i)]);
  map.Release();
  EXPECT_TRUE(map.Samples().Empty());
  // A document read from a WAVE file keeps the data's offset within a page
  // (44 bytes in): the mapping finds the frames there all the same.
  test::TempDir dir;
  ASSERT_TRUE(doc.Save({dir.File("tone.wav"), FileType::StandardWave}));
  CNorvaneDoc opened(documents);
  ASSERT_TRUE(opened.Open({dir.File("tone.wav")}));
  ASSERT_NE(opened.WorkFile().FileOffset(0) % TempFile::kPageBytes, 0);
  ASSERT_TRUE(map.Map(opened));
  ASSERT_EQ(map.Samples().Frames(), 30000);
  for (int64_t i : {0, 1, 12345, 29999}) EXPECT_EQ(map.Samples().Raw(i, 0), tone[static_cast<size_t>(i)]);
  map.Release();
  // An empty document maps to no frames.
  CNorvaneDoc empty(documents);
  test::FillDocument(empty, 1, 16, 44100, {});
  EXPECT_TRUE(map.Map(empty));
  EXPECT_TRUE(map.Samples().Empty());
  EXPECT_TRUE(sink.texts().empty());
}

TEST(DetectorDocument, WrittenFileHoldsTheBlocksThePlaybackPlays) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  CNorvaneDoc doc(documents);
  const std::vector<int16_t> tone = Tone(100000);
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(tone));
  doc.Info().SetTimeExpansion(10000);
  const FilterDescription f = LowPass();
  ASSERT_EQ(WriteDetectorSound(doc, f, 1000, 60000, 7, 30000, dir.File("out.wav")), DetectorWriteResult::Written);

  // The same range through a stream, block by block.
  DetectorSoundMapping map;
  ASSERT_TRUE(map.Map(doc));
  DetectorStream s;
  ASSERT_EQ(s.Start(MakeDetectorRequest(doc, map.Samples(), 1000, 60000, 7, 30000), f), DetectorStartResult::Started);
  EXPECT_EQ(s.OscillatorHz(), 3000);
  std::vector<uint8_t> expected, block(s.BlockBytes());
  while (uint32_t got = s.FillBlock(block.data())) expected.insert(expected.end(), block.begin(), block.begin() + got);

  CNorvaneDoc out(documents);
  ASSERT_TRUE(out.Open({dir.File("out.wav")}));
  EXPECT_EQ(out.File().type, FileType::StandardWave);
  EXPECT_EQ(out.Format().nSamplesPerSec, 44100u);
  EXPECT_EQ(out.Format().wBitsPerSample, 16);
  EXPECT_EQ(test::WorkBytes(out), expected);
  // 59 000 frames in blocks of 7 x 2 752 frames: four blocks, the last
  // played to its end.
  EXPECT_EQ(out.FrameCount(), 4 * 2752);
  EXPECT_TRUE(sink.texts().empty());

  EXPECT_EQ(WriteDetectorSound(doc, f, 100000, 100000, 7, 30000, dir.File("none.wav")), DetectorWriteResult::EmptyRange);
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.wav")));
  EXPECT_EQ(WriteDetectorSound(doc, f, 0, 100, 7, 30000, dir.File("no/such/dir.wav")), DetectorWriteResult::Failed);
  EXPECT_FALSE(sink.texts().empty());
}

}  // namespace
}  // namespace nv
