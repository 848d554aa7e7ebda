#include "settings/UserColorMapsDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

UserColorMapsDialog::UserColorMapsDialog(nv::ColorMapList& maps, std::function<void()> save,
                                         QWidget* parent)
    : QDialog(parent), maps_(maps), save_(std::move(save)) {
  setWindowTitle(QStringLiteral("User defined color mappings"));
  auto* layout = new QHBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(list_);
  auto* column = new QVBoxLayout;
  return_ = new QPushButton(QStringLiteral("Return"), this);
  change_ = new QPushButton(QStringLiteral("Change"), this);
  new_ = new QPushButton(QStringLiteral("New"), this);
  delete_ = new QPushButton(QStringLiteral("Delete"), this);
  for (QPushButton* b : {return_, change_, new_, delete_}) column->addWidget(b);
  column->addStretch();
  layout->addLayout(column);
  return_->setDefault(true);

  connect(return_, &QPushButton::clicked, this, &QDialog::accept);
  connect(change_, &QPushButton::clicked, this, &UserColorMapsDialog::Change);
  connect(new_, &QPushButton::clicked, this, &UserColorMapsDialog::New);
  connect(delete_, &QPushButton::clicked, this, &UserColorMapsDialog::Delete);
  connect(list_, &QListWidget::itemSelectionChanged, this, &UserColorMapsDialog::UpdateButtons);
  connect(list_, &QListWidget::itemDoubleClicked, this, &UserColorMapsDialog::Change);

  runEditor = [this](nv::UserColorMap& map, bool isNew) {
    ColorMapEditorDialog editor(map, isNew, this);
    editor.exec();
    if (editor.GetOutcome() != ColorMapEditorDialog::Outcome::Cancelled) map = editor.Map();
    return editor.GetOutcome();
  };
  Refill(-1);
}

void UserColorMapsDialog::Refill(int select) {
  list_->clear();
  for (const nv::UserColorMap& m : maps_.maps) list_->addItem(QString::fromStdString(m.Name()));
  if (select >= 0 && select < list_->count()) list_->setCurrentRow(select);
  UpdateButtons();
}

int UserColorMapsDialog::Selected() const {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(maps_.maps.size())) return -1;
  if (!list_->item(row)->isSelected()) return -1;
  return row;
}

void UserColorMapsDialog::UpdateButtons() {
  const bool selected = Selected() >= 0;
  change_->setEnabled(selected);
  delete_->setEnabled(selected);
}

void UserColorMapsDialog::ListChanged(int select) {
  Refill(select);
  if (save_) save_();
}

void UserColorMapsDialog::Change() {
  const int row = Selected();
  if (row < 0) {
    QApplication::beep();
    return;
  }
  nv::UserColorMap copy = maps_.maps[static_cast<size_t>(row)];
  const auto outcome = runEditor ? runEditor(copy, false) : ColorMapEditorDialog::Outcome::Cancelled;
  if (outcome == ColorMapEditorDialog::Outcome::Saved) {
    maps_.maps[static_cast<size_t>(row)] = copy;
    ListChanged(row);
  } else if (outcome == ColorMapEditorDialog::Outcome::SavedAsNew) {
    maps_.maps.push_back(copy);
    ListChanged(static_cast<int>(maps_.maps.size()) - 1);
  }
}

void UserColorMapsDialog::New() {
  nv::UserColorMap map;
  const auto outcome = runEditor ? runEditor(map, true) : ColorMapEditorDialog::Outcome::Cancelled;
  if (outcome != ColorMapEditorDialog::Outcome::Cancelled) {
    maps_.maps.push_back(map);
    ListChanged(static_cast<int>(maps_.maps.size()) - 1);
  }
}

void UserColorMapsDialog::Delete() {
  const int row = Selected();
  if (row < 0) {
    QApplication::beep();
    return;
  }
  maps_.maps.erase(maps_.maps.begin() + row);
  ListChanged(-1);
}
