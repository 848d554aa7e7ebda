#include "document/MarkFileDialog.h"

#include <QFileDialog>

std::function<std::optional<MarkFileDialog::Choice>(bool, QWidget*)> MarkFileDialog::runner;

std::optional<MarkFileDialog::Choice> MarkFileDialog::Ask(bool save, QWidget* parent) {
  if (runner) return runner(save, parent);
  const QString labels = QStringLiteral("Label track (*.txt)");
  const QString table = QStringLiteral("Selection table (*.txt)");
  QString filter = labels;
  const QString filters = labels + QStringLiteral(";;") + table +
                          (save ? QString() : QStringLiteral(";;All files (*)"));
  const QString path =
      save ? QFileDialog::getSaveFileName(parent, QStringLiteral("Export marks"), QString(), filters, &filter)
           : QFileDialog::getOpenFileName(parent, QStringLiteral("Import marks"), QString(), filters, &filter);
  if (path.isEmpty()) return std::nullopt;
  Choice c;
  c.path = path;
  c.format = filter == table ? nv::MarkExchangeFormat::SelectionTable : nv::MarkExchangeFormat::Labels;
  return c;
}
