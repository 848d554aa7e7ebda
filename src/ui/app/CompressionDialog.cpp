#include "app/CompressionDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "base/NumericEdit.h"

std::function<bool(CompressionDialog&)> CompressionDialog::runner;

CompressionDialog::CompressionDialog(const nv::CompressionInfo& info, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Save Compressed Parameters"));
  level_ = new NumericEdit(this);
  level_->Configure(0, -99, 99);
  level_->SetValue(info.levelDb);
  before_ = new NumericEdit(this);
  before_->Configure(0, 0, 9999);
  before_->SetValue(info.beforeMs);
  after_ = new NumericEdit(this);
  after_->Configure(0, 0, 9999);
  after_->SetValue(info.afterMs);

  auto* top = new QFormLayout;
  top->addRow(QStringLiteral("Silent level (dB)"), level_);
  auto* group = new QGroupBox(QStringLiteral("Silent time (ms)"), this);
  auto* times = new QFormLayout(group);
  times->addRow(QStringLiteral("Before pulse"), before_);
  times->addRow(QStringLiteral("After pulse"), after_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addLayout(top);
  v->addWidget(group);
  v->addWidget(buttons);
}

bool CompressionDialog::Store(nv::CompressionInfo& info) {
  auto l = level_->Value();
  if (!l) return false;
  auto b = before_->Value();
  if (!b) return false;
  auto a = after_->Value();
  if (!a) return false;
  info.levelDb = static_cast<int32_t>(*l);
  info.beforeMs = static_cast<int32_t>(*b);
  info.afterMs = static_cast<int32_t>(*a);
  info.fileType = 7;
  return true;
}

void CompressionDialog::accept() {
  // The fields are checked here so that a bad value keeps the dialog open.
  if (!level_->Value() || !before_->Value() || !after_->Value()) return;
  QDialog::accept();
}

bool CompressionDialog::Ask(nv::CompressionInfo& info, QWidget* parent) {
  CompressionDialog dlg(info, parent);
  const bool ok = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  return ok && dlg.Store(info);
}
