#include "fileformats/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace nv {

namespace {

bool WriteAll(int fd, int64_t off, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = pwrite(fd, p, n, off);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      if (w == 0) errno = ENOSPC;
      return false;
    }
    p += w;
    off += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}
}  // namespace

bool CopyRange(int src, int64_t srcOff, int dst, int64_t dstOff, int64_t len, size_t pieceBytes) {
  if (pieceBytes == 0) pieceBytes = 1 << 16;
  // The kernel copies without passing the bytes through this process: at
  // equal offsets within a page it may share the blocks (a reflink), and
  // even shifted by a header (a WAVE file's sound starts at byte 44, ours
  // at 46) it takes about 1.15 times the aligned copy, where a buffer or a
  // mapping written out take 1.3 to 1.5 times. The buffer is the fallback
  // for files the kernel cannot copy between.
  bool kernelCopy = true;
  while (len > 0 && kernelCopy) {
    loff_t in = srcOff, out = dstOff;
    size_t n = static_cast<size_t>(std::min<int64_t>(len, int64_t{1} << 30));
    ssize_t c = copy_file_range(src, &in, dst, &out, n, 0);
    if (c < 0 && errno == EINTR) continue;
    if (c < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                  errno == EBADF)) {
      kernelCopy = false;
      break;
    }
    if (c < 0) return false;
    if (c == 0) {
      errno = EIO;  // the source ended early
      return false;
    }
    srcOff += c;
    dstOff += c;
    len -= c;
  }
  if (len <= 0) return true;
  std::vector<char> buf(pieceBytes);
  while (len > 0) {
    size_t n = static_cast<size_t>(std::min<int64_t>(len, static_cast<int64_t>(pieceBytes)));
    size_t got = ReadAt(src, srcOff, buf.data(), n);
    if (got != n) {
      errno = EIO;
      return false;
    }
    if (!WriteAll(dst, dstOff, buf.data(), n)) return false;
    srcOff += static_cast<int64_t>(n);
    dstOff += static_cast<int64_t>(n);
    len -= static_cast<int64_t>(n);
  }
  return true;
}

bool CopyRange(int src, int64_t srcOff, TempFile& dst, int64_t dstPos, int64_t len, size_t pieceBytes,
               const CopyProgress& progress) {
  if (!dst.PrepareForChange()) return false;
  if (!progress) return CopyRange(src, srcOff, dst.Fd(), dst.FileOffset(dstPos), len, pieceBytes);
  // Pieces of 2 MiB stay in the second-level cache between the copy and the
  // reader that follows it.
  constexpr int64_t kReportBytes = int64_t{2} << 20;
  for (int64_t done = 0; done < len;) {
    const int64_t n = std::min(kReportBytes, len - done);
    if (!CopyRange(src, srcOff + done, dst.Fd(), dst.FileOffset(dstPos + done), n, pieceBytes)) return false;
    done += n;
    progress(dstPos + done);
  }
  return true;
}

bool CopyRange(const TempFile& src, int64_t srcPos, TempFile& dst, int64_t dstPos, int64_t len,
               size_t pieceBytes) {
  if (!dst.PrepareForChange()) return false;
  return CopyRange(src.Fd(), src.FileOffset(srcPos), dst.Fd(), dst.FileOffset(dstPos), len, pieceBytes);
}

bool FillRange(TempFile& dst, int64_t dstPos, int64_t len, uint8_t fill) {
  if (!dst.PrepareForChange()) return false;
  return FillRange(dst.Fd(), dst.FileOffset(dstPos), len, fill);
}

bool FillRange(int dst, int64_t dstOff, int64_t len, uint8_t fill) {
  std::vector<char> buf(static_cast<size_t>(std::min<int64_t>(len, 1 << 20)), static_cast<char>(fill));
  while (len > 0) {
    size_t n = static_cast<size_t>(std::min<int64_t>(len, static_cast<int64_t>(buf.size())));
    if (!WriteAll(dst, dstOff, buf.data(), n)) return false;
    dstOff += static_cast<int64_t>(n);
    len -= static_cast<int64_t>(n);
  }
  return true;
}

int64_t FileSize(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return st.st_size;
}

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

bool ReplacingFile::Open() {
  size_t slash = target_.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string(".")
                    : slash == 0                ? std::string("/")
                                                : target_.substr(0, slash);
  std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (name.empty()) {
    errno = EISDIR;
    return false;
  }
  std::string pattern = dir;
  pattern += "/.";
  pattern += name;
  pattern += ".nvsave-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  fd_ = mkostemp(buf.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = buf.data();
  // The new file gets the old one's permissions, or the usual ones.
  struct stat st;
  mode_t mode;
  if (stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd_, mode);
  return true;
}

void ReplacingFile::Fail() {
  if (!failed_) error_ = errno;
  failed_ = true;
}

bool ReplacingFile::Append(const void* data, size_t n) {
  if (failed_) return false;
  if (!WriteAll(fd_, pos_, static_cast<const char*>(data), n)) {
    Fail();
    return false;
  }
  pos_ += static_cast<int64_t>(n);
  return true;
}

bool ReplacingFile::AppendCopy(int src, int64_t srcOff, int64_t len, size_t pieceBytes) {
  if (failed_) return false;
  if (!CopyRange(src, srcOff, fd_, pos_, len, pieceBytes)) {
    Fail();
    return false;
  }
  pos_ += len;
  return true;
}

bool ReplacingFile::AppendCopy(TempFile& src, int64_t srcPos, int64_t len, size_t pieceBytes) {
  if (failed_) return false;
  return AppendCopy(src.Fd(), src.FileOffset(srcPos), len, pieceBytes);
}

bool ReplacingFile::WriteAt(int64_t offset, const void* data, size_t n) {
  if (failed_) return false;
  if (!WriteAll(fd_, offset, static_cast<const char*>(data), n)) {
    Fail();
    return false;
  }
  return true;
}

bool ReplacingFile::Commit() {
  if (failed_) {
    errno = error_;
    return false;
  }
  if (close(fd_) != 0) {
    fd_ = -1;
    Fail();
    return false;
  }
  fd_ = -1;
  if (rename(temp_.c_str(), target_.c_str()) != 0) {
    Fail();
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace nv
