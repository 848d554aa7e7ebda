#include "base/TempFile.h"

#include "base/MessageSink.h"
#include "base/ReadMappingGuard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace nv {
namespace {
bool IsWritableDir(const char* d) {
  if (!d || !*d) return false;
  struct stat st;
  return stat(d, &st) == 0 && S_ISDIR(st.st_mode) && access(d, W_OK | X_OK) == 0;
}
uint8_t g_emptyMapping[8];
}  // namespace

std::string TemporaryDirectory() {
  const char* env = std::getenv("TMPDIR");
  if (IsWritableDir(env)) return env;
  if (IsWritableDir("/var/tmp")) return "/var/tmp";
  return "/tmp";
}

std::string SystemErrorText(int err) { return std::strerror(err); }

void ShowWorkFileWriteError() { ShowMessage("Error while writing temporary work file! Disk full?."); }

TempFile::~TempFile() { Close(); }

bool TempFile::Create(const std::string& prefix) {
  Close();
  prefix_ = prefix;
  std::string dir = TemporaryDirectory();
  // A file without a name where the file system allows it: nothing is left
  // behind even when the process is killed at once. Elsewhere a named file,
  // unlinked right after it is made.
  int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0) {
    name_ = dir + "/" + prefix + "#" + std::to_string(st.st_ino);
  } else {
    if (fd >= 0) close(fd);
    std::string pattern = dir + "/" + prefix + "XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd = mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return false;
    name_ = buf.data();
    unlink(name_.c_str());
  }
  fd_ = fd;
  head_ = kPageBytes;
  if (ftruncate(fd_, head_) != 0) {
    const int err = errno;
    Close();
    errno = err;
    return false;
  }
  return true;
}

void TempFile::Close() {
  Unmap();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  adoptedBytes_ = -1;
  shortened_ = false;
}

bool TempFile::SourceShortened() const {
  if (!IsAdopted()) return false;
  if (shortened_ || ReadMappingGuard::Shortened(guardSlot_)) return true;
  struct stat st;
  return fd_ >= 0 && fstat(fd_, &st) == 0 && st.st_size - head_ < adoptedBytes_;
}

bool TempFile::AdoptReadOnly(int fd, int64_t offset, int64_t bytes) {
  // Only a descriptor opened for reading: then every write through Fd()
  // fails as well (EBADF), whoever tries it.
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  if ((flags & O_ACCMODE) != O_RDONLY || offset < 0) {
    errno = EINVAL;
    return false;
  }
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return false;
  Close();
  fd_ = copy;
  head_ = offset;
  adoptedBytes_ = std::max<int64_t>(bytes, 0);
  return true;
}

bool TempFile::Reset(int64_t likeOffset) {
  Unmap();
  // Adopted contents, or a file never created: a temporary file of its own.
  if ((IsAdopted() || fd_ < 0) && !Create(prefix_)) return false;
  const int64_t within = likeOffset % kPageBytes;
  head_ = within > 0 ? within : kPageBytes;
  return fd_ >= 0 && ftruncate(fd_, head_) == 0;
}

int64_t TempFile::Size() const {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return 0;
  const int64_t size = std::max<int64_t>(st.st_size - head_, 0);
  return IsAdopted() ? std::min(size, adoptedBytes_) : size;
}

bool TempFile::OwnBeforeChange() {
  if (!IsAdopted()) return true;
  if (!beforeFirstChange_) {
    errno = EROFS;
    return false;
  }
  return beforeFirstChange_(*this) && !IsAdopted();
}

bool TempFile::MakeOwn(const Copier& copy) {
  if (!IsAdopted()) return true;
  // The copy is as long as the contents adopted, whatever the file holds
  // now: a file another program shortened leaves silence (the file's
  // zeros) beyond its new end, so that the length stays the sound's.
  const int64_t bytes = adoptedBytes_;
  const int64_t present = Size();
  TempFile own;
  if (!own.Create(prefix_)) return false;
  const int64_t within = head_ % kPageBytes;
  own.head_ = within > 0 ? within : kPageBytes;
  if (ftruncate(own.fd_, own.head_ + bytes) != 0) return false;
  if (!copy(fd_, head_, own.fd_, own.head_, present)) return false;
  Unmap();
  // The adopted descriptor goes with `own`.
  std::swap(fd_, own.fd_);
  std::swap(head_, own.head_);
  std::swap(name_, own.name_);
  adoptedBytes_ = -1;
  return true;
}

bool TempFile::Truncate(int64_t bytes) {
  if (IsAdopted() && bytes > adoptedBytes_ && !OwnBeforeChange()) return false;
  Unmap();
  if (IsAdopted()) {
    if (bytes == 0) return Create(prefix_);
    if (bytes < 0 || bytes > adoptedBytes_) {
      errno = EROFS;
      return false;
    }
    adoptedBytes_ = bytes;
    return true;
  }
  return fd_ >= 0 && bytes >= 0 && ftruncate(fd_, head_ + bytes) == 0;
}

bool TempFile::WriteAt(int64_t position, const void* data, size_t n) {
  if (!OwnBeforeChange()) return false;
  int64_t offset = FileOffset(position);
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = pwrite(fd_, p, n, offset);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
    offset += w;
  }
  return true;
}

uint8_t* TempFile::Map(bool readOnly) {
  if (base_ && (readOnly || !mappedReadOnly_)) return base_;
  if (!readOnly && !OwnBeforeChange()) return nullptr;
  Unmap();
  if (fd_ < 0) {
    errno = EBADF;
    return nullptr;
  }
  const int64_t size = Size();
  if (size == 0) {
    // Nothing to map; readers see a valid base of no bytes.
    mappedSize_ = 0;
    mappedReadOnly_ = readOnly;
    return g_emptyMapping;
  }
  // Mappings start at page boundaries: the one at or below the head.
  const int64_t from = head_ - head_ % kPageBytes;
  const size_t bytes = static_cast<size_t>(head_ + size - from);
  void* p = mmap(nullptr, bytes, readOnly ? PROT_READ : PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                 static_cast<off_t>(from));
  if (p == MAP_FAILED) return nullptr;
  mapStart_ = static_cast<uint8_t*>(p);
  mapBytes_ = bytes;
  // Another program's file may be shortened while it is mapped here.
  if (IsAdopted()) guardSlot_ = ReadMappingGuard::Register(mapStart_, mapBytes_);
  base_ = mapStart_ + (head_ - from);
  mappedSize_ = size;
  mappedReadOnly_ = readOnly;
  return base_;
}

void TempFile::Unmap() {
  if (guardSlot_ >= 0) {
    shortened_ = shortened_ || ReadMappingGuard::Shortened(guardSlot_);
    ReadMappingGuard::Unregister(guardSlot_);
    guardSlot_ = -1;
  }
  if (mapStart_) munmap(mapStart_, mapBytes_);
  mapStart_ = nullptr;
  mapBytes_ = 0;
  base_ = nullptr;
  mappedSize_ = 0;
}

}  // namespace nv
