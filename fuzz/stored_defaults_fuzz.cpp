// Feeds arbitrary bytes as the settings file that norvane-cli reads its
// analysis defaults from (the desktop's INI file, read without Qt). Every
// file must give settings, never a crash; a value the file cannot hold is
// left at its default.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "StoredDefaults.h"

namespace {
std::string g_dir;
// The settings file, open for the whole run: each input is written over it
// in place, which costs less than opening a stream on it every time.
int g_fd = -1;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string dir = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/nvfuzzcfgXXXXXX";
  if (!mkdtemp(dir.data())) std::abort();
  g_dir = dir;
  std::atexit([] { std::filesystem::remove_all(g_dir); });
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  mkdir((dir + "/Quellmark").c_str(), 0700);
  g_fd = open(nv::cli::StoredSettingsPath().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (g_fd < 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ftruncate(g_fd, 0) != 0 ||
      (size > 0 && pwrite(g_fd, data, size, 0) != static_cast<ssize_t>(size)))
    std::abort();
  const nv::PulseSettings p = nv::cli::StoredPulseSettings();
  const nv::RateSettings r = nv::cli::StoredRateSettings();
  (void)p;
  (void)r;
  return 0;
}
