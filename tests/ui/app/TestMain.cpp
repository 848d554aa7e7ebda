// The application suites in one executable under the offscreen platform.
// "--random-user" runs the random user alone (a test of its own in CTest,
// so that it runs beside the others); otherwise the application suite runs.
#include <QApplication>

#include <cstring>
#include <vector>

int RunAppTest(int argc, char** argv);
int RunRandomUserTest(int argc, char** argv);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<char*> args(argv, argv + argc);
  bool randomUser = false;
  for (size_t i = 1; i < args.size(); ++i)
    if (std::strcmp(args[i], "--random-user") == 0) {
      randomUser = true;
      args.erase(args.begin() + static_cast<long>(i));
      break;
    }
  const int n = static_cast<int>(args.size());
  return randomUser ? RunRandomUserTest(n, args.data()) : RunAppTest(n, args.data());
}
