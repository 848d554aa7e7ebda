// Feeds arbitrary bytes as the settings file that norvane-cli reads its
// analysis defaults from (the desktop's INI file, read without Qt). Every
// file must give settings, never a crash; a value the file cannot hold is
// left at its default.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "StoredDefaults.h"

namespace {
std::string g_dir;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string dir = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/nvfuzzcfgXXXXXX";
  if (!mkdtemp(dir.data())) std::abort();
  g_dir = dir;
  std::atexit([] { std::filesystem::remove_all(g_dir); });
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  mkdir((dir + "/Quellmark").c_str(), 0700);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = nv::cli::StoredSettingsPath();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const nv::PulseSettings p = nv::cli::StoredPulseSettings();
  const nv::RateSettings r = nv::cli::StoredRateSettings();
  (void)p;
  (void)r;
  return 0;
}
