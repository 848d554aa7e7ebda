// Feeds arbitrary bytes as the pulses table of an interrupted batch and its
// done list, as a resumed run opens them. The input is split at the first
// NUL byte: the table before it, the done list after it (no NUL: no done
// list). Opening must end in a table to append to or a message, never in a
// crash; an opened table must take another file's rows and open again.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "PulsesTableFile.h"

namespace {
std::string g_dir;

void WriteFile(const std::string& path, const uint8_t* p, size_t n) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // In memory where possible: the table is synchronised after every write.
  std::string dir = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/nvfuzztableXXXXXX";
  if (!mkdtemp(dir.data())) std::abort();
  g_dir = dir;
  std::atexit([] { std::filesystem::remove_all(g_dir); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string table = g_dir + "/pulses.tsv", done = table + ".done";
  size_t cut = 0;
  while (cut < size && data[cut] != 0) ++cut;
  WriteFile(table, data, cut);
  if (cut < size)
    WriteFile(done, data + cut + 1, size - cut - 1);
  else
    unlink(done.c_str());
  std::string error;
  bool opened = false;
  {
    nv::cli::PulsesTableFile t;
    opened = t.Open(table, error);
    if (!opened && error.empty()) __builtin_trap();
    if (opened) {
      (void)t.Done("a.wav");
      if (!t.Append("new.wav", nv::cli::PulsesTableFile::Rows("new.wav", {}), error)) __builtin_trap();
      if (!t.Flush(error)) __builtin_trap();
    }
  }
  if (opened) {
    nv::cli::PulsesTableFile t;
    if (!t.Open(table, error) || !t.Done("new.wav")) __builtin_trap();
  }
  return 0;
}
