// The chunks of field recordings that the program does not write itself:
// opened and saved as every WAVE type and as a range, compared chunk by chunk
// with the original.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "document/SoundEditor.h"
#include "fileformats/ForeignChunks.h"
#include "fileformats/RiffReader.h"

namespace nv {
namespace {

using test::RiffBuilder;

// The bytes of a literal, NULs inside it included.
template <size_t N>
std::vector<uint8_t> Bytes(const char (&s)[N]) {
  return std::vector<uint8_t>(s, s + N - 1);
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> v) {
  std::vector<uint8_t> out;
  for (uint32_t x : v) {
    uint8_t b[4];
    PutU32(b, x);
    out.insert(out.end(), b, b + 4);
  }
  return out;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A cue point at a frame of the data chunk.
std::vector<uint8_t> CuePoint(uint32_t id, uint32_t frame) {
  return Cat({U32s({id, frame}), Bytes("data"), U32s({0, 0, frame})});
}

// A sub-chunk of a list, padded.
std::vector<uint8_t> Sub(const char* id, const std::vector<uint8_t>& content) {
  return RiffBuilder::Chunk(id, content);
}

// The chunks of a field recording of 1000 frames around its data, in the
// order a recorder might write them (odd sizes included).
std::vector<ForeignChunk> FieldChunks() {
  return {
      {"LIST", Bytes("INFOICMT\x1D\0\0\0Recorded at 21:34, gain med.\0\0" "IART\x05\0\0\0unit\0\0")},
      {"id3 ", Bytes("ID3\x03\0\0\0\0\0\x07TIT2xyz")},
      {"bext", std::vector<uint8_t>(602, 0x41)},
      {"cue ", Cat({U32s({3}), CuePoint(1, 100), CuePoint(2, 500), CuePoint(3, 900)})},
      {"LIST", Cat({Bytes("adtl"), Sub("labl", Cat({U32s({1}), Bytes("first\0")})),
                    Sub("labl", Cat({U32s({2}), Bytes("second\0")})),
                    Sub("ltxt", Cat({U32s({2, 300}), Bytes("rgn "), std::vector<uint8_t>(8, 0)})),
                    Sub("note", Cat({U32s({3}), Bytes("third\0")}))})},
      {"smpl", Cat({U32s({0, 0, 2267, 60, 0, 0, 0, 2, 0}), U32s({7, 0, 200, 299, 0, 0}),
                    U32s({8, 0, 700, 999, 0, 0})})},
      {"wamd", Bytes("\x01\0\x05\0\0\0maker")},
      {"iXML", Bytes("<BWFXML><NOTE>x</NOTE></BWFXML>")},
      {"fact", U32s({1000})},
      {"JUNK", std::vector<uint8_t>(7, 0)},
  };
}

std::vector<uint8_t> Tone() {
  std::vector<int16_t> s(1000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(std::lround(9000 * std::sin(0.3 * i)));
  return test::Samples16(s);
}

// A WAVE file with fmt, the first `before` chunks, data, the rest, and guan.
std::vector<uint8_t> FieldFile(const std::vector<ForeignChunk>& chunks, size_t before) {
  std::vector<uint8_t> c = RiffBuilder::Fmt(1, 1, 384000, 16);
  auto add = [&](const std::vector<uint8_t>& ch) { c.insert(c.end(), ch.begin(), ch.end()); };
  for (size_t i = 0; i < before; ++i) add(RiffBuilder::Chunk(chunks[i].id.c_str(), chunks[i].content));
  add(RiffBuilder::Chunk("data", Tone()));
  for (size_t i = before; i < chunks.size(); ++i) add(RiffBuilder::Chunk(chunks[i].id.c_str(), chunks[i].content));
  add(RiffBuilder::Chunk("guan", Bytes("GUANO|Version: 1.0\nTE: 1\n")));
  RiffBuilder rb;
  rb.Form("WAVE", c);
  return rb.bytes;
}

// The sub-chunks of a file's WAVE form but fmt, data and guan, in order.
std::vector<ForeignChunk> ChunksOf(const std::string& path) {
  const auto b = test::ReadFileBytes(path);
  int fd = open(path.c_str(), O_RDONLY);
  RiffReader rr(fd, static_cast<int64_t>(b.size()));
  RiffChunk wave;
  std::vector<std::string> problems;
  std::vector<ForeignChunk> out;
  if (rr.FindForm("WAVE", 0, wave)) out = ForeignChunks::Read(rr, wave, problems).Items();
  close(fd);
  EXPECT_TRUE(problems.empty());
  return out;
}

const ForeignChunk* Find(const std::vector<ForeignChunk>& v, const std::string& id, const char* listType = nullptr) {
  for (const ForeignChunk& c : v)
    if (c.id == id && (!listType || std::string(c.content.begin(), c.content.begin() + 4) == listType)) return &c;
  return nullptr;
}

class ForeignChunksFile : public ::testing::Test {
 protected:
  test::ScopedSink sink;
  test::TempDir dir;
};

TEST_F(ForeignChunksFile, EveryTypeOfSaveKeepsTheRecordersChunksInTheirOrder) {
  DocumentContext documents;
  const std::vector<ForeignChunk> want = FieldChunks();
  const std::string src = dir.File("field.wav");
  test::WriteFileBytes(src, FieldFile(want, 3));
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({src}));
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
  for (FileType type : {FileType::StandardWave, FileType::NorvaneWave}) {
    const std::string out = dir.File("out.wav");
    ASSERT_TRUE(doc.Save({out, type}));
    EXPECT_EQ(ChunksOf(out), want) << static_cast<int>(type);
    // Opened and saved again, nothing changes.
    CNorvaneDoc again(documents);
    ASSERT_TRUE(again.Open({out}));
    ASSERT_TRUE(again.Save({dir.File("again.wav"), FileType::StandardWave}));
    EXPECT_EQ(ChunksOf(dir.File("again.wav")), want);
  }
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
  // A compressed save holds other frame positions: cue points, labels and
  // loops are left out, said once; everything else is kept, "fact" counts
  // the frames written.
  doc.Compression().levelDb = -99;
  ASSERT_TRUE(doc.Save({dir.File("comp.wav"), FileType::NorvaneWaveComp}));
  ASSERT_EQ(sink.texts().size(), 1u);
  EXPECT_NE(sink.last().find("left out"), std::string::npos);
  std::vector<ForeignChunk> kept;
  for (const ForeignChunk& c : want)
    if (!ForeignChunks::CountsPositions(c)) kept.push_back(c);
  const auto comp = ChunksOf(dir.File("comp.wav"));
  ASSERT_EQ(comp.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    if (kept[i].id != "fact") {
      EXPECT_EQ(comp[i], kept[i]) << kept[i].id;
    }
  }
  CNorvaneDoc packed(documents);
  ASSERT_TRUE(packed.Open({dir.File("comp.wav")}));
  EXPECT_EQ(packed.FrameCount(), 1000);
}

TEST_F(ForeignChunksFile, RangeSavesShiftAndTrimPositionsAndEditsLeaveThemOut) {
  DocumentContext documents;
  const std::string src = dir.File("field.wav");
  test::WriteFileBytes(src, FieldFile(FieldChunks(), 0));
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({src}));
  struct Case {
    int64_t first, end;
    std::vector<std::pair<uint32_t, uint32_t>> cues;   // id, frame
    std::vector<std::pair<uint32_t, uint32_t>> loops;  // first, last frame
    std::vector<uint32_t> labelled;                    // cue ids with labels or notes
    int64_t regionLength;                              // of cue 2's labelled text; -1 none
  } cases[] = {
      {400, 800, {{2, 100}}, {}, {2}, 300},
      {400, 700, {{2, 100}}, {}, {2}, 200},
      {150, 1000, {{2, 350}, {3, 750}}, {{50, 149}, {550, 849}}, {2, 3}, 300},
      {0, 150, {{1, 100}}, {}, {1}, -1},
      {600, 850, {}, {}, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + "-" + std::to_string(c.end));
    const std::string out = dir.File("range.wav");
    ASSERT_TRUE(doc.Save({out, FileType::NorvaneWave}, c.first, c.end));
    const auto got = ChunksOf(out);
    // Chunks that do not count positions come back as they were.
    for (const ForeignChunk& f : FieldChunks()) {
      if (!ForeignChunks::CountsPositions(f) && f.id != "fact") {
        EXPECT_EQ(*Find(got, f.id, f.id == "LIST" ? "INFO" : nullptr), f);
      }
    }
    EXPECT_EQ(GetU32(Find(got, "fact")->content.data()), c.end - c.first);
    const ForeignChunk* cue = Find(got, "cue ");
    ASSERT_EQ(cue != nullptr, !c.cues.empty());
    if (cue) {
      ASSERT_EQ(GetU32(cue->content.data()), c.cues.size());
      for (size_t i = 0; i < c.cues.size(); ++i) {
        const uint8_t* p = cue->content.data() + 4 + 24 * i;
        EXPECT_EQ(GetU32(p), c.cues[i].first);
        EXPECT_EQ(GetU32(p + 4), c.cues[i].second);
        EXPECT_EQ(GetU32(p + 20), c.cues[i].second);
      }
    }
    const ForeignChunk* smpl = Find(got, "smpl");
    ASSERT_TRUE(smpl);
    ASSERT_EQ(GetU32(smpl->content.data() + 28), c.loops.size());
    for (size_t i = 0; i < c.loops.size(); ++i) {
      EXPECT_EQ(GetU32(smpl->content.data() + 36 + 24 * i + 8), c.loops[i].first);
      EXPECT_EQ(GetU32(smpl->content.data() + 36 + 24 * i + 12), c.loops[i].second);
    }
    const ForeignChunk* adtl = Find(got, "LIST", "adtl");
    ASSERT_EQ(adtl != nullptr, !c.labelled.empty());
    std::vector<uint32_t> labelled;
    int64_t region = -1;
    for (size_t p = 4; adtl && p + 12 <= adtl->content.size();) {
      const uint32_t size = GetU32(&adtl->content[p + 4]);
      const uint32_t id = GetU32(&adtl->content[p + 8]);
      if (labelled.empty() || labelled.back() != id) labelled.push_back(id);
      if (std::string(&adtl->content[p], &adtl->content[p] + 4) == "ltxt") region = GetU32(&adtl->content[p + 12]);
      p += 8 + size + (size & 1);
    }
    EXPECT_EQ(labelled, c.labelled);
    EXPECT_EQ(region, c.regionLength);
  }
  EXPECT_TRUE(sink.texts().empty()) << sink.last();

  // After a cut the positions name other sound: left out, said once.
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Delete(10, 20, ChannelSelection::Both));
  ASSERT_TRUE(doc.Save({dir.File("cut.wav"), FileType::StandardWave}));
  ASSERT_EQ(sink.texts().size(), 1u);
  EXPECT_NE(sink.last().find("left out"), std::string::npos);
  const auto cut = ChunksOf(dir.File("cut.wav"));
  EXPECT_FALSE(Find(cut, "cue "));
  EXPECT_FALSE(Find(cut, "smpl"));
  EXPECT_FALSE(Find(cut, "LIST", "adtl"));
  EXPECT_TRUE(Find(cut, "wamd"));
  EXPECT_EQ(GetU32(Find(cut, "fact")->content.data()), 990u);
}

TEST_F(ForeignChunksFile, AChunkCutOffByTheEndOfTheFileIsNamedAndTheSoundStillOpens) {
  DocumentContext documents;
  std::vector<ForeignChunk> chunks = {{"wamd", Bytes("maker's own")}, {"iXML", std::vector<uint8_t>(400, 'x')}};
  std::vector<uint8_t> file = FieldFile(chunks, 1);
  // Cut inside the iXML chunk (the guan chunk goes with it).
  file.erase(file.end() - (8 + 26 + 100), file.end());
  test::WriteFileBytes(dir.File("cut.wav"), file);
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({dir.File("cut.wav")}));
  EXPECT_EQ(doc.FrameCount(), 1000);
  ASSERT_FALSE(sink.texts().empty());
  EXPECT_NE(sink.texts()[0].find("\"iXML\""), std::string::npos) << sink.texts()[0];
  ASSERT_TRUE(doc.Save({dir.File("out.wav"), FileType::StandardWave}));
  EXPECT_EQ(ChunksOf(dir.File("out.wav")), std::vector<ForeignChunk>({chunks[0]}));
}

}  // namespace
}  // namespace nv
