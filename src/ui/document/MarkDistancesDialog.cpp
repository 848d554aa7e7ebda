#include "document/MarkDistancesDialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/WaitCursor.h"
#include "document/CNorvaneDoc.h"

std::function<void(MarkDistancesDialog&)> MarkDistancesDialog::runner;

MarkDistancesDialog::MarkDistancesDialog(const nv::CNorvaneDoc& doc, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Mark distances"));
  const int64_t expansion = doc.Time().Repaired().ExpansionThousandths();
  const int64_t rate = doc.Format().nSamplesPerSec;
  const auto rows = doc.Marks().DistanceTable(rate, expansion);
  text_ = doc.Marks().DistanceText(rate, expansion);

  // The first row of the table (a blank, then the labels) heads the
  // columns, once; below it one row per mark. The copied text has it first.
  const int columns = rows.empty() ? 1 : static_cast<int>(rows[0].size());
  const int marks = rows.empty() ? 0 : static_cast<int>(rows.size()) - 1;
  table_ = new QTableWidget(marks, columns, this);
  table_->setObjectName(QStringLiteral("distances"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  QStringList headers;
  for (const std::string& h : rows.empty() ? std::vector<std::string>{""} : rows[0])
    headers << QString::fromStdString(h);
  table_->setHorizontalHeaderLabels(headers);
  for (int r = 0; r < marks; ++r) {
    const std::vector<std::string>& row = rows[static_cast<size_t>(r) + 1];
    for (int c = 0; c < static_cast<int>(row.size()); ++c)
      table_->setItem(r, c, new QTableWidgetItem(QString::fromStdString(row[static_cast<size_t>(c)])));
  }
  // Columns are 60 pixels wide, wider where a label or a cell needs it.
  table_->setWordWrap(false);
  table_->resizeColumnsToContents();
  int width = 0;
  for (int c = 0; c < columns; ++c) {
    table_->setColumnWidth(c, std::max(kColumnWidth, table_->columnWidth(c)));
    width += table_->columnWidth(c);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  copy_ = buttons->addButton(QStringLiteral("Copy "), QDialogButtonBox::ActionRole);
  connect(copy_, &QPushButton::clicked, this, &MarkDistancesDialog::Copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addWidget(table_);
  v->addWidget(buttons);
  resize(std::min(900, 60 + width), 300);
}

void MarkDistancesDialog::Copy() {
  WaitCursor wait;
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(QString::fromStdString(text_));
}

void MarkDistancesDialog::Show(const nv::CNorvaneDoc& doc, QWidget* parent) {
  MarkDistancesDialog dlg(doc, parent);
  if (runner)
    runner(dlg);
  else
    dlg.exec();
}
