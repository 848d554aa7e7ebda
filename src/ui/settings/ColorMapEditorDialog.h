#pragma once
// "Spectrogram Color mapping": the modal editor of one user colour map: its
// name, its last update time and 64 level ranges, 12 rows visible at a time
// under a vertical scroll bar. Each row has a count, from, to and step in dB
// (held in thousandths of a dB) and two colour buttons. Leaving a row field
// applies the editing form of the range rule; scrolling and saving first check
// the visible rows. "Save" and "Save As New" end the dialog with the edited
// map in Map() and the outcome in GetOutcome().
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "settings/UserColorMap.h"

class NumericEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

class ColorMapEditorDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = 64;
  static constexpr int kVisible = 12;
  enum class Outcome { Cancelled, Saved, SavedAsNew };

  struct Row {
    int32_t count = 0;
    int32_t from = 0;  // 1/1000 dB
    int32_t to = 0;
    int32_t step = 0;
    uint32_t firstColor = nv::Rgb(0x9C, 0x9C, 0x9C);
    uint32_t lastColor = nv::Rgb(0x9C, 0x9C, 0x9C);
  };

  // `map` is edited as a copy; a new map (isNew) starts with new rows.
  ColorMapEditorDialog(const nv::UserColorMap& map, bool isNew, QWidget* parent = nullptr);

  const nv::UserColorMap& Map() const { return map_; }
  Outcome GetOutcome() const { return outcome_; }

  // Replaces the colour chooser (tests); by default the system colour dialog.
  std::function<std::optional<QColor>(const QColor& current)> chooseColor;

  // The "Last update" text of a file time (100 ns units since 1601), in
  // local time with the user's short date format; empty for 0.
  static QString LastUpdateText(uint64_t fileTime);
  static uint64_t CurrentFileTime();

  // Checks the visible rows (general form of the range rule, order of the
  // levels); false after showing the message.
  bool CheckVisibleRows();
  // Scrolls so that row `top` is the first visible one, as the scroll bar does.
  void ScrollTo(int top);
  int TopRow() const { return top_; }
  const Row& RowAt(int index) const { return rows_[static_cast<size_t>(index)]; }

  QLineEdit* NameField() const { return name_; }
  QLineEdit* LastUpdateField() const { return lastUpdate_; }
  QScrollBar* ScrollBar() const { return scroll_; }
  NumericEdit* CountField(int visibleRow) const { return widgets_[visibleRow].count; }
  NumericEdit* FromField(int visibleRow) const { return widgets_[visibleRow].from; }
  NumericEdit* ToField(int visibleRow) const { return widgets_[visibleRow].to; }
  NumericEdit* StepField(int visibleRow) const { return widgets_[visibleRow].step; }
  QPushButton* FromColorButton(int visibleRow) const { return widgets_[visibleRow].fromColor; }
  QPushButton* ToColorButton(int visibleRow) const { return widgets_[visibleRow].toColor; }
  QLabel* NumberLabel(int visibleRow) const { return widgets_[visibleRow].number; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* SaveAsNewButton() const { return saveAsNew_; }
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  bool Save();
  bool SaveAsNew();
  // Applies the editing form of the range rule to a visible row after the
  // user left one of its fields.
  void RowFieldLeft(int visibleRow, bool countField);

 private:
  struct RowWidgets {
    QLabel* number = nullptr;
    NumericEdit* count = nullptr;
    NumericEdit* from = nullptr;
    NumericEdit* to = nullptr;
    NumericEdit* step = nullptr;
    QPushButton* fromColor = nullptr;
    QPushButton* toColor = nullptr;
  };

  void ShowVisibleRows();
  void ShowRow(int visibleRow);
  bool ReadRow(int visibleRow, nv::ColorRange& r);
  void PickColor(int visibleRow, bool first);
  bool StoreInto(Outcome outcome);

  nv::UserColorMap map_;
  std::array<Row, kRows> rows_;
  std::array<RowWidgets, kVisible> widgets_;
  int top_ = 0;
  bool busy_ = false;
  Outcome outcome_ = Outcome::Cancelled;
  QLineEdit* name_;
  QLineEdit* lastUpdate_;
  QScrollBar* scroll_;
  QPushButton* save_;
  QPushButton* saveAsNew_;
  QPushButton* cancel_;
};
