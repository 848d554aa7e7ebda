// Runs the analysis window tests (power spectrum, pulse characteristics,
// pulse interval / length) and the tests of the windows in their views.
#include <QApplication>
#include <QtTest>
#include <memory>

QObject* MakePowerWindowTest();
QObject* MakePowerViewTest();
QObject* MakePulseWindowsTest();
QObject* MakePulseViewTest();
QObject* MakeViewFeedTest();

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failed = 0;
  for (auto make : {&MakePowerWindowTest, &MakePowerViewTest, &MakePulseWindowsTest, &MakePulseViewTest,
                &MakeViewFeedTest}) {
    std::unique_ptr<QObject> t(make());
    failed += QTest::qExec(t.get(), argc, argv);
  }
  return failed;
}
