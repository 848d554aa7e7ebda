#include "document/ChangeVolumeDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "base/NumericEdit.h"

std::function<bool(ChangeVolumeDialog&)> ChangeVolumeDialog::runner;

ChangeVolumeDialog::ChangeVolumeDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Change volume"));
  percent_ = new NumericEdit(this);
  percent_->setObjectName(QStringLiteral("percent"));
  percent_->Configure(0, kMinimumPercent, kMaximumPercent);
  percent_->SetValue(100);
  percent_->selectAll();
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("New volume/amplitude in %"), percent_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addLayout(form);
  v->addWidget(buttons);
}

std::optional<int> ChangeVolumeDialog::Percent() {
  const std::optional<int64_t> v = percent_->Value();
  if (!v) return std::nullopt;
  return static_cast<int>(*v);
}

void ChangeVolumeDialog::accept() {
  // A bad value keeps the dialog open with the focus in the field.
  if (!percent_->Value()) return;
  QDialog::accept();
}

std::optional<int> ChangeVolumeDialog::Ask(QWidget* parent) {
  ChangeVolumeDialog dlg(parent);
  const bool ok = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  if (!ok) return std::nullopt;
  return dlg.Percent();
}
