#include "settings/SettingsDialogBase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/FrequencyRangeFields.h"
#include "base/MessageSink.h"
#include "base/HoldSpinButtons.h"
#include "base/NumericEdit.h"

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
  nv::AnalysisSettings s = CurrentRecord();
  if (!ReadFields(s)) return false;
  settings_ = s;
  AfterApply();
  emit applied(settings_, false);
  return true;
}

bool SettingsDialogBase::Ok() {
  nv::AnalysisSettings s = CurrentRecord();
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

void SettingsDialogBase::AddTimeRow(QGridLayout* grid, int row, bool wholeMilliseconds) {
  wholeMilliseconds_ = wholeMilliseconds;
  grid->addWidget(new QLabel(QStringLiteral("Milliseconds per plot"), grid->parentWidget()), row, 0);
  auto* box = new QWidget(this);
  auto* line = new QHBoxLayout(box);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(1);
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
  line->addWidget(timeField_);
  line->addWidget(timeSpin_);
  grid->addWidget(box, row, 1, 1, 2);
}

QGroupBox* SettingsDialogBase::MakeChannelGroup() {
  auto* stereo = new QGroupBox(QStringLiteral("If stereo, view"), this);
  auto* sl = new QVBoxLayout(stereo);
  left_ = new QCheckBox(QStringLiteral("Left Channel"), stereo);
  right_ = new QCheckBox(QStringLiteral("Right Channel"), stereo);
  sl->addWidget(left_);
  sl->addWidget(right_);
  return stereo;
}

QGroupBox* SettingsDialogBase::MakeGridGroup(const QString& title, const QString& firstLabel,
                                             QComboBox*& first, const QString& secondLabel,
                                             QComboBox*& second) {
  auto* gridGroup = new QGroupBox(title, this);
  auto* gl = new QGridLayout(gridGroup);
  gl->addWidget(new QLabel(firstLabel, gridGroup), 0, 0);
  first = new QComboBox(gridGroup);
  gl->addWidget(first, 0, 1);
  gl->addWidget(new QLabel(secondLabel, gridGroup), 1, 0);
  second = new QComboBox(gridGroup);
  gl->addWidget(second, 1, 1);
  return gridGroup;
}

void SettingsDialogBase::ShowTimeAndChannels(const nv::AnalysisSettings& s) {
  timeField_->SetValue(wholeMilliseconds_ ? s.timePerPlotUs / 1000 : s.timePerPlotUs);
  left_->setChecked(s.leftChannel != 0);
  right_->setChecked(s.rightChannel != 0);
}

bool SettingsDialogBase::CheckChannelsAndTime(int64_t time) {
  if (!left_->isChecked() && !right_->isChecked()) {
    nv::ShowMessage("Error: At least one channel must be selected!");
    return false;
  }
  if (time < 1 || time > (wholeMilliseconds_ ? 1200000 : 1200000000)) {
    nv::ShowMessage(
        QString::asprintf(wholeMilliseconds_
                              ? "Error: Time per plot must not be below 1 or above %d sec!"
                              : "Error: Time per plot must not be below 0.001 msec or above %d sec!",
                          1200)
            .toStdString());
    timeField_->setFocus();
    return false;
  }
  return true;
}

void SettingsDialogBase::StoreTimeAndChannels(int64_t time, nv::AnalysisSettings& s) const {
  s.timePerPlotUs = wholeMilliseconds_ ? time * 1000 : time;
  s.leftChannel = left_->isChecked() ? 1 : 0;
  s.rightChannel = right_->isChecked() ? 1 : 0;
}

bool SettingsDialogBase::ReadTimeRangeAndNumbers(const FrequencyRangeFields& frequencies,
                                                 std::initializer_list<NumberField> numbers,
                                                 nv::AnalysisSettings& s) {
  auto time = timeField_->Value();
  if (!time) return false;
  auto range = frequencies.Read();
  if (!range) return false;
  for (const NumberField& number : numbers) {
    auto value = number.field->Value();
    if (!value) return false;
    *number.value = *value;
  }

  if (!CheckChannelsAndTime(*time)) return false;
  if (!frequencies.Check(*range)) return false;
  frequencies.Store(*range, s);
  StoreTimeAndChannels(*time, s);
  return true;
}
