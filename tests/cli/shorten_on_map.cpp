// Loaded with LD_PRELOAD into norvane-cli by the tests: plays the other
// program that shortens a recording while it is read in place. When a file
// whose path contains $NV_SHORTEN_ON_MAP is mapped for reading, the file is
// cut to the middle of the mapped range right after the mapping is made, so
// that the reader's later reads meet its new end.
#include <dlfcn.h>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>

extern "C" void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
  static void* (*real)(void*, size_t, int, int, int, off_t);
  if (!real) real = reinterpret_cast<void* (*)(void*, size_t, int, int, int, off_t)>(dlsym(RTLD_NEXT, "mmap"));
  void* p = real(addr, length, prot, flags, fd, offset);
  const char* want = getenv("NV_SHORTEN_ON_MAP");
  if (p == MAP_FAILED || !want || !*want || fd < 0 || (prot & PROT_WRITE) || length < 2 * 4096)
    return p;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return p;
  path[n] = '\0';
  if (!strstr(path, want)) return p;
  const int w = open(path, O_WRONLY | O_CLOEXEC);
  if (w >= 0) {
    if (ftruncate(w, offset + static_cast<off_t>(length / 2)) != 0) perror("shorten_on_map");
    close(w);
  }
  return p;
}
