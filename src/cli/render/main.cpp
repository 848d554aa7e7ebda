// norvane-render: the drawing command of norvane-cli in a program of its own,
// so that the commands that draw nothing start without Qt. norvane-cli
// render runs it with the command's arguments.
#include "CliSupport.h"

int main(int argc, char** argv) {
  using namespace nv::cli;
  StderrMessageSink sink;
  nv::SetMessageSink(&sink);
  return RunRender(ParseArgs(argc, argv, 1, {}));
}
