// norvane-render: the drawing command of norvane-cli in a program of its own,
// so that the commands that draw nothing start without Qt. norvane-cli
// render runs it with the command's arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CliSupport.h"

int main(int argc, char** argv) {
  using namespace nv::cli;
  StderrMessageSink sink;
  nv::SetMessageSink(&sink);
  nv::DocumentContext documents;
  // "batch render ..." draws a whole survey (norvane-cli batch render).
  const int rc = argc > 1 && std::string(argv[1]) == "batch" ? RunBatch(argc, argv)
                                                             : RunRender(ParseArgs(argc, argv, 1, {}), documents);
  // The picture is written and every file closed; the Qt application and
  // the libraries' own state go with the process instead of being taken
  // down piece by piece first.
  std::fflush(nullptr);
  std::_Exit(rc);
}
