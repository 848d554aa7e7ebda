#pragma once
// "Pulse characteristics": the results of one run of the pulse
// characteristics analysis, one row per pulse as the worker finds it, under
// the long column titles (shown once, as the columns' headers, each column
// as wide as its title; the copied table has them as its first row). "Copy " puts the table on the
// clipboard as tab-separated text; "Clear Marks" (shown once the run has
// placed a mark) removes the marks the run placed. Interface thread only;
// owned by its PulseAnalysisDialog, deleted when closed.
#include <QDialog>
#include <cstdint>
#include <vector>

#include "analysis/PulseResult.h"
#include "analysis/PulseTable.h"
#include "settings/PulseSettings.h"

namespace nv {
class CNorvaneDoc;
}
class QLineEdit;
class QPushButton;
class QTableWidget;

class PulseResultsDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kColumnWidth = 80;  // the narrowest column, pixels

  PulseResultsDialog(nv::CNorvaneDoc* doc, const nv::PulseSettings& settings, QWidget* parent = nullptr);

  // Appends a row, placing the marks the result asks for in the document.
  void AddResult(nv::PulseResult result);
  void SetStatus(const QString& text);
  QString StatusText() const;
  // Rows of pulses (the title row not counted).
  int PulseRows() const { return static_cast<int>(rows_.size()) - 1; }
  // The rows of the copied table: the titles, then one per pulse.
  const std::vector<nv::PulseTable::Row>& Rows() const { return rows_; }
  const std::vector<int32_t>& MarkNumbers() const { return marks_; }
  QTableWidget* List() const { return list_; }
  bool ClearMarksShown() const;
  // The text "Copy " puts on the clipboard.
  std::string CopyText() const { return nv::PulseTable::CopyText(rows_); }

 public slots:
  void Copy();
  void ClearMarks();

 signals:
  void marksChanged();

 private:
  void AppendRow(const nv::PulseTable::Row& row);

  nv::CNorvaneDoc* doc_;
  nv::PulseSettings settings_;
  nv::PulseTable table_;
  std::vector<nv::PulseTable::Row> rows_;
  std::vector<int32_t> marks_;
  uint64_t marksGeneration_ = 0;  // of the document's marks when marks_ was filled
  QTableWidget* list_;
  QLineEdit* status_;
  QPushButton* clearMarks_;
};
