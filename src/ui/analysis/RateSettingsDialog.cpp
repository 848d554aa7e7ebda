#include "analysis/RateSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/MessageSink.h"
#include "base/NumericEdit.h"

int32_t RateSettingsDialog::PercentOfThreshold(int32_t threshold) {
  return static_cast<int32_t>(std::floor(threshold * 100.0 / 32768.0 + 0.5));
}

int32_t RateSettingsDialog::ThresholdOfPercent(int32_t percent) {
  return static_cast<int32_t>(std::floor(percent * 327.68 + 0.5));
}

RateSettingsDialog::RateSettingsDialog(const nv::RateSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Pulse Interval / Pulse Length Analysis Settings"));
  auto field = [this](int64_t lo, int64_t hi) {
    auto* e = new NumericEdit(this);
    e->Configure(0, lo, hi);
    return e;
  };
  delay_ = field(0, INT32_MAX);
  start_ = field(0, INT32_MAX);
  end_ = field(0, INT32_MAX);
  bars_ = field(1, INT32_MAX);
  threshold_ = field(0, 100);
  automatic_ = new QCheckBox(QStringLiteral("Automatic calculation of settings below"), this);
  continuous_ = new QCheckBox(QStringLiteral("Continuous update"), this);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [&](const char* text, QWidget* w) {
    grid->addWidget(new QLabel(QString::fromUtf8(text), this), row, 0);
    grid->addWidget(w, row++, 1);
  };
  add("Detection threshold %", threshold_);
  add("Detection delay time", delay_);
  grid->addWidget(automatic_, row++, 0, 1, 2);
  add("Histogram start time", start_);
  add("Histogram end time", end_);
  add("Number of histogram bars", bars_);
  grid->addWidget(new QLabel(QStringLiteral("Times above are expressed in milliseconds"), this), row++, 0, 1, 2);
  grid->addWidget(continuous_, row++, 0, 1, 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RateSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  delay_->SetValue(settings_.delayMs);
  start_->SetValue(settings_.histStartMs);
  end_->SetValue(settings_.histEndMs);
  bars_->SetValue(settings_.bars);
  threshold_->SetValue(std::clamp(PercentOfThreshold(settings_.threshold), 0, 100));
  automatic_->setChecked(settings_.autoCalc);
  continuous_->setChecked(settings_.contUpdate);
}

void RateSettingsDialog::accept() {
  const auto delay = delay_->Value();
  if (!delay) return;
  const auto start = start_->Value();
  if (!start) return;
  const auto end = end_->Value();
  if (!end) return;
  const auto bars = bars_->Value();
  if (!bars) return;
  const auto percent = threshold_->Value();
  if (!percent) return;
  if (*start >= *end) {
    nv::ShowMessage("Histogram end must be greather then Histogram start.");
    return;
  }
  if (*end - *start < *bars) {
    nv::ShowMessage("Number of histogram bars to high! Each bar must represent at least 1 millisecond.");
    return;
  }
  settings_.delayMs = static_cast<int32_t>(*delay);
  settings_.histStartMs = static_cast<int32_t>(*start);
  settings_.histEndMs = static_cast<int32_t>(*end);
  settings_.bars = static_cast<int32_t>(*bars);
  settings_.threshold = ThresholdOfPercent(static_cast<int32_t>(*percent));
  settings_.autoCalc = automatic_->isChecked();
  settings_.contUpdate = continuous_->isChecked();
  QDialog::accept();
}
