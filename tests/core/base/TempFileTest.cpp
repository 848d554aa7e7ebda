// The temporary file's contents start at a head that keeps a source's offset
// within a page; positions, mapping and size are those of the contents.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

// Another program shortens a file while it is read in place: reads beyond
// the new end see silence instead of ending the process (SIGBUS), and the
// file says it was shortened; a bus error elsewhere still ends the process.
TEST(TempFile, AdoptedFileShortenedWhileMappedIsReportedNotFatal) {
  char path[] = "/tmp/NvTfShortXXXXXX";
  const int w = mkstemp(path);
  ASSERT_GE(w, 0);
  const int64_t bytes = 64 * 4096;
  const std::vector<uint8_t> data = Pattern(static_cast<size_t>(bytes));
  ASSERT_EQ(write(w, data.data(), data.size()), bytes);
  const int r = open(path, O_RDONLY | O_CLOEXEC);
  ASSERT_GE(r, 0);
  TempFile f;
  ASSERT_TRUE(f.AdoptReadOnly(r, 0, bytes));
  close(r);
  const volatile uint8_t* p = f.Map(true);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(f.SourceShortened());
  // Cut to 10 pages and a half by the other program.
  ASSERT_EQ(ftruncate(w, 10 * 4096 + 2048), 0);
  close(w);
  EXPECT_TRUE(f.SourceShortened());  // seen by its size alone
  uint64_t sum = 0;
  for (int64_t i = 0; i < bytes; i += 512) sum += p[i];  // no SIGBUS ends the test
  EXPECT_EQ(p[0], data[0]);
  EXPECT_EQ(p[10 * 4096 + 100], data[10 * 4096 + 100]);
  EXPECT_EQ(p[20 * 4096], 0);  // beyond the end: silence
  EXPECT_GT(sum, 0u);
  // The read itself is remembered past the mapping.
  f.Unmap();
  EXPECT_TRUE(f.SourceShortened());
  f.Close();
  EXPECT_FALSE(f.SourceShortened());
  std::remove(path);
  // A bus error outside every read-in-place mapping is not swallowed.
  EXPECT_DEATH(
      {
        char other[] = "/tmp/NvTfBusXXXXXX";
        const int o = mkstemp(other);
        if (o < 0 || ftruncate(o, 4096) != 0) std::abort();
        const volatile uint8_t* q = static_cast<const uint8_t*>(
            mmap(nullptr, 8192, PROT_READ, MAP_SHARED, o, 0));
        std::remove(other);
        (void)q[4096];
      },
      "");
}

