#include "settings/OscillogramSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "base/MessageSink.h"
#include "settings/GridLists.h"
#include "base/NumericEdit.h"

OscillogramSettingsDialog::OscillogramSettingsDialog(const nv::AnalysisSettings& settings,
                                                     bool editingDefaults,
                                                     const DocumentRates& rates, QWidget* parent)
    : SettingsDialogBase(QStringLiteral("Oscillogram settings"), settings, editingDefaults, rates,
                         parent) {
  auto* main = new QVBoxLayout(this);
  auto* top = new QGroupBox(this);
  auto* g = new QGridLayout(top);
  AddTimeRow(g, 0, false);
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
  lower->addWidget(MakeChannelGroup());
  lower->addWidget(MakeGridGroup(QStringLiteral("Grid lines per tick mark"),
                                 QStringLiteral("Amplitude"), ampGrid_, QStringLiteral("Time"),
                                 timeGrid_));
  grid::FillCounts(ampGrid_, QString());
  grid::FillCounts(timeGrid_, QString());
  main->addLayout(lower);
  main->addWidget(Buttons());

  if (editingDefaults) {
    minAmp_->setEnabled(false);
    maxAmp_->setEnabled(false);
  }

  const nv::AnalysisSettings& s = settings_;
  ShowTimeAndChannels(s);
  minAmp_->setText(QString::number(s.minAmplitude / 100));
  maxAmp_->setText(QString::number(s.maxAmplitude / 100));
  line_->setChecked(s.lineBetweenSamples != 0);
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
  if (!CheckChannelsAndTime(*time)) return false;
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
  StoreTimeAndChannels(*time, s);
  s.lineBetweenSamples = line_->isChecked() ? 1 : 0;
  s.oscGridY = grid::CountValue(ampGrid_->currentIndex());
  s.oscGridX = grid::CountValue(timeGrid_->currentIndex());
  return true;
}
