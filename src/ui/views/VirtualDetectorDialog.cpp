#include "views/VirtualDetectorDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/MessageSink.h"

std::function<bool(VirtualDetectorDialog&)> VirtualDetectorDialog::runner;

VirtualDetectorDialog::VirtualDetectorDialog(const nv::DetectorSettings& settings,
                                             const nv::FilterDescription& detectorFilter, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Virtual Bat detector"));
  auto* about = new QLabel(QStringLiteral(
      "Virtual heterodyne bat detector: the sound is mixed with the detector frequency, "
      "filtered with the detector's filter and played \"Speed factor\" times faster."), this);
  about->setWordWrap(true);
  speed_ = new QLineEdit(QString::number(settings.speedFactor), this);
  speed_->setObjectName(QStringLiteral("speedFactor"));
  speed_->selectAll();
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Speed factor"), speed_);
  selectFilter_ = new QPushButton(QStringLiteral("Select Filter"), this);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok_->setEnabled(nv::DetectorFilterChosen(detectorFilter));
  ok_->setDefault(ok_->isEnabled());
  selectFilter_->setDefault(!ok_->isEnabled());
  connect(selectFilter_, &QPushButton::clicked, this, [this] { Choose(Choice::SelectFilter); });
  connect(ok_, &QPushButton::clicked, this, [this] { Choose(Choice::Ok); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(selectFilter_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* v = new QVBoxLayout(this);
  v->addWidget(about);
  v->addLayout(form);
  v->addLayout(buttons);
}

std::optional<int> VirtualDetectorDialog::SpeedFactor() {
  int k = 0;
  std::string message;
  if (!nv::ParseSpeedFactor(speed_->text().toStdString(), k, message)) {
    nv::ShowMessage(message, nv::MessageIcon::Exclamation);
    speed_->setFocus();
    speed_->selectAll();
    return std::nullopt;
  }
  return k;
}

void VirtualDetectorDialog::Choose(Choice c) {
  if (c == Choice::Ok && !ok_->isEnabled()) return;
  if (!SpeedFactor()) return;
  choice_ = c;
  QDialog::accept();
}

VirtualDetectorDialog::Answer VirtualDetectorDialog::Ask(const nv::DetectorSettings& settings,
                                                         const nv::FilterDescription& detectorFilter,
                                                         QWidget* parent) {
  VirtualDetectorDialog dlg(settings, detectorFilter, parent);
  const bool accepted = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  Answer a;
  a.settings = settings;
  if (!accepted || dlg.ChosenAction() == Choice::Cancel) return a;
  // The field was checked when the choice was made.
  int k = settings.speedFactor;
  std::string message;
  if (!nv::ParseSpeedFactor(dlg.SpeedField()->text().toStdString(), k, message)) return a;
  a.choice = dlg.ChosenAction();
  a.settings.speedFactor = k;
  return a;
}
