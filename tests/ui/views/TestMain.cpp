// The sound-view suites in one executable: each runs in turn under the
// offscreen platform; the exit code counts the failures of all of them.
#include <QApplication>

int RunEditTest(int argc, char** argv);
int RunSoundViewTest(int argc, char** argv);
int RunNavigationTest(int argc, char** argv);
int RunFirstScreenTest(int argc, char** argv);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failed = 0;
  failed += RunEditTest(argc, argv);
  failed += RunSoundViewTest(argc, argv);
  failed += RunNavigationTest(argc, argv);
  failed += RunFirstScreenTest(argc, argv);
  return failed;
}
