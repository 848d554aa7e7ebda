#include "analysis/PowerExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/MessageSink.h"

namespace nv {

std::string PowerTextExport(const std::vector<double>& binHz, const std::vector<double>& levels,
                            bool logScale) {
  std::string out = logScale ? "kHz\tdB\r\n" : "kHz\tV\xB2\r\n";
  const size_t n = std::min(binHz.size(), levels.size());
  out.reserve(out.size() + n * 20);
  char line[96];
  for (size_t m = 0; m < n; ++m) {
    const int len = std::snprintf(line, sizeof line, "%1.3f\t%1.3f\r\n", binHz[m] / 1000.0, levels[m]);
    if (len > 0) out.append(line, static_cast<size_t>(std::min<int>(len, sizeof line - 1)));
  }
  return out;
}

bool WritePowerExportFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    ShowMessage(std::string("CANNOT CREATE FILE: ") + std::strerror(errno));
    return false;
  }
  // Devices and pipes have no length to set.
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && (!S_ISREG(st.st_mode) || ::ftruncate(fd, 0) == 0);
  size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(w);
  }
  if (!ok) {
    const int e = errno ? errno : EIO;
    ::close(fd);
    ShowMessage(std::string("Error when exporting data to file: ") + std::strerror(e));
    return false;
  }
  if (::close(fd) != 0) {
    ShowMessage(std::string("Error when exporting data to file: ") + std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace nv
