// Loaded with LD_PRELOAD into norvane-cli by the tests: plays the other
// program that shortens a recording while it is read in place. The first
// time a file whose path contains $NV_SHORTEN_ON_MAP is mapped for reading
// or read by position, it is cut to half its length, so that the reader's
// later reads meet its new end.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<bool> g_cut{false};

void CutOnce(int fd) {
  const char* want = getenv("NV_SHORTEN_ON_MAP");
  if (!want || !*want || fd < 0 || g_cut.load()) return;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return;
  path[n] = '\0';
  struct stat st;
  if (!strstr(path, want) || fstat(fd, &st) != 0 || st.st_size < 2 * 4096 || g_cut.exchange(true)) return;
  const int w = open(path, O_WRONLY | O_CLOEXEC);
  if (w < 0) return;
  if (ftruncate(w, st.st_size / 2) != 0) perror("shorten_on_map");
  close(w);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
  static auto real = Next<void* (*)(void*, size_t, int, int, int, off_t)>("mmap");
  void* p = real(addr, length, prot, flags, fd, offset);
  if (p != MAP_FAILED && !(prot & PROT_WRITE)) CutOnce(fd);
  return p;
}

extern "C" ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
  static auto real = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  CutOnce(fd);
  return real(fd, buf, count, offset);
}

extern "C" ssize_t pread64(int fd, void* buf, size_t count, off_t offset) {
  static auto real = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
  CutOnce(fd);
  return real(fd, buf, count, offset);
}
