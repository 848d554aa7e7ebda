// Runs every settings test class under one QApplication. The configuration
// directory is a temporary one even when the test is started by hand.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "TestClasses.h"

int main(int argc, char** argv) {
  QTemporaryDir config;
  if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") ||
      !qEnvironmentVariable("XDG_CONFIG_HOME").contains(QStringLiteral("test-config")))
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int status = 0;
  {
    QtSettingsStoreTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    NumericEditTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    SpectrogramDialogTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    OscillogramDialogTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    ZeroCrossingDialogTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    ColorMapDialogsTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    CardParametersDialogTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  return status;
}
