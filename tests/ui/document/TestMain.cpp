// Runs every test class of the document dialogs under one QApplication.
#include <QApplication>

int RunSoundFormatDialogTest(int argc, char** argv);
int RunMarksTest(int argc, char** argv);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int status = 0;
  status |= RunSoundFormatDialogTest(argc, argv);
  status |= RunMarksTest(argc, argv);
  return status;
}
