#include "settings/ZeroCrossingSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/GridLists.h"
#include "base/NumericEdit.h"

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
  AddTimeRow(g, row++, true);
  frequencies_.AddRow(g, row++);
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
  lower->addWidget(MakeChannelGroup());
  lower->addWidget(MakeGridGroup(QStringLiteral("Grid lines (per axis)"), QStringLiteral("Time"),
                                 timeGrid_, QStringLiteral("Frequency"), freqGrid_));
  grid::FillCounts(timeGrid_, QString());
  grid::FillFrequency(freqGrid_);
  main->addLayout(lower);
  main->addWidget(Buttons());

  const nv::AnalysisSettings& s = settings_;
  ShowTimeAndChannels(s);
  frequencies_.Show(s);
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
  timeGrid_->setCurrentIndex(grid::CountIndex(s.freqGridX));
  freqGrid_->setCurrentIndex(grid::FrequencyIndex(s.freqGridY));
}

bool ZeroCrossingSettingsDialog::ReadFields(nv::AnalysisSettings& s) {
  int64_t threshold = 0;
  int64_t font = 0;
  if (!ReadTimeRangeAndNumbers(frequencies_, {{threshold_, &threshold}, {fontSize_, &font}}, s))
    return false;
  s.freqSize = samples_->currentData().toInt();
  s.freqThreshold = static_cast<int32_t>(threshold);
  s.fontSize = static_cast<int32_t>(font);
  s.freqPlotType = line_->isChecked() ? 1 : 0;
  s.freqGridX = grid::CountValue(timeGrid_->currentIndex());
  s.freqGridY = grid::FrequencyValue(freqGrid_->currentIndex());
  return true;
}
