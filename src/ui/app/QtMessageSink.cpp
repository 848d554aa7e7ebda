#include "app/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToQt(nv::MessageIcon icon) {
  switch (icon) {
    case nv::MessageIcon::Exclamation: return QMessageBox::Warning;
    case nv::MessageIcon::Information: return QMessageBox::Information;
    case nv::MessageIcon::Question: return QMessageBox::Question;
    case nv::MessageIcon::Stop: return QMessageBox::Critical;
    case nv::MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

void QtMessageSink::Show(const std::string& text, nv::MessageIcon icon) {
  QMessageBox box(ToQt(icon), QApplication::applicationName(), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool QtMessageSink::Ask(const std::string& text, nv::MessageIcon icon) {
  QMessageBox box(ToQt(icon), QApplication::applicationName(), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  return box.exec() == QMessageBox::Yes;
}

int QtMessageSink::AskYesNoCancel(const std::string& text, nv::MessageIcon icon) {
  QMessageBox box(ToQt(icon), QApplication::applicationName(), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QApplication::activeWindow());
  const int r = box.exec();
  return r == QMessageBox::Yes ? 1 : r == QMessageBox::No ? 0 : -1;
}