// Copy on write: adopted contents become a file of their own at their first
// change (a write, growing, a writable mapping), never touching the adopted
// file; a copy that is cancelled changes nothing.
TEST(TempFile, AdoptedContentsAreCopiedAtTheirFirstChange) {
  char path[] = "/tmp/NvTfCowXXXXXX";
  const int w = mkstemp(path);
  ASSERT_GE(w, 0);
  const std::vector<uint8_t> head(44, 0x11), data = Pattern(30000);
  ASSERT_EQ(write(w, head.data(), head.size()), 44);
  ASSERT_EQ(write(w, data.data(), data.size()), 30000);
  close(w);
  bool cancel = true;
  int copies = 0;
  const TempFile::Copier copier = [&](int src, int64_t from, int dst, int64_t to, int64_t bytes) {
    ++copies;
    if (cancel) {
      errno = ECANCELED;
      return false;
    }
    std::vector<uint8_t> b(static_cast<size_t>(bytes));
    return pread(src, b.data(), b.size(), from) == bytes && pwrite(dst, b.data(), b.size(), to) == bytes;
  };
  for (int change = 0; change < 3; ++change) {
    const int r = open(path, O_RDONLY | O_CLOEXEC);
    TempFile f;
    ASSERT_TRUE(f.AdoptReadOnly(r, 44, 30000));
    close(r);
    f.SetBeforeFirstChange([&](TempFile& t) { return t.MakeOwn(copier); });
    ASSERT_NE(f.Map(true), nullptr);  // reading makes no copy
    const uint8_t x = 0xEE;
    const auto Change = [&] {
      switch (change) {
        case 0: return f.WriteAt(100, &x, 1);
        case 1: return f.Truncate(40000);
        default: {
          uint8_t* p = f.Map(false);
          if (p) p[100] = x;
          return p != nullptr;
        }
      }
    };
    cancel = true;
    EXPECT_FALSE(Change());
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_TRUE(f.IsAdopted());
    EXPECT_EQ(f.Size(), 30000);
    cancel = false;
    ASSERT_TRUE(Change());
    EXPECT_FALSE(f.IsAdopted());
    EXPECT_EQ(f.Head(), 44);  // the same offset within a page
    std::vector<uint8_t> expected = data;
    if (change != 1) expected[100] = x;
    if (change == 1) expected.resize(40000, 0);
    const uint8_t* p = f.Map(true);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(f.Size(), static_cast<int64_t>(expected.size()));
    EXPECT_EQ(std::memcmp(p, expected.data(), expected.size()), 0);
  }
  EXPECT_EQ(copies, 6);
  // The adopted file is as it was.
  std::vector<uint8_t> back(30044);
  const int r = open(path, O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(read(r, back.data(), back.size()), 30044);
  close(r);
  EXPECT_EQ(std::vector<uint8_t>(back.begin() + 44, back.end()), data);
  std::remove(path);
}

TEST(TempFile, AdoptedContentsAreReadInPlaceAndNeverWritten) {
  // A source file: 5000 bytes of header, then 10000 bytes of contents.
  char path[] = "/tmp/NvTfAdoptXXXXXX";
  const int w = mkstemp(path);
  ASSERT_GE(w, 0);
  const std::vector<uint8_t> head(5000, 0x11), data = Pattern(10000);
  ASSERT_EQ(write(w, head.data(), head.size()), 5000);
  ASSERT_EQ(write(w, data.data(), data.size()), 10000);
  // Only a read-only descriptor is taken.
  TempFile f;
  ASSERT_TRUE(f.Create("NvTfT"));
  errno = 0;
  EXPECT_FALSE(f.AdoptReadOnly(w, 5000, 10000));
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(f.IsAdopted());
  close(w);
  const int r = open(path, O_RDONLY | O_CLOEXEC);
  ASSERT_GE(r, 0);
  ASSERT_TRUE(f.AdoptReadOnly(r, 5000, 9000));
  close(r);  // the file keeps its own descriptor
  EXPECT_TRUE(f.IsAdopted());
  EXPECT_EQ(f.Size(), 9000);
  EXPECT_EQ(f.FileOffset(0), 5000);
  const uint8_t* p = f.Map(true);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(f.MappedSize(), 9000);
  EXPECT_EQ(std::memcmp(p, data.data(), 9000), 0);
  // Nothing is written: not by position, not through a mapping, not by growing.
  const uint8_t x = 0xEE;
  errno = 0;
  EXPECT_FALSE(f.WriteAt(0, &x, 1));
  EXPECT_EQ(errno, EROFS);
  EXPECT_EQ(f.Map(false), nullptr);
  EXPECT_EQ(errno, EROFS);
  EXPECT_FALSE(f.Truncate(9001));
  EXPECT_EQ(pwrite(f.Fd(), &x, 1, f.FileOffset(0)), -1);  // the descriptor reads only
  // Shortening shortens the contents only.
  ASSERT_TRUE(f.Truncate(100));
  EXPECT_EQ(f.Size(), 100);
  struct stat st;
  ASSERT_EQ(stat(path, &st), 0);
  EXPECT_EQ(st.st_size, 15000);
  // Emptied, it is a temporary file of its own again, and writable.
  ASSERT_TRUE(f.Truncate(0));
  EXPECT_FALSE(f.IsAdopted());
  EXPECT_EQ(f.Size(), 0);
  ASSERT_TRUE(f.WriteAt(0, &x, 1));
  EXPECT_EQ(f.Size(), 1);
  // Reset from adopted contents does the same.
  const int r2 = open(path, O_RDONLY | O_CLOEXEC);
  ASSERT_TRUE(f.AdoptReadOnly(r2, 5000, 10000));
  close(r2);
  ASSERT_TRUE(f.Reset(44));
  EXPECT_FALSE(f.IsAdopted());
  EXPECT_EQ(f.Head(), 44);
  ASSERT_TRUE(f.WriteAt(0, &x, 1));
  // The source file is as it was.
  std::vector<uint8_t> back(15000);
  const int r3 = open(path, O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(read(r3, back.data(), back.size()), 15000);
  close(r3);
  EXPECT_EQ(std::vector<uint8_t>(back.begin() + 5000, back.end()), data);
  std::remove(path);
}

}  // namespace
}  // namespace nv
