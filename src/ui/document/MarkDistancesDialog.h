#pragma once
// "Mark distances": a table with a first column and one column per mark,
// headed by the mark labels (once: the copied text has them as its first
// row), and one row per mark, holding the times between marks below the
// diagonal and the frequency differences of spectrogram marks above it;
// "Copy " puts the table on the clipboard as tab-separated text with CR LF
// lines.
// Tests replace `runner` to look at the dialog without showing it.
// Interface thread only.
#include <QDialog>
#include <functional>
#include <string>

class QPushButton;
class QTableWidget;
namespace nv {
class CNorvaneDoc;
}

class MarkDistancesDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kColumnWidth = 60;  // the narrowest column, pixels

  explicit MarkDistancesDialog(const nv::CNorvaneDoc& doc, QWidget* parent = nullptr);
  QTableWidget* Table() const { return table_; }
  QPushButton* CopyButton() const { return copy_; }
  // The clipboard text.
  const std::string& Text() const { return text_; }

  // Shows the dialog for the document's marks.
  static void Show(const nv::CNorvaneDoc& doc, QWidget* parent);
  static std::function<void(MarkDistancesDialog&)> runner;

 public slots:
  void Copy();

 private:
  QTableWidget* table_;
  QPushButton* copy_;
  std::string text_;
};
