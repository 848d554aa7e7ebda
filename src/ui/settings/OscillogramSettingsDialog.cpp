#include "settings/OscillogramSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/MessageSink.h"
#include "settings/GridLists.h"
#include "views/NumericEdit.h"

OscillogramSettingsDialog::OscillogramSettingsDialog(const nv::AnalysisSettings& settings,
                                                     bool editingDefaults,
                                                     const DocumentRates& rates, QWidget* parent)
    : SettingsDialogBase(QStringLiteral("Oscillogram settings"), settings, editingDefaults, rates,
                         parent) {
  auto* main = new QVBoxLayout(this);
  auto* top = new QGroupBox(this);
  auto* g = new QGridLayout(top);
  g->addWidget(new QLabel(QStringLiteral("Milliseconds per plot"), top), 0, 0);
  g->addWidget(MakeTimeField(false), 0, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Min and max amplitude"), top), 1, 0);
  // The record holds hundredths of a percent; the fields show whole percent.
  minAmp_ = new NumericEdit(top);
  minAmp_->Configure(0, -10000, 9999, 100);
  maxAmp_ = new NumericEdit(top);
  maxAmp_->Configure(0, -9999, 10000, 100);
  g->addWidget(minAmp_, 1, 1);
  g->addWidget(maxAmp_, 1, 2);
  line_ = new QCheckBox(QStringLiteral("Line between samples"), top);
  g->addWidget(line_, 2, 0, 1, 3);
  main->addWidget(top);

  auto* lower = new QHBoxLayout;
  auto* stereo = new QGroupBox(QStringLiteral("If stereo, view"), this);
  auto* sl = new QVBoxLayout(stereo);
  left_ = new QCheckBox(QStringLiteral("Left Channel"), stereo);
  right_ = new QCheckBox(QStringLiteral("Right Channel"), stereo);
  sl->addWidget(left_);
  sl->addWidget(right_);
  lower->addWidget(stereo);
  auto* gridGroup = new QGroupBox(QStringLiteral("Grid lines per tick mark"), this);
  auto* gl = new QGridLayout(gridGroup);
  gl->addWidget(new QLabel(QStringLiteral("Amplitude"), gridGroup), 0, 0);
  ampGrid_ = new QComboBox(gridGroup);
  grid::FillCounts(ampGrid_, QString());
  gl->addWidget(ampGrid_, 0, 1);
  gl->addWidget(new QLabel(QStringLiteral("Time"), gridGroup), 1, 0);
  timeGrid_ = new QComboBox(gridGroup);
  grid::FillCounts(timeGrid_, QString());
  gl->addWidget(timeGrid_, 1, 1);
  lower->addWidget(gridGroup);
  main->addLayout(lower);
  main->addWidget(Buttons());

  if (editingDefaults) {
    minAmp_->setEnabled(false);
    maxAmp_->setEnabled(false);
  }

  const nv::AnalysisSettings& s = settings_;
  timeField_->SetValue(s.timePerPlotUs);
  minAmp_->setText(QString::number(s.minAmplitude / 100));
  maxAmp_->setText(QString::number(s.maxAmplitude / 100));
  line_->setChecked(s.lineBetweenSamples != 0);
  left_->setChecked(s.leftChannel != 0);
  right_->setChecked(s.rightChannel != 0);
  ampGrid_->setCurrentIndex(grid::CountIndex(s.oscGridY));
  timeGrid_->setCurrentIndex(grid::CountIndex(s.oscGridX));
}

bool OscillogramSettingsDialog::ReadFields(nv::AnalysisSettings& s) {
  auto time = timeField_->Value();
  if (!time) return false;
  std::optional<int64_t> minA, maxA;
  if (!editingDefaults_) {
    minA = minAmp_->Value();
    if (!minA) return false;
    maxA = maxAmp_->Value();
    if (!maxA) return false;
  }
  if (!left_->isChecked() && !right_->isChecked()) {
    nv::ShowMessage("Error: At least one channel must be selected!");
    return false;
  }
  if (*time < 1 || *time > 1200000000) {
    nv::ShowMessage(
        QString::asprintf("Error: Time per plot must not be below 0.001 msec or above %d sec!", 1200)
            .toStdString());
    timeField_->setFocus();
    return false;
  }
  if (!editingDefaults_) {
    if (*maxA > 10000) {
      nv::ShowMessage(QString::asprintf("Error: Max amplitude > 100%%").toStdString());
      maxAmp_->setFocus();
      return false;
    }
    if (*minA >= *maxA) {
      nv::ShowMessage("Error: Min amplitude > Max amplitude.");
      minAmp_->setFocus();
      return false;
    }
    if (*minA < -10000) {
      nv::ShowMessage(QString::asprintf("Error: Min amplitude < -100%%.").toStdString());
      minAmp_->setFocus();
      return false;
    }
    s.minAmplitude = *minA;
    s.maxAmplitude = *maxA;
  }
  s.timePerPlotUs = *time;
  s.lineBetweenSamples = line_->isChecked() ? 1 : 0;
  s.leftChannel = left_->isChecked() ? 1 : 0;
  s.rightChannel = right_->isChecked() ? 1 : 0;
  s.oscGridY = grid::CountValue(ampGrid_->currentIndex());
  s.oscGridX = grid::CountValue(timeGrid_->currentIndex());
  return true;
}
