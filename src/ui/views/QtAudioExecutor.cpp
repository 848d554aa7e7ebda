#include "views/QtAudioExecutor.h"

#include <QCoreApplication>
#include <QMetaObject>

QtAudioExecutor& QtAudioExecutor::Instance() {
  static QtAudioExecutor executor;
  return executor;
}

void QtAudioExecutor::Post(std::function<void()> task) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}
