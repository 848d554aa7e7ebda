// norvane-cli render hands over to norvane-render, the program beside it
// that holds the drawing, so that no other command loads Qt.
#ifdef NORVANE_HAVE_RENDER

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CliSupport.h"

namespace nv::cli {

int LaunchRender(int argc, char** argv, int first) {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
  const size_t slash = dir.find_last_of('/');
  dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
  std::string helper = dir + "/norvane-render";
  std::vector<char*> args;
  args.push_back(helper.data());
  for (int i = first; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  std::fflush(nullptr);
  execv(helper.c_str(), args.data());
  std::fprintf(stderr, "Can not start %s: %s\n", helper.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace nv::cli

#endif  // NORVANE_HAVE_RENDER
