#include "analysis/PowerSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "analysis/PowerSettingsCheck.h"
#include "base/MessageSink.h"
#include "base/TitleWidth.h"
#include "dsp/WindowTable.h"

std::function<bool(PowerSettingsDialog&)> PowerSettingsDialog::runner;

namespace {

// A number typed by the user ("," as decimal sign too); a message for
// anything else.
std::optional<double> ReadNumber(QLineEdit* e) {
  QString t = e->text().trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok) {
    nv::ShowMessage("Illegal character in numeric '" + e->text().toStdString() + "'.");
    e->setFocus();
    return std::nullopt;
  }
  return v;
}

QString Number(double v) { return QString::number(v, 'g', 10); }

}  // namespace

PowerSettingsDialog::PowerSettingsDialog(nv::PowerSettings& settings, int32_t nyquistHz, QWidget* parent)
    : QDialog(parent), settings_(settings), nyquistHz_(nyquistHz) {
  setWindowTitle(QStringLiteral("Power spectrum settings"));
  const nv::PowerSettingsEntry e = nv::PowerSettingsEntryOf(settings, nyquistHz);
  fftSize = new QComboBox(this);
  for (const std::string& c : nv::PowerFftSizeChoices()) fftSize->addItem(QString::fromStdString(c));
  fftSize->setCurrentText(QString::fromStdString(nv::PowerFftSizeChoice(e.fftSize)));
  window = new QComboBox(this);
  for (const char* name : {"Rectangular", "Hanning", "Parzen", "Hamming", "Cosine"})
    window->addItem(QString::fromLatin1(name));
  window->setCurrentText(QString::fromStdString(nv::WindowName(nv::StoredWindow(e.window))));
  minLevel = new QLineEdit(this);
  maxLevel = new QLineEdit(this);
  minLevelUnit = new QLabel(this);
  maxLevelUnit = new QLabel(this);
  minFrequency = new QLineEdit(QString::number(e.minFrequencyHz), this);
  maxFrequency = new QLineEdit(QString::number(e.maxFrequencyHz), this);
  contUpdate = new QCheckBox(QStringLiteral("Continuous update"), this);
  contUpdate->setChecked(e.contUpdate);
  logScale = new QCheckBox(QStringLiteral("Logarithmic scale"), this);
  logScale->setChecked(e.logScale);
  ShowLevels(e.logScale);
  connect(logScale, &QCheckBox::toggled, this, [this](bool on) { ShowLevels(on); });

  // Each number field with its unit beside it.
  auto withUnit = [this](QLineEdit* field, QLabel* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    unit->setMinimumWidth(unit->fontMetrics().horizontalAdvance(QStringLiteral("V\u00b2 ")));
    row->addWidget(unit);
    return row;
  };
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow(QStringLiteral("FFT size"), fftSize);
  form->addRow(QStringLiteral("FFT window"), window);
  form->addRow(QStringLiteral("Min level"), withUnit(minLevel, minLevelUnit));
  form->addRow(QStringLiteral("Max level"), withUnit(maxLevel, maxLevelUnit));
  form->addRow(QStringLiteral("Min freq"), withUnit(minFrequency, new QLabel(QStringLiteral("Hz"), this)));
  form->addRow(QStringLiteral("Max freq"), withUnit(maxFrequency, new QLabel(QStringLiteral("Hz"), this)));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PowerSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* box = new QVBoxLayout(this);
  box->addLayout(form);
  box->addWidget(contUpdate);
  box->addWidget(logScale);
  box->addWidget(buttons);
  nv::FitTitleWidth(this);
}

void PowerSettingsDialog::ShowLevels(bool log) {
  double lo = 0, hi = 0;
  nv::PowerEntryLevels(settings_, log, lo, hi);
  minLevel->setText(Number(lo));
  maxLevel->setText(Number(hi));
  const QString unit = log ? QStringLiteral("dB") : QStringLiteral("V\u00b2");
  minLevel->setToolTip(unit);
  maxLevel->setToolTip(unit);
  minLevelUnit->setText(unit);
  maxLevelUnit->setText(unit);
}

bool PowerSettingsDialog::Apply() {
  nv::PowerSettingsEntry e;
  e.fftSize = nv::PowerFftSizeFromChoice(fftSize->currentText().toStdString());
  e.window = nv::StoredNumber(nv::WindowCodeFromName(window->currentText().toStdString()));
  e.logScale = logScale->isChecked();
  e.contUpdate = contUpdate->isChecked();
  const auto lo = ReadNumber(minLevel);
  if (!lo) return false;
  const auto hi = ReadNumber(maxLevel);
  if (!hi) return false;
  const auto fLo = ReadNumber(minFrequency);
  if (!fLo) return false;
  const auto fHi = ReadNumber(maxFrequency);
  if (!fHi) return false;
  e.minLevel = *lo;
  e.maxLevel = *hi;
  e.minFrequencyHz = static_cast<int64_t>(std::clamp(*fLo, -1e12, 1e12));
  e.maxFrequencyHz = static_cast<int64_t>(std::clamp(*fHi, -1e12, 1e12));
  return nv::ApplyPowerSettings(e, nyquistHz_, settings_);
}

void PowerSettingsDialog::accept() {
  if (Apply()) QDialog::accept();
}

bool PowerSettingsDialog::Edit(nv::PowerSettings& settings, int32_t nyquistHz, QWidget* parent) {
  PowerSettingsDialog dialog(settings, nyquistHz, parent);
  if (runner) return runner(dialog);
  return dialog.exec() == QDialog::Accepted;
}
