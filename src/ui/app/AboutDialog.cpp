#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Norvane"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/norvane/norvane.svg")).pixmap(48, 48));
  auto* name = new QLabel(QStringLiteral("Norvane - sound analysis of ultrasonic animal sounds"), this);
  version_ = new QLabel(QStringLiteral("Norvane Version %1").arg(QStringLiteral(NORVANE_VERSION)), this);
  version_->setObjectName("versionLine");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* g = new QGridLayout(this);
  g->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  g->addWidget(name, 0, 1);
  g->addWidget(version_, 1, 1);
  g->addWidget(buttons, 2, 0, 1, 2);
}

QString AboutDialog::FullVersionText() {
  return QStringLiteral("Version: %1  %2")
      .arg(QStringLiteral(NORVANE_VERSION), QStringLiteral("Built with Qt " QT_VERSION_STR));
}

void AboutDialog::mouseDoubleClickEvent(QMouseEvent*) { version_->setText(FullVersionText()); }
