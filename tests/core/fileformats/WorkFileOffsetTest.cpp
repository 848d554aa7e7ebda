// Opening keeps the sound's offset within a page in the work file, so that
// the copies in and out run between equal page offsets; everything that reads
// or edits the samples sees the same sound whatever that offset is.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "document/SoundEditor.h"

namespace nv {
namespace {

using test::RiffBuilder;

std::vector<uint8_t> Ramp(int n) {
  std::vector<int16_t> s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<int16_t>(i * 131 - 30000));
  return test::Samples16(s);
}

// A mono 16-bit WAVE file whose "data" content starts at byte `dataOffset`
// (a filler chunk before the format moves it; at least 44).
std::vector<uint8_t> WaveWithDataAt(int64_t dataOffset, const std::vector<uint8_t>& data) {
  RiffBuilder w;
  std::vector<uint8_t> c;
  const int64_t filler = dataOffset - 44;
  if (filler > 0) {
    auto j = RiffBuilder::Chunk("LIST", std::vector<uint8_t>(static_cast<size_t>(filler - 8), 0));
    c.insert(c.end(), j.begin(), j.end());
  }
  auto f = RiffBuilder::Fmt(1, 1, 44100, 16);
  c.insert(c.end(), f.begin(), f.end());
  auto d = RiffBuilder::Chunk("data", data);
  c.insert(c.end(), d.begin(), d.end());
  w.Form("WAVE", c);
  return w.bytes;
}

TEST(WorkFileOffset, OpenKeepsTheDataOffsetWithinAPageAndSavesTheSameBytes) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  const std::vector<uint8_t> sound = Ramp(30011);
  for (int64_t at : {int64_t{44}, int64_t{4096}, int64_t{5000}, int64_t{8190}}) {
    const std::string path = dir.File("w" + std::to_string(at) + ".wav");
    const std::vector<uint8_t> file = WaveWithDataAt(at, sound);
    ASSERT_EQ(file[static_cast<size_t>(at) - 8], 'd');
    test::WriteFileBytes(path, file);
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({path})) << at;
    EXPECT_EQ(doc.WorkFile().FileOffset(0) % 4096, at % 4096) << at;
    EXPECT_EQ(test::WorkBytes(doc), sound) << at;
    EXPECT_EQ(doc.Samples().Raw(30010, 0), static_cast<int16_t>(30010 * 131 - 30000));
    // A type-5 file read back and saved again is the same file.
    const std::string five = dir.File("f" + std::to_string(at) + ".wav");
    ASSERT_TRUE(doc.Save({five, FileType::NorvaneWave}));
    CNorvaneDoc again(documents);
    ASSERT_TRUE(again.Open({five}));
    const std::string twice = dir.File("g" + std::to_string(at) + ".wav");
    ASSERT_TRUE(again.Save({twice, FileType::NorvaneWave}));
    EXPECT_EQ(test::ReadFileBytes(twice), test::ReadFileBytes(five));
    // A range save starts inside a page.
    ASSERT_TRUE(again.Save({twice, FileType::StandardWave}, 1001, 20001));
    const std::vector<uint8_t> part = test::ReadFileBytes(twice);
    ASSERT_GE(part.size(), 46u + 19000 * 2);  // the GUANO chunk follows the data
    EXPECT_EQ(GetU32(&part[42]), 19000u * 2);
    EXPECT_TRUE(std::equal(part.begin() + 46, part.begin() + 46 + 19000 * 2, sound.begin() + 2002));
  }
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST(WorkFileOffset, EditsOfAnOpenedFileAndTheirUndoSeeTheSameSound) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  documents.Reset();
  const std::vector<uint8_t> sound = Ramp(20000);
  const std::string path = dir.File("e.wav");
  test::WriteFileBytes(path, WaveWithDataAt(44, sound));
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({path}));
  SoundEditor& ed = doc.Editor();
  // Copy a stretch starting at an odd frame, delete it, paste it back.
  ASSERT_TRUE(ed.Copy(2049, 7001, ChannelSelection::Both));
  EXPECT_EQ(doc.Editor().ClipFile().Size(), (7001 - 2049) * 2);
  ASSERT_TRUE(ed.Delete(2049, 7001, ChannelSelection::Both));
  std::vector<uint8_t> cut(sound.begin(), sound.begin() + 2049 * 2);
  cut.insert(cut.end(), sound.begin() + 7001 * 2, sound.end());
  EXPECT_EQ(test::WorkBytes(doc), cut);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(test::WorkBytes(doc), sound);
  ASSERT_TRUE(ed.Paste(0, -1, ChannelSelection::Both));
  std::vector<uint8_t> pasted(sound.begin() + 2049 * 2, sound.begin() + 7001 * 2);
  pasted.insert(pasted.end(), sound.begin(), sound.end());
  EXPECT_EQ(test::WorkBytes(doc), pasted);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(test::WorkBytes(doc), sound);
  // The clip goes to another document that was opened from a file too.
  CNorvaneDoc other(documents);
  ASSERT_TRUE(other.Open({path}));
  SoundEditor& ed2 = other.Editor();
  ASSERT_TRUE(ed2.Paste(20000, -1, ChannelSelection::Both));
  std::vector<uint8_t> appended = sound;
  appended.insert(appended.end(), sound.begin() + 2049 * 2, sound.begin() + 7001 * 2);
  EXPECT_EQ(test::WorkBytes(other), appended);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

}  // namespace
}  // namespace nv
