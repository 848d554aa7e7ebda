#include "views/SoundDevicesDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "views/ViewHost.h"

std::function<int(SoundDevicesDialog&)> SoundDevicesDialog::runner;

SoundDevicesDialog::SoundDevicesDialog(nv::AudioBackend& audio, const std::string& output,
                                       const std::string& input, QWidget* parent, nv::InputKind kind)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Sound devices"));
  auto* layout = new QVBoxLayout(this);
  inputs_ = AddGroup(QStringLiteral("Input devices"), audio.Devices(nv::StreamDirection::Input), input, layout);
  auto* form = new QFormLayout;
  kind_ = new QComboBox(this);
  kind_->addItem(QStringLiteral("Sound input device"), static_cast<int>(nv::InputKind::WaveInput));
  kind_->addItem(QStringLiteral("ComputerBoards card"), static_cast<int>(nv::InputKind::ComputerBoards));
  kind_->addItem(QStringLiteral("National Instruments card"), static_cast<int>(nv::InputKind::NationalInstruments));
  kind_->addItem(QStringLiteral("Other acquisition card"), static_cast<int>(nv::InputKind::OtherCard));
  kind_->setCurrentIndex(std::max(0, kind_->findData(static_cast<int>(kind))));
  form->addRow(QStringLiteral("Input kind"), kind_);
  layout->addLayout(form);
  outputs_ = AddGroup(QStringLiteral("Output devices"), audio.Devices(nv::StreamDirection::Output), output, layout);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QList<QRadioButton*> SoundDevicesDialog::AddGroup(const QString& title,
                                                  const std::vector<nv::AudioDeviceInfo>& devices,
                                                  const std::string& current, QVBoxLayout* layout) {
  auto* box = new QGroupBox(title, this);
  auto* v = new QVBoxLayout(box);
  QList<QRadioButton*> buttons;
  for (const nv::AudioDeviceInfo& d : devices) {
    auto* b = new QRadioButton(QString::fromStdString(d.name + d.formatLabel), box);
    b->setProperty("deviceId", QString::fromStdString(d.id));
    // One or none checked: the buttons clear each other by hand.
    b->setAutoExclusive(false);
    b->setChecked(!current.empty() && d.id == current);
    v->addWidget(b);
    buttons.append(b);
  }
  for (QRadioButton* b : buttons)
    connect(b, &QRadioButton::toggled, this, [b, buttons](bool on) {
      if (!on) return;
      for (QRadioButton* o : buttons)
        if (o != b) o->setChecked(false);
    });
  if (devices.empty()) v->addWidget(new QLabel(QStringLiteral("(none)"), box));
  layout->addWidget(box);
  return buttons;
}

std::string SoundDevicesDialog::Checked(const QList<QRadioButton*>& buttons) {
  for (QRadioButton* b : buttons)
    if (b->isChecked()) return b->property("deviceId").toString().toStdString();
  return "";
}

std::string SoundDevicesDialog::OutputChoice() const { return Checked(outputs_); }
std::string SoundDevicesDialog::InputChoice() const { return Checked(inputs_); }
nv::InputKind SoundDevicesDialog::InputKindChoice() const {
  return static_cast<nv::InputKind>(kind_->currentData().toInt());
}

int SoundDevicesDialog::Run() { return runner ? runner(*this) : exec(); }

void SoundDevicesDialog::ChooseForHost(ViewHost& host, QWidget* parent) {
  SoundDevicesDialog dlg(host.Audio(), host.OutputDevice(), host.InputDevice(), parent,
                         host.InputKind());
  if (dlg.Run() != QDialog::Accepted) return;
  host.SetOutputDevice(dlg.OutputChoice());
  host.SetInputDevice(dlg.InputChoice());
  host.SetInputKind(dlg.InputKindChoice());
}
