// A recording opened to be read in place until its first change: opening
// copies nothing; every edit, undo and redo then gives the very bytes it
// gives on a copied sound, the opened file is never written, and a copy the
// user cancels changes nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "TestSupport.h"
#include "document/CNorvaneDoc.h"

namespace nv {
namespace {

std::vector<int16_t> Sound(int frames) {
  std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>((i * 7919) % 20011 - 10005);
  return s;
}

TEST(ReadInPlace, EditsUndoAndRedoGiveTheBytesOfACopiedSoundAndNeverWriteTheFile) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  const std::string path = dir.File("rec.wav");
  {
    CNorvaneDoc doc(documents);
    test::FillDocument(doc, 2, 16, 96000, test::Samples16(Sound(30000)));
    ASSERT_TRUE(doc.Save({path, FileType::StandardWave}));
  }
  const std::vector<uint8_t> file = test::ReadFileBytes(path);
  using Edit = std::function<bool(SoundEditor&)>;
  const std::vector<std::pair<const char*, Edit>> edits = {
      {"delete", [](SoundEditor& e) { return e.Delete(1000, 9000, ChannelSelection::Both); }},
      {"silence", [](SoundEditor& e) { return e.Silence(5, 29000, ChannelSelection::Left); }},
      {"reverse", [](SoundEditor& e) { return e.Reverse(0, 30000, ChannelSelection::Right); }},
      {"volume", [](SoundEditor& e) { return e.Volume(100, 200, ChannelSelection::Both, 150); }},
      {"paste", [](SoundEditor& e) { return e.Copy(10, 500, ChannelSelection::Both) && e.Paste(20000, 20000, ChannelSelection::Both); }},
  };
  for (const auto& [name, edit] : edits) {
    CNorvaneDoc copied(documents), inPlace(documents);
    ASSERT_TRUE(copied.Open({path}));
    int64_t told = 0;
    inPlace.SetCopyProgress([&](int64_t done, int64_t total) {
      told = done;
      return done <= total;
    });
    ASSERT_TRUE(inPlace.Open({path}, {}, SampleAccess::InPlaceUntilChanged));
    EXPECT_TRUE(inPlace.ReadsInPlace()) << name;
    EXPECT_FALSE(copied.ReadsInPlace()) << name;
    EXPECT_EQ(test::WorkBytes(inPlace), test::WorkBytes(copied)) << name;
    ASSERT_TRUE(edit(copied.Editor())) << name;
    ASSERT_TRUE(edit(inPlace.Editor())) << name;
    EXPECT_FALSE(inPlace.ReadsInPlace()) << name;
    EXPECT_EQ(told, 30000 * 4) << name;  // the whole sound was copied, and said so
    EXPECT_EQ(test::WorkBytes(inPlace), test::WorkBytes(copied)) << name;
    EXPECT_EQ(inPlace.FrameCount(), copied.FrameCount()) << name;
    ASSERT_TRUE(copied.Editor().Undo());
    ASSERT_TRUE(inPlace.Editor().Undo());
    EXPECT_EQ(test::WorkBytes(inPlace), test::WorkBytes(copied)) << name;
    ASSERT_TRUE(copied.Editor().Redo());
    ASSERT_TRUE(inPlace.Editor().Redo());
    EXPECT_EQ(test::WorkBytes(inPlace), test::WorkBytes(copied)) << name;
    EXPECT_EQ(test::ReadFileBytes(path), file) << name;
  }
  // Saved over its own file while read in place: the file then holds the sound.
  {
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({path}, {}, SampleAccess::InPlaceUntilChanged));
    const std::vector<uint8_t> before = test::WorkBytes(doc);
    ASSERT_TRUE(doc.Save({path, FileType::NorvaneWave}));
    EXPECT_EQ(test::WorkBytes(doc), before);
    CNorvaneDoc again(documents);
    ASSERT_TRUE(again.Open({path}));
    EXPECT_EQ(test::WorkBytes(again), before);
  }
  EXPECT_TRUE(sink.texts().empty());
}

