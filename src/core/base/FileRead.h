#pragma once
// Reading a stretch of a file at an offset, whole: pread until the stretch
// is read or the file ends, again after an interrupted call.
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace nv {

// Reads up to n bytes at offset; returns the count read (short at end of file
// or on an error).
inline size_t ReadAt(int fd, int64_t offset, void* buf, size_t n) {
  size_t got = 0;
  char* p = static_cast<char*>(buf);
  while (got < n) {
    const ssize_t r = pread(fd, p + got, n - got, offset + static_cast<int64_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

}  // namespace nv
