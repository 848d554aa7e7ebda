#include "document/MarkPropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "document/CNorvaneDoc.h"

std::function<void(MarkPropertiesDialog&)> MarkPropertiesDialog::runner;

MarkPropertiesDialog::MarkPropertiesDialog(const nv::MarkRecord& mark, QWidget* parent)
    : QDialog(parent), mark_(mark) {
  setWindowTitle(QStringLiteral("Mark properties"));
  const QString labelText = QString::fromStdString(mark.label);
  label_ = new QLineEdit(this);
  label_->setObjectName(QStringLiteral("label"));
  // A longer label read from a file is not cut by opening the dialog.
  label_->setMaxLength(std::max<int>(kLabelChars, static_cast<int>(labelText.size())));
  label_->setText(labelText);
  displayLabel_ = new QCheckBox(QStringLiteral("Display label"), this);
  displayLabel_->setChecked(mark.displayLabel == 1);
  kind_ = new QComboBox(this);
  kind_->addItems({QStringLiteral("Marking cursor"), QStringLiteral("Measurement cursor"),
                   QStringLiteral("Large measurement cursor")});
  // Kind 6 (stereo marking cursor) is drawn as a marking cursor; a level
  // cursor has no entry and keeps its kind unless another is chosen.
  const int k = mark.kind == 6 ? 1 : mark.kind;
  initialKindIndex_ = k >= 1 && k <= 3 ? k - 1 : -1;
  kind_->setCurrentIndex(initialKindIndex_);
  displayMark_ = new QCheckBox(QStringLiteral("Display mark"), this);
  displayMark_->setChecked(mark.displayMark == 1);
  description_ = new QPlainTextEdit(this);
  description_->setObjectName(QStringLiteral("description"));
  description_->setPlainText(QString::fromStdString(mark.description));
  connect(description_, &QPlainTextEdit::textChanged, this, &MarkPropertiesDialog::LimitDescription);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Label"), label_);
  form->addRow(QString(), displayLabel_);
  form->addRow(QStringLiteral("Mark displayed as"), kind_);
  form->addRow(QString(), displayMark_);
  form->addRow(QStringLiteral("Description"), description_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  remove_ = buttons->addButton(QStringLiteral("Remove"), QDialogButtonBox::DestructiveRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &MarkPropertiesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &MarkPropertiesDialog::reject);
  connect(remove_, &QPushButton::clicked, this, &MarkPropertiesDialog::RemoveMark);
  auto* v = new QVBoxLayout(this);
  v->addLayout(form);
  v->addWidget(buttons);
}

void MarkPropertiesDialog::LimitDescription() {
  const QString t = description_->toPlainText();
  if (t.size() <= kDescriptionChars) return;
  QSignalBlocker block(description_);
  description_->setPlainText(t.left(kDescriptionChars));
  description_->moveCursor(QTextCursor::End);
}

nv::MarkProperties MarkPropertiesDialog::Properties() const {
  nv::MarkProperties p;
  p.label = label_->text().toStdString();
  p.description = description_->toPlainText().left(kDescriptionChars).toStdString();
  p.displayLabel = displayLabel_->isChecked();
  p.displayMark = displayMark_->isChecked();
  const int index = kind_->currentIndex();
  p.kind = nv::CursorKindOfStored(index == initialKindIndex_ || index < 0 ? mark_.kind : index + 1);
  return p;
}

void MarkPropertiesDialog::accept() {
  outcome_ = Outcome::Ok;
  QDialog::accept();
}

void MarkPropertiesDialog::reject() {
  outcome_ = Outcome::Cancel;
  QDialog::reject();
}

void MarkPropertiesDialog::RemoveMark() {
  outcome_ = Outcome::Remove;
  QDialog::done(QDialog::Accepted);
}

MarkPropertiesDialog::Outcome MarkPropertiesDialog::Edit(nv::CNorvaneDoc& doc, int32_t number,
                                                         QWidget* parent) {
  const nv::MarkRecord* m = doc.Marks().Find(number);
  if (!m) return Outcome::Cancel;
  MarkPropertiesDialog dlg(*m, parent);
  if (runner)
    runner(dlg);
  else
    dlg.exec();
  switch (dlg.Result()) {
    case Outcome::Ok: doc.Marks().SetProperties(number, dlg.Properties()); break;
    case Outcome::Remove: doc.Marks().Remove(number); break;
    case Outcome::Cancel: break;
  }
  return dlg.Result();
}
