#include "settings/ZeroCrossingSettingsDialog.h"

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

namespace {
constexpr int kSampleCounts[] = {16000, 8000, 4000, 2000, 1000, 500, 250, 100, 50, 25};
}

ZeroCrossingSettingsDialog::ZeroCrossingSettingsDialog(const nv::AnalysisSettings& settings,
                                                       bool editingDefaults,
                                                       const DocumentRates& rates, QWidget* parent)
    : SettingsDialogBase(QStringLiteral("Zero Crossing Analysis settings"), settings,
                         editingDefaults, rates, parent) {
  auto* main = new QVBoxLayout(this);
  auto* top = new QGroupBox(this);
  auto* g = new QGridLayout(top);
  int row = 0;
  g->addWidget(new QLabel(QStringLiteral("Milliseconds per plot"), top), row, 0);
  g->addWidget(MakeTimeField(true), row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Min and max frequency "), top), row, 0);
  minFreq_ = new NumericEdit(top);
  minFreq_->Configure(0, 0, 100000000);
  maxFreq_ = new NumericEdit(top);
  maxFreq_->Configure(0, 1, 100000000);
  g->addWidget(minFreq_, row, 1);
  g->addWidget(maxFreq_, row++, 2);
  g->addWidget(new QLabel(QStringLiteral("Number of samples in zero crossing analysis"), top), row, 0);
  samples_ = new QComboBox(top);
  for (int n : kSampleCounts) samples_->addItem(QStringLiteral("%1 samples").arg(n), n);
  samples_->addItem(QStringLiteral("Automatic"), 1);
  g->addWidget(samples_, row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Detection threshold %"), top), row, 0);
  threshold_ = new NumericEdit(top);
  threshold_->Configure(0, 0, 99);
  g->addWidget(threshold_, row++, 1);
  g->addWidget(new QLabel(QStringLiteral("Font size"), top), row, 0);
  fontSize_ = new NumericEdit(top);
  fontSize_->Configure(0, 1, 100);
  g->addWidget(fontSize_, row++, 1);
  line_ = new QCheckBox(QStringLiteral("Line between values"), top);
  g->addWidget(line_, row++, 0, 1, 3);
  main->addWidget(top);

  auto* lower = new QHBoxLayout;
  auto* stereo = new QGroupBox(QStringLiteral("If stereo, view"), this);
  auto* sl = new QVBoxLayout(stereo);
  left_ = new QCheckBox(QStringLiteral("Left Channel"), stereo);
  right_ = new QCheckBox(QStringLiteral("Right Channel"), stereo);
  sl->addWidget(left_);
  sl->addWidget(right_);
  lower->addWidget(stereo);
  auto* gridGroup = new QGroupBox(QStringLiteral("Grid lines (per axis)"), this);
  auto* gl = new QGridLayout(gridGroup);
  gl->addWidget(new QLabel(QStringLiteral("Time"), gridGroup), 0, 0);
  timeGrid_ = new QComboBox(gridGroup);
  grid::FillCounts(timeGrid_, QString());
  gl->addWidget(timeGrid_, 0, 1);
  gl->addWidget(new QLabel(QStringLiteral("Frequency"), gridGroup), 1, 0);
  freqGrid_ = new QComboBox(gridGroup);
  grid::FillFrequency(freqGrid_);
  gl->addWidget(freqGrid_, 1, 1);
  lower->addWidget(gridGroup);
  main->addLayout(lower);
  main->addWidget(Buttons());

  if (editingDefaults) {
    minFreq_->setEnabled(false);
    maxFreq_->setEnabled(false);
  }

  const nv::AnalysisSettings& s = settings_;
  timeField_->SetValue(s.timePerPlotUs / 1000);
  minFreq_->SetValue(s.minFrequencyHz < 0 ? 0 : s.minFrequencyHz);
  if (s.maxFrequencyHz < 0 && rates_.Known())
    maxFreq_->SetValue(rates_.NyquistHz());
  else
    maxFreq_->SetValue(s.maxFrequencyHz);
  int index = samples_->findData(s.freqSize);
  if (index < 0) {
    // A count the list does not offer is kept as an entry of its own.
    samples_->addItem(QStringLiteral("%1 samples").arg(s.freqSize), s.freqSize);
    index = samples_->count() - 1;
  }
  samples_->setCurrentIndex(index);
  threshold_->SetValue(s.freqThreshold);
  fontSize_->SetValue(s.fontSize);
  line_->setChecked(s.freqPlotType != 0);
  left_->setChecked(s.leftChannel != 0);
  right_->setChecked(s.rightChannel != 0);
  timeGrid_->setCurrentIndex(grid::CountIndex(s.freqGridX));
  freqGrid_->setCurrentIndex(grid::FrequencyIndex(s.freqGridY));
}

bool ZeroCrossingSettingsDialog::ReadFields(nv::AnalysisSettings& s) {
  auto time = timeField_->Value();
  if (!time) return false;
  std::optional<int64_t> minF, maxF;
  if (!editingDefaults_) {
    minF = minFreq_->Value();
    if (!minF) return false;
    maxF = maxFreq_->Value();
    if (!maxF) return false;
  }
  auto threshold = threshold_->Value();
  if (!threshold) return false;
  auto font = fontSize_->Value();
  if (!font) return false;

  if (!left_->isChecked() && !right_->isChecked()) {
    nv::ShowMessage("Error: At least one channel must be selected!");
    return false;
  }
  if (*time < 1 || *time > 1200000) {
    nv::ShowMessage(
        QString::asprintf("Error: Time per plot must not be below 1 or above %d sec!", 1200)
            .toStdString());
    timeField_->setFocus();
    return false;
  }
  if (!editingDefaults_) {
    if (rates_.Known() && *maxF > rates_.NyquistHz()) {
      nv::ShowMessage(QString::asprintf("Error: Max frequency > %d Hz",
                                        static_cast<int>(rates_.NyquistHz()))
                          .toStdString());
      maxFreq_->setFocus();
      return false;
    }
    if (*minF >= *maxF) {
      nv::ShowMessage("Error: Min frequency > Max frequency.");
      minFreq_->setFocus();
      return false;
    }
    if (*minF < 0) {
      nv::ShowMessage("Error: Min frequency < zero.");
      minFreq_->setFocus();
      return false;
    }
    s.minFrequencyHz = *minF;
    s.maxFrequencyHz = *maxF;
  }
  s.timePerPlotUs = *time * 1000;
  s.freqSize = samples_->currentData().toInt();
  s.freqThreshold = static_cast<int32_t>(*threshold);
  s.fontSize = static_cast<int32_t>(*font);
  s.freqPlotType = line_->isChecked() ? 1 : 0;
  s.leftChannel = left_->isChecked() ? 1 : 0;
  s.rightChannel = right_->isChecked() ? 1 : 0;
  s.freqGridX = grid::CountValue(timeGrid_->currentIndex());
  s.freqGridY = grid::FrequencyValue(freqGrid_->currentIndex());
  return true;
}
