#include "settings/SettingsDialogBase.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "views/HoldSpinButtons.h"
#include "views/NumericEdit.h"

SettingsDialogBase::SettingsDialogBase(const QString& title, const nv::AnalysisSettings& settings,
                                       bool editingDefaults, const DocumentRates& rates,
                                       QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      editingDefaults_(editingDefaults),
      rates_(rates),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                        QDialogButtonBox::Apply,
                                    this)) {
  setWindowTitle(editingDefaults ? title + QStringLiteral(" - Default values") : title);
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  ApplyButton()->setText(QStringLiteral("Apply"));
  connect(OkButton(), &QPushButton::clicked, this, &SettingsDialogBase::Ok);
  connect(ApplyButton(), &QPushButton::clicked, this, &SettingsDialogBase::Apply);
  connect(CancelButton(), &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* SettingsDialogBase::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }
QPushButton* SettingsDialogBase::CancelButton() const {
  return buttons_->button(QDialogButtonBox::Cancel);
}
QPushButton* SettingsDialogBase::ApplyButton() const {
  return buttons_->button(QDialogButtonBox::Apply);
}

bool SettingsDialogBase::Apply() {
  nv::AnalysisSettings s = settings_;
  if (!ReadFields(s)) return false;
  settings_ = s;
  AfterApply();
  emit applied(settings_, false);
  return true;
}

bool SettingsDialogBase::Ok() {
  nv::AnalysisSettings s = settings_;
  if (!ReadFields(s)) return false;
  settings_ = s;
  emit applied(settings_, true);
  accept();
  return true;
}

void SettingsDialogBase::done(int result) {
  emit closed();
  QDialog::done(result);
}

QWidget* SettingsDialogBase::MakeTimeField(bool wholeMilliseconds) {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  timeField_ = new NumericEdit(box);
  // The field itself accepts any number; the dialog's own check gives the
  // time-per-plot message.
  if (wholeMilliseconds) {
    timeField_->Configure(0, INT32_MIN, INT32_MAX);
    timeSpin_ = new HoldSpinButtons(timeField_, 1, 1200000,
                                    {{0, 5}, {2000, 50}, {4000, 250}, {6000, 1000}, {8000, 5000}},
                                    box);
  } else {
    timeField_->Configure(-3, INT64_MIN / 4, INT64_MAX / 4, 1000);
    timeSpin_ = new HoldSpinButtons(timeField_, 1, 1200000000,
                                    {{0, 10},
                                     {1000, 500},
                                     {3000, 1000},
                                     {5000, 5000},
                                     {7000, 10000},
                                     {10000, 100000},
                                     {13000, 1000000}},
                                    box);
  }
  row->addWidget(timeField_);
  row->addWidget(timeSpin_);
  return box;
}
