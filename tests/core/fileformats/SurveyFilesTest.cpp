// Finding the WAVE files of a survey and dividing them into shares.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "TestSupport.h"
#include "fileformats/SurveyFiles.h"

namespace nv {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Relatives(const SurveyFiles& s) {
  std::vector<std::string> r;
  for (const SurveyFile& f : s.files) r.push_back(f.relative);
  return r;
}

TEST(SurveyFiles, WaveFilesUnderEveryPathInAFixedOrder) {
  test::TempDir dir;
  const fs::path root = dir.path / "survey";
  for (const char* d : {"night2/b", "night1", "empty"}) fs::create_directories(root / d);
  for (const char* f : {"night2/b/z.wav", "night2/a.WAV", "night1/rec 2.wav", "night1/rec 10.wav",
                        "night1/notes.txt", "night1/rec.wav.bak", "top.Wav", "readme"})
    test::WriteFileBytes((root / f).string(), {1, 2, 3});
  // A link back up the tree is not followed (no loop); a linked file is taken.
  fs::create_directory_symlink(root, root / "night1" / "loop");
  test::WriteFileBytes((dir.path / "elsewhere.wav").string(), {1});
  fs::create_symlink(dir.path / "elsewhere.wav", root / "night2" / "linked.wav");
  // A file reached twice (here through a link) is taken once.
  fs::create_symlink(root / "top.Wav", root / "zz-again.wav");
  const std::string single = (dir.path / "one.dat").string();
  test::WriteFileBytes(single, {1});

  SurveyFiles s = SurveyFiles::Collect({root.string(), single, (dir.path / "missing").string(), root.string()});
  EXPECT_EQ(Relatives(s), (std::vector<std::string>{"night1/rec 10.wav", "night1/rec 2.wav", "night2/a.WAV",
                                                    "night2/b/z.wav", "night2/linked.wav", "top.Wav",
                                                    "one.dat"}));
  EXPECT_EQ(s.files[0].path, (root / "night1/rec 10.wav").string());
  EXPECT_EQ(s.skipped, 3);  // notes.txt, rec.wav.bak, readme
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_NE(s.problems[0].find("missing: "), std::string::npos) << s.problems[0];
  // The same paths always give the same list.
  EXPECT_EQ(Relatives(SurveyFiles::Collect({root.string(), single})), Relatives(s));
}

TEST(SurveyFiles, SharesTogetherHoldEveryFileOnce) {
  SurveyFiles all;
  for (int i = 0; i < 23; ++i) all.files.push_back({"f" + std::to_string(i), "f" + std::to_string(i)});
  for (int n = 1; n <= 6; ++n) {
    std::multiset<std::string> seen;
    for (int k = 1; k <= n; ++k) {
      SurveyFiles share = all.Shard(k, n);
      EXPECT_LE(share.files.size(), 23u / n + 1);
      EXPECT_GE(share.files.size(), 23u / n);
      for (const SurveyFile& f : share.files) seen.insert(f.path);
    }
    EXPECT_EQ(seen.size(), 23u);
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), 23u) << n;
  }
  EXPECT_TRUE(all.Shard(3, 2).files.empty());
  int k = 0, n = 0;
  EXPECT_TRUE(SurveyFiles::ParseShard("2/8", k, n));
  EXPECT_EQ(k, 2);
  EXPECT_EQ(n, 8);
  for (const char* bad : {"0/2", "3/2", "1/0", "2", "/2", "1/", "a/b", "1/2/3", "-1/2", "1 /2"})
    EXPECT_FALSE(SurveyFiles::ParseShard(bad, k, n)) << bad;
}

}  // namespace
}  // namespace nv
