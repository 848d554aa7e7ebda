#include "views/VirtualDetectorDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

#include "base/MessageSink.h"

std::function<bool(VirtualDetectorDialog&)> VirtualDetectorDialog::runner;

VirtualDetectorDialog::VirtualDetectorDialog(const nv::DetectorSettings& settings,
                                             const nv::FilterDescription& detectorFilter, QWidget* parent,
                                             int64_t nyquistHz)
    : QDialog(parent), nyquistHz_(nyquistHz > 0 ? nyquistHz : INT32_MAX) {
  setWindowTitle(QStringLiteral("Virtual Bat detector"));
  auto* about = new QLabel(QStringLiteral(
      "Virtual heterodyne bat detector: the sound is mixed with the detector frequency, "
      "filtered with the detector's filter and played \"Speed factor\" times faster."), this);
  about->setWordWrap(true);
  speed_ = new QLineEdit(QString::number(settings.speedFactor), this);
  speed_->setObjectName(QStringLiteral("speedFactor"));
  speed_->selectAll();
  frequency_ = new QLineEdit(
      settings.frequencyHz > 0 ? QString::fromStdString(nv::DetectorFrequencyText(settings.frequencyHz)) : QString(),
      this);
  frequency_->setObjectName(QStringLiteral("tuningFrequency"));
  connect(frequency_, &QLineEdit::textEdited, this, [this](const QString& text) {
    int32_t hz = 0;
    std::string message;
    if (nv::ParseDetectorFrequency(text.toStdString(), nyquistHz_, hz, message)) emit FrequencyTuned(hz);
  });
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow(QStringLiteral("Speed factor"), speed_);
  form->addRow(QStringLiteral("Tuning frequency (kHz)"), frequency_);
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

std::optional<int32_t> VirtualDetectorDialog::FrequencyHz() {
  if (frequency_->text().trimmed().isEmpty()) return 0;
  int32_t hz = 0;
  std::string message;
  if (!nv::ParseDetectorFrequency(frequency_->text().toStdString(), nyquistHz_, hz, message)) {
    nv::ShowMessage(message, nv::MessageIcon::Exclamation);
    frequency_->setFocus();
    frequency_->selectAll();
    return std::nullopt;
  }
  return hz;
}

void VirtualDetectorDialog::Choose(Choice c) {
  if (c == Choice::Ok && !ok_->isEnabled()) return;
  if (!SpeedFactor()) return;
  if (!FrequencyHz()) return;
  choice_ = c;
  QDialog::accept();
}

VirtualDetectorDialog::Answer VirtualDetectorDialog::Ask(const nv::DetectorSettings& settings,
                                                         const nv::FilterDescription& detectorFilter,
                                                         QWidget* parent, int64_t nyquistHz,
                                                         const std::function<void(int32_t)>& tuned) {
  VirtualDetectorDialog dlg(settings, detectorFilter, parent, nyquistHz);
  if (tuned) connect(&dlg, &VirtualDetectorDialog::FrequencyTuned, &dlg, [&tuned](int hz) { tuned(hz); });
  const bool accepted = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  Answer a;
  a.settings = settings;
  if (!accepted || dlg.ChosenAction() == Choice::Cancel) return a;
  // The field was checked when the choice was made.
  int k = settings.speedFactor;
  std::string message;
  if (!nv::ParseSpeedFactor(dlg.SpeedField()->text().toStdString(), k, message)) return a;
  int32_t hz = 0;
  if (!dlg.frequency_->text().trimmed().isEmpty() &&
      !nv::ParseDetectorFrequency(dlg.frequency_->text().toStdString(), dlg.nyquistHz_, hz, message))
    return a;
  a.choice = dlg.ChosenAction();
  a.settings.speedFactor = k;
  a.settings.speedFactorChosen = true;
  a.settings.frequencyHz = hz;
  return a;
}
