#pragma once
// Plain POSIX file helpers used by the sound file readers and writers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/FileRead.h"
#include "base/TempFile.h"

namespace nv {

// Copies len bytes from src at srcOff to dst at dstOff: in the kernel when
// the system allows it (fastest between equal offsets within a page),
// otherwise through a buffer of `pieceBytes`. False (errno set) when a read
// came short or a write failed.
bool CopyRange(int src, int64_t srcOff, int dst, int64_t dstOff, int64_t len, size_t pieceBytes);
// Told the length of the contents that are complete, as a copy goes on.
using CopyProgress = std::function<void(int64_t completeBytes)>;
// The same into and between temporary files, at positions of their contents.
// With `progress` the copy goes in pieces of a few MiB, each reported as it
// lands, so that a reader of the new contents finds them still in the
// processor's cache.
bool CopyRange(int src, int64_t srcOff, TempFile& dst, int64_t dstPos, int64_t len, size_t pieceBytes,
               const CopyProgress& progress = {});
bool CopyRange(const TempFile& src, int64_t srcPos, TempFile& dst, int64_t dstPos, int64_t len,
               size_t pieceBytes);
// Writes `len` bytes of `fill` at dstOff.
bool FillRange(int dst, int64_t dstOff, int64_t len, uint8_t fill);
bool FillRange(TempFile& dst, int64_t dstPos, int64_t len, uint8_t fill);
// Size of an open file, -1 on failure.
int64_t FileSize(int fd);

// A file written beside its target and renamed over it only when every byte
// was written, so that a failed save never damages the existing file.
class ReplacingFile {
 public:
  explicit ReplacingFile(std::string target);
  ~ReplacingFile();  // removes the temporary file unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  bool Open();  // false, errno set
  int Fd() const { return fd_; }
  // Appends at the current end; the first failure is kept.
  bool Append(const void* data, size_t n);
  bool AppendCopy(int src, int64_t srcOff, int64_t len, size_t pieceBytes);
  // From a temporary file, as CopyRange copies.
  bool AppendCopy(TempFile& src, int64_t srcPos, int64_t len, size_t pieceBytes);
  bool WriteAt(int64_t offset, const void* data, size_t n);
  int64_t Position() const { return pos_; }
  bool Failed() const { return failed_; }
  int Error() const { return error_; }
  // Closes the file and renames it over the target; false (errno set) on failure.
  bool Commit();

 private:
  void Fail();
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int64_t pos_ = 0;
  bool failed_ = false;
  int error_ = 0;
  bool committed_ = false;
};

}  // namespace nv
