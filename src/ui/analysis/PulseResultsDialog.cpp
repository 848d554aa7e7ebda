#include "analysis/PulseResultsDialog.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/PulseMarkPlacer.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"

PulseResultsDialog::PulseResultsDialog(nv::CNorvaneDoc* doc, const nv::PulseSettings& settings,
                                       QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings), table_(settings) {
  setWindowTitle(QStringLiteral("Pulse characteristics"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  list_ = new QTableWidget(this);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->verticalHeader()->hide();
  const auto& columns = table_.Columns();
  list_->setColumnCount(static_cast<int>(columns.size()));
  // The long titles head the columns, once; "Copy " puts them first.
  QStringList headers;
  for (const std::string& title : table_.TitleRow()) headers << QString::fromStdString(title);
  list_->setHorizontalHeaderLabels(headers);
  list_->setWordWrap(false);
  // Columns at least kColumnWidth wide and as wide as their titles.
  for (int i = 0; i < list_->columnCount(); ++i)
    list_->setColumnWidth(i, std::max(kColumnWidth, list_->horizontalHeader()->sectionSizeHint(i)));
  status_ = new QLineEdit(this);
  status_->setReadOnly(true);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  auto* copy = new QPushButton(QStringLiteral("Copy "), this);
  clearMarks_ = new QPushButton(QStringLiteral("Clear Marks"), this);
  clearMarks_->hide();
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(copy, &QPushButton::clicked, this, &PulseResultsDialog::Copy);
  connect(clearMarks_, &QPushButton::clicked, this, &PulseResultsDialog::ClearMarks);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(close);
  buttons->addWidget(copy);
  buttons->addWidget(clearMarks_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addWidget(status_);
  layout->addLayout(buttons);
  int width = 0;
  for (int i = 0; i < list_->columnCount(); ++i) width += list_->columnWidth(i);
  resize(std::clamp(width + 40, 420, 1200), 320);
  rows_.push_back(table_.TitleRow());
}

void PulseResultsDialog::AppendRow(const nv::PulseTable::Row& row) {
  rows_.push_back(row);
  const int r = list_->rowCount();
  list_->insertRow(r);
  const QFontMetrics metrics = list_->fontMetrics();
  // The cell's margins as the view draws them: the style's focus frame on
  // either side and a pixel each.
  const int margins = 2 * (list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1);
  for (int c = 0; c < static_cast<int>(row.size()) && c < list_->columnCount(); ++c) {
    const QString text = QString::fromStdString(row[static_cast<size_t>(c)]);
    list_->setItem(r, c, new QTableWidgetItem(text));
    // A wider value widens its column (one cell: no walk over the rows).
    const int needed = metrics.horizontalAdvance(text) + margins;
    if (needed > list_->columnWidth(c)) list_->setColumnWidth(c, needed);
  }
}

void PulseResultsDialog::AddResult(nv::PulseResult result) {
  if (doc_ && !result.marks.empty()) {
    nv::MarkList::Batch batch(doc_->Marks());  // the views redraw once
    // After "Clear all marks" the marks placed before are gone, and their
    // numbers may already name the user's new marks.
    if (doc_->Marks().Generation() != marksGeneration_) marks_.clear();
    marksGeneration_ = doc_->Marks().Generation();
    for (const nv::PulseMarkRequest& m : result.marks) {
      const int32_t number = nv::PulseMarkPlacer::Place(*doc_, m);
      if (number < 0) continue;
      result.markIds[static_cast<int>(m.kind)] = number;
      marks_.push_back(number);
    }
    if (!marks_.empty()) clearMarks_->show();
    emit marksChanged();
  }
  AppendRow(table_.Cells(result));
}

void PulseResultsDialog::SetStatus(const QString& text) { status_->setText(text); }
QString PulseResultsDialog::StatusText() const { return status_->text(); }
bool PulseResultsDialog::ClearMarksShown() const { return !clearMarks_->isHidden(); }

void PulseResultsDialog::Copy() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    nv::ShowMessage("Cannot open the Clipboard");
    return;
  }
  clipboard->setText(QString::fromStdString(CopyText()));
}

void PulseResultsDialog::ClearMarks() {
  if (doc_ && doc_->Marks().Generation() == marksGeneration_) {
    nv::MarkList::Batch batch(doc_->Marks());
    for (int32_t n : marks_) nv::PulseMarkPlacer::Remove(*doc_, n);
  }
  marks_.clear();
  clearMarks_->hide();
  emit marksChanged();
}
