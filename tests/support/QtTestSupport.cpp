#include "QtTestSupport.h"

#include <QDir>

namespace nv::test {

void TestMessageSink::Install() { old_ = SetMessageSink(this); }

void TestMessageSink::Remove() { SetMessageSink(old_); }

void Grab(QWidget& w, const char* name, GrabSize size) {
  const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
  if (dir.isEmpty()) return;
  if (size == GrabSize::Adjusted) w.adjustSize();
  w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

}  // namespace nv::test
