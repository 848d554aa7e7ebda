#include "audio/WorkFileSource.h"

#include <algorithm>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nv {

SourceStart WorkFileSource::Begin(int64_t, int64_t, uint32_t blockBytes) {
  blockBytes_ = blockBytes;
  return SourceStart::Started;
}

int64_t WorkFileSource::Fill(int64_t soundOffset, uint8_t* out) {
  const int64_t n = Read(soundOffset, out, blockBytes_);
  if (n > 0 && n < static_cast<int64_t>(blockBytes_))
    std::memset(out + n, 0, static_cast<size_t>(blockBytes_ - n));
  return n;
}

int64_t WorkFileSource::Read(int64_t offset, uint8_t* out, int64_t bytes) {
  if (reader_) return reader_(offset, out, bytes);
  const TempFile& work = doc_.WorkFile();
  const int fd = work.Fd();
  // Nothing past the end of the contents: a file read in place goes on with
  // its other chunks there.
  bytes = std::clamp<int64_t>(work.Size() - offset, 0, bytes);
  int64_t got = 0;
  while (got < bytes) {
    // Positions of the sound become file offsets past the work file's head.
    const ssize_t n = ::pread(fd, out + got, static_cast<size_t>(bytes - got), work.FileOffset(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return got ? got : -1;
    }
    if (n == 0) break;
    got += n;
  }
  return got;
}

}  // namespace nv
