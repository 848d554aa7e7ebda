// Runs the power-spectrum window tests and the tests of the window in its view.
#include <QApplication>
#include <QtTest>
#include <memory>

QObject* MakePowerWindowTest();
QObject* MakePowerViewTest();

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failed = 0;
  for (auto make : {&MakePowerWindowTest, &MakePowerViewTest}) {
    std::unique_ptr<QObject> t(make());
    failed += QTest::qExec(t.get(), argc, argv);
  }
  return failed;
}
