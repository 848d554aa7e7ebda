#include "analysis/PagePrinter.h"

#include <QFontMetricsF>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>
#include <memory>

std::function<bool(QPrintDialog&)> PagePrinter::printRunner;
std::function<void(QPrintPreviewDialog&)> PagePrinter::previewRunner;
std::function<void(QPageSetupDialog&)> PagePrinter::setupRunner;

namespace {

// Set once the user has chosen a page set-up; from then on the shared
// printer keeps the orientation chosen there.
bool orientationChosen = false;

}  // namespace

QPageLayout::Orientation PagePrinter::OrientationFor(const QSizeF& pictureTwips) {
  return pictureTwips.width() > pictureTwips.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void PagePrinter::OrientFor(QPrinter& printer, const Page& page, bool userChoiceHolds) {
  if (userChoiceHolds && orientationChosen) return;
  printer.setPageOrientation(OrientationFor(page.pictureTwips));
}

QPrinter& PagePrinter::SharedPrinter() {
  static std::unique_ptr<QPrinter> printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer;
}

void PagePrinter::PaintPage(QPainter& p, QPrinter& printer, const Page& page) {
  const double res = std::max(1, printer.resolution());
  const double pt = res / 72.0;  // device pixels per point
  // The painter's origin is the top-left corner of the printable area.
  const QRectF area(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const QFontMetricsF fm(p.font(), &printer);
  // 1. The title.
  const double titleTop = 6 * pt;
  p.drawText(QRectF(area.left(), titleTop, area.width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
             page.title);
  // 3. The footer.
  const double footerBottom = area.bottom() - 5 * pt;
  p.drawText(QRectF(area.left() + 5 * pt, footerBottom - fm.height(), area.width() / 2, fm.height()),
             Qt::AlignLeft | Qt::AlignBottom, page.footerLeft);
  p.drawText(QRectF(area.center().x(), footerBottom - fm.height(), area.width() / 2 - 6 * pt, fm.height()),
             Qt::AlignRight | Qt::AlignBottom, page.footerRight);
  // 2. The picture, centred; smaller when it would run into title or footer.
  if (!page.draw || page.pictureTwips.isEmpty()) return;
  // The picture fills the width of the page, keeping its shape, unless it
  // would then run into the title or the footer.
  QSizeF size = page.pictureTwips * (res / 1440.0);
  const double room = area.height() - 2 * (titleTop + fm.height() + 4 * pt);
  const double fit = std::min(area.width() / size.width(), std::max(1.0, room) / size.height());
  size *= fit;
  const QRectF target(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2,
                      size.width(), size.height());
  const double twipsPerPixel = 1440.0 / res;
  p.save();
  page.draw(p, target, twipsPerPixel);
  p.restore();
}

bool PagePrinter::Print(QWidget* parent, const Page& page) {
  QPrinter& printer = SharedPrinter();
  OrientFor(printer, page, true);  // the dialog shows it; the user may change it there
  QPrintDialog dialog(&printer, parent);
  const bool accepted = printRunner ? printRunner(dialog) : dialog.exec() == QDialog::Accepted;
  if (!accepted) return false;
  QPainter p;
  if (!p.begin(&printer)) return false;
  PaintPage(p, printer, page);
  return p.end();
}

void PagePrinter::Preview(QWidget* parent, const Page& page) {
  OrientFor(SharedPrinter(), page, true);
  QPrintPreviewDialog dialog(&SharedPrinter(), parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&page](QPrinter* printer) {
    QPainter p(printer);
    if (p.isActive()) PaintPage(p, *printer, page);
  });
  if (previewRunner) previewRunner(dialog);
  else dialog.exec();
}

void PagePrinter::PageSetup(QWidget* parent) {
  QPageSetupDialog dialog(&SharedPrinter(), parent);
  if (setupRunner) setupRunner(dialog);
  else dialog.exec();
  if (dialog.result() == QDialog::Accepted) orientationChosen = true;
}

bool PagePrinter::PrintToPdf(const QString& path, const Page& page) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  OrientFor(printer, page, false);
  QPainter p;
  if (!p.begin(&printer)) return false;
  PaintPage(p, printer, page);
  return p.end();
}