TEST(ReadInPlace, ACancelledCopyChangesNothing) {
  DocumentContext documents;
  test::ScopedSink sink;
  test::TempDir dir;
  const std::string path = dir.File("rec.wav");
  {
    CNorvaneDoc doc(documents);
    test::FillDocument(doc, 1, 16, 44100, test::Samples16(Sound(20000)));
    ASSERT_TRUE(doc.Save({path, FileType::StandardWave}));
  }
  CNorvaneDoc doc(documents);
  bool cancel = true;
  doc.SetCopyProgress([&](int64_t, int64_t) { return !cancel; });
  ASSERT_TRUE(doc.Open({path}, {}, SampleAccess::InPlaceUntilChanged));
  const std::vector<uint8_t> before = test::WorkBytes(doc);
  EXPECT_FALSE(doc.MakeWorkFileOwn());
  EXPECT_TRUE(doc.ReadsInPlace());
  EXPECT_FALSE(doc.Editor().Silence(0, 100, ChannelSelection::Both));
  EXPECT_TRUE(doc.ReadsInPlace());
  EXPECT_EQ(test::WorkBytes(doc), before);
  EXPECT_EQ(doc.FrameCount(), static_cast<int64_t>(before.size() / 2));
  cancel = false;
  EXPECT_TRUE(doc.MakeWorkFileOwn());
  EXPECT_FALSE(doc.ReadsInPlace());
  EXPECT_EQ(test::WorkBytes(doc), before);
  EXPECT_TRUE(doc.MakeWorkFileOwn());  // already its own
}

// Another program changes the opened file: a sync tool renames a new file
// over it or deletes it, a recorder appends to it, a tool cuts it short.
// Each change is noticed once; a replaced or deleted file leaves the sound
// as it was opened, a shortened one keeps everything before its new end; a
// save of the document's own, or a sound that is no longer read in place,
// raise nothing.
TEST(ReadInPlace, AnotherProgramsChangesToTheOpenedFileAreNoticedOnceAndKeepTheSound) {
  test::ScopedSink sink;
  DocumentContext documents;
  test::TempDir dir;
  const std::string path = dir.File("rec.wav");
  const std::string other = dir.File("other.wav");
  const auto write = [&](const std::string& to, int frames) {
    CNorvaneDoc doc(documents);
    test::FillDocument(doc, 1, 16, 384000, test::Samples16(Sound(frames)));
    ASSERT_TRUE(doc.Save({to, FileType::StandardWave}));
  };
  const auto checks = [](CNorvaneDoc& doc) {
    std::vector<SourceChange> seen;
    for (int i = 0; i < 3; ++i) seen.push_back(doc.CheckSourceFile());
    return seen;
  };
  using Seen = std::vector<SourceChange>;
  write(path, 30000);
  // Where the samples start: after the "data" chunk's header.
  const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
  const std::string tag = "data";
  const int64_t headerBytes = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end()) - bytes.begin() + 8;
  const SourceChange none = SourceChange::None;

  struct Case {
    const char* name;
    std::function<void()> change;
    SourceChange expected;
  };
  const std::vector<Case> cases = {
      {"untouched", [] {}, none},
      {"renamed over", [&] { write(other, 5000); ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0); },
       SourceChange::Replaced},
      {"deleted", [&] { ASSERT_EQ(unlink(path.c_str()), 0); }, SourceChange::Replaced},
      {"appended to", [&] {
         const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
         ASSERT_GE(fd, 0);
         const char more[64] = {};
         ASSERT_EQ(::write(fd, more, sizeof more), static_cast<ssize_t>(sizeof more));
         close(fd);
       }, SourceChange::Rewritten},
      {"cut short", [&] { ASSERT_EQ(truncate(path.c_str(), headerBytes + 2 * 10000), 0); }, SourceChange::Shortened},
  };
  for (const Case& c : cases) {
    write(path, 30000);
    CNorvaneDoc doc(documents);
    ASSERT_TRUE(doc.Open({path}, {}, SampleAccess::InPlaceUntilChanged));
    const std::vector<uint8_t> before = test::WorkBytes(doc);
    EXPECT_EQ(checks(doc), Seen(3, none)) << c.name;
    c.change();
    EXPECT_EQ(checks(doc), (Seen{c.expected, none, none})) << c.name;
    if (c.expected == SourceChange::Shortened) {
      // What the file still holds is kept; beyond its end the sound is silence.
      ASSERT_TRUE(doc.MakeWorkFileOwn());
      std::vector<uint8_t> kept(before.begin(), before.begin() + 2 * 10000);
      kept.resize(before.size(), 0);
      EXPECT_EQ(doc.FrameCount(), 60000);
      EXPECT_EQ(test::WorkBytes(doc), kept);
    } else {
      EXPECT_EQ(test::WorkBytes(doc), before) << c.name;
    }
  }
  // Saved over by the document itself, and then a sound of its own: nothing.
  write(path, 30000);
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.Open({path}, {}, SampleAccess::InPlaceUntilChanged));
  ASSERT_TRUE(doc.Save({path, FileType::StandardWave}));
  EXPECT_EQ(checks(doc), Seen(3, none));
  ASSERT_TRUE(doc.MakeWorkFileOwn());
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(checks(doc), Seen(3, none));
}

}  // namespace
}  // namespace nv
