// The desktop application: the Qt application object, the message boxes,
// then the application's own start-up; at exit the settings are written.
#include <QApplication>
#include <QIcon>

#include "app/CNorvaneApp.h"
#include "app/QtMessageSink.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quellmark"));
  QApplication::setApplicationName(QStringLiteral("Norvane"));
  QApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/norvane/norvane.svg")));
  QtMessageSink sink;
  nv::SetMessageSink(&sink);

  int status = 1;
  {
    CNorvaneApp app;
    QStringList args = QApplication::arguments();
    args.removeFirst();
    if (app.InitInstance(args)) {
      status = QApplication::exec();
      app.ExitInstance();
    }
  }
  nv::SetMessageSink(nullptr);
  return status;
}
