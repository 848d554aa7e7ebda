// The temporary file's contents start at a head that keeps a source's offset
// within a page; positions, mapping and size are those of the contents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "base/TempFile.h"

namespace nv {
namespace {

int64_t FileLength(const TempFile& f) {
  struct stat st;
  return fstat(f.Fd(), &st) == 0 ? st.st_size : -1;
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
  return v;
}

TEST(TempFile, ContentsKeepTheGivenOffsetWithinAPage) {
  TempFile f;
  ASSERT_TRUE(f.Create("NvTfT"));
  EXPECT_EQ(f.Size(), 0);
  // Offsets within a page are kept; a page boundary gives a whole page of head.
  const int64_t cases[][2] = {{44, 44}, {4096 + 270, 270}, {0, 4096}, {8192, 4096}, {4095, 4095}, {1, 1}};
  for (const auto& c : cases) {
    ASSERT_TRUE(f.Reset(c[0]));
    EXPECT_EQ(f.Head(), c[1]) << c[0];
    EXPECT_EQ(f.FileOffset(10), c[1] + 10);
    EXPECT_EQ(f.Size(), 0);
    const std::vector<uint8_t> data = Pattern(10000);
    ASSERT_TRUE(f.WriteAt(0, data.data(), data.size()));
    EXPECT_EQ(f.Size(), 10000);
    // The bytes lie at the file offsets that FileOffset names.
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(pread(f.Fd(), back.data(), back.size(), f.FileOffset(0)), static_cast<ssize_t>(back.size()));
    EXPECT_EQ(back, data);
    // The mapping starts at position 0 whatever the head.
    const uint8_t* p = f.Map(true);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(f.MappedSize(), 10000);
    EXPECT_EQ(std::memcmp(p, data.data(), data.size()), 0);
    uint8_t* w = f.Map(false);
    ASSERT_NE(w, nullptr);
    w[9999] = 0xAB;
    f.Unmap();
    uint8_t last = 0;
    ASSERT_EQ(pread(f.Fd(), &last, 1, f.FileOffset(9999)), 1);
    EXPECT_EQ(last, 0xAB);
  }
}

TEST(TempFile, LengthChangesCountFromTheHeadAndNeverEmptyTheFile) {
  TempFile f;
  ASSERT_TRUE(f.Create("NvTfT"));
  // An empty file is never of length 0 (see the header: ext4 would write a
  // file truncated to 0 back to disk when it is closed).
  EXPECT_GT(FileLength(f), 0);
  ASSERT_TRUE(f.Reset(44));
  ASSERT_TRUE(f.Truncate(300));
  EXPECT_EQ(f.Size(), 300);
  EXPECT_EQ(FileLength(f), 344);
  const uint8_t* p = f.Map(true);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[299], 0);  // grown with zeros
  ASSERT_TRUE(f.Truncate(0));
  EXPECT_FALSE(f.IsMapped());
  EXPECT_EQ(f.Size(), 0);
  EXPECT_EQ(FileLength(f), 44);
  // Empty contents map to a valid address of no bytes.
  EXPECT_NE(f.Map(true), nullptr);
  EXPECT_EQ(f.MappedSize(), 0);
  ASSERT_TRUE(f.Reset());
  EXPECT_EQ(FileLength(f), 4096);
  EXPECT_FALSE(f.Truncate(-1));
}

}  // namespace
}  // namespace nv
