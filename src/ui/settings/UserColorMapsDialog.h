#pragma once
// "User defined color mappings": the application's list of user colour maps
// by name, with "Return", "Change", "New" and "Delete". "Change" edits a copy
// of the selected map ("Save" replaces it, "Save As New" appends the copy),
// "New" edits a new map that "Save" appends, "Delete" removes the selected map
// at once. After every change of the list `save` writes the whole list.
// Modal; the list is not owned and must outlive the dialog.
#include <QDialog>
#include <functional>

#include "settings/ColorMapEditorDialog.h"
#include "settings/ColorMapList.h"

class QListWidget;
class QPushButton;

class UserColorMapsDialog : public QDialog {
  Q_OBJECT
 public:
  UserColorMapsDialog(nv::ColorMapList& maps, std::function<void()> save,
                      QWidget* parent = nullptr);

  // Runs the editor on `map` (edited in place); replaceable in tests. By
  // default the modal "Spectrogram Color mapping" dialog.
  std::function<ColorMapEditorDialog::Outcome(nv::UserColorMap& map, bool isNew)> runEditor;

  QListWidget* List() const { return list_; }
  QPushButton* ReturnButton() const { return return_; }
  QPushButton* ChangeButton() const { return change_; }
  QPushButton* NewButton() const { return new_; }
  QPushButton* DeleteButton() const { return delete_; }

 public slots:
  void Change();
  void New();
  void Delete();

 private:
  void Refill(int select);
  void UpdateButtons();
  int Selected() const;
  void ListChanged(int select);

  nv::ColorMapList& maps_;
  std::function<void()> save_;
  QListWidget* list_;
  QPushButton* return_;
  QPushButton* change_;
  QPushButton* new_;
  QPushButton* delete_;
};
