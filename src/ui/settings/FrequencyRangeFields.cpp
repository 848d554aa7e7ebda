#include "settings/FrequencyRangeFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QString>

#include "base/MessageSink.h"
#include "base/NumericEdit.h"

void FrequencyRangeFields::AddRow(QGridLayout* grid, int row) {
  QWidget* parent = grid->parentWidget();
  grid->addWidget(new QLabel(QStringLiteral("Min and max frequency "), parent), row, 0);
  min_ = new NumericEdit(parent);
  min_->Configure(0, 0, 100000000);
  max_ = new NumericEdit(parent);
  max_->Configure(0, 1, 100000000);
  grid->addWidget(min_, row, 1);
  grid->addWidget(max_, row, 2);
  if (editingDefaults_) {
    min_->setEnabled(false);
    max_->setEnabled(false);
  }
}

void FrequencyRangeFields::Show(const nv::AnalysisSettings& s) {
  min_->SetValue(s.minFrequencyHz < 0 ? 0 : s.minFrequencyHz);
  if (s.maxFrequencyHz < 0 && rates_.Known())
    max_->SetValue(rates_.NyquistHz());
  else
    max_->SetValue(s.maxFrequencyHz);
}

std::optional<FrequencyRangeFields::Range> FrequencyRangeFields::Read() const {
  Range range;
  if (editingDefaults_) return range;
  auto minF = min_->Value();
  if (!minF) return std::nullopt;
  auto maxF = max_->Value();
  if (!maxF) return std::nullopt;
  range.minHz = *minF;
  range.maxHz = *maxF;
  return range;
}

bool FrequencyRangeFields::Check(const Range& range) const {
  if (editingDefaults_) return true;
  if (rates_.Known() && range.maxHz > rates_.NyquistHz()) {
    nv::ShowMessage(QString::asprintf("Error: Max frequency > %d Hz",
                                      static_cast<int>(rates_.NyquistHz()))
                        .toStdString());
    max_->setFocus();
    return false;
  }
  if (range.minHz >= range.maxHz) {
    nv::ShowMessage("Error: Min frequency > Max frequency.");
    min_->setFocus();
    return false;
  }
  if (range.minHz < 0) {
    nv::ShowMessage("Error: Min frequency < zero.");
    min_->setFocus();
    return false;
  }
  return true;
}

void FrequencyRangeFields::Store(const Range& range, nv::AnalysisSettings& s) const {
  if (editingDefaults_) return;
  s.minFrequencyHz = range.minHz;
  s.maxFrequencyHz = range.maxHz;
}
