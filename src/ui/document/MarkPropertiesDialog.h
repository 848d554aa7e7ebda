#pragma once
// "Mark properties": the label (at most 40 characters; a longer label read
// from a file is kept whole), whether the label and the mark are drawn, the
// cursor the mark is drawn as, and the description (at most 400
// characters). OK stores them in the document's mark, "Remove" deletes the
// mark, Cancel changes nothing. Tests replace `runner` to answer without
// showing the dialog. Interface thread only.
#include <QDialog>
#include <functional>

#include "document/MarkList.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace nv {
class CNorvaneDoc;
}

class MarkPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Outcome { Cancel, Ok, Remove };
  static constexpr int kLabelChars = nv::kMarkLabelDialogChars;
  static constexpr int kDescriptionChars = nv::kMarkDescriptionDialogChars;

  explicit MarkPropertiesDialog(const nv::MarkRecord& mark, QWidget* parent = nullptr);

  QLineEdit* LabelField() const { return label_; }
  QCheckBox* DisplayLabelBox() const { return displayLabel_; }
  QComboBox* KindBox() const { return kind_; }
  QCheckBox* DisplayMarkBox() const { return displayMark_; }
  QPlainTextEdit* DescriptionField() const { return description_; }
  QPushButton* RemoveButton() const { return remove_; }
  // What the fields hold (a kind left unchanged keeps the mark's own).
  nv::MarkProperties Properties() const;
  Outcome Result() const { return outcome_; }

  // Opens the dialog on the document's mark `number` and applies the
  // outcome. Returns it (Cancel when there is no such mark).
  static Outcome Edit(nv::CNorvaneDoc& doc, int32_t number, QWidget* parent);
  // Replaces the modal run; it ends the dialog with accept(), reject() or
  // RemoveMark() (the default shows it with exec()).
  static std::function<void(MarkPropertiesDialog&)> runner;

 public slots:
  void accept() override;
  void reject() override;
  void RemoveMark();

 private:
  void LimitDescription();

  nv::MarkRecord mark_;
  int initialKindIndex_ = -1;
  Outcome outcome_ = Outcome::Cancel;
  QLineEdit* label_;
  QCheckBox* displayLabel_;
  QComboBox* kind_;
  QCheckBox* displayMark_;
  QPlainTextEdit* description_;
  QPushButton* remove_;
};
