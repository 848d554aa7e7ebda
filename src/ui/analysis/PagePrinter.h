#pragma once
// One-page prints of a picture, shared by the sound views and their
// analysis windows: the document title centred 6 points below the top of the
// printable area, the picture centred in it (made smaller, keeping its
// shape, when it does not fit), and a footer 5 points above the bottom with
// the program's name on the left and a caption on the right. The picture
// fills the page's width (keeping its shape) as far as the height allows; a
// picture wider than high is printed in landscape, one higher than wide in
// portrait, until the user chooses an orientation in the page set-up. Print goes
// through the print dialog (a PDF file is one of its printers), Preview
// through the print preview dialog, PageSetup through the page set-up
// dialog; all three share one printer, so the page set-up holds for the
// next print. Tests replace the runners to answer the dialogs.
//
// Interface thread only.
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;
class QPrintDialog;
class QPrintPreviewDialog;
class QPageSetupDialog;
class QWidget;

class PagePrinter {
 public:
  struct Page {
    QString title;        // the document's title
    QString footerLeft;   // "Norvane" or "Norvane by Quellmark"
    QString footerRight;  // the window's caption or the view's format text
    QSizeF pictureTwips;  // the picture's size in 1/1440 inch (its size on screen)
    // Draws the picture into targetPx (device pixels of the painter's
    // device) with `twipsPerPixel` of that device: 1440 / its dots per
    // inch, exactly (1.2 at 1200 dpi).
    std::function<void(QPainter&, const QRectF& targetPx, double twipsPerPixel)> draw;
  };

  // Paints the page with a painter that is active on `printer`.
  static void PaintPage(QPainter& p, QPrinter& printer, const Page& page);
  // The print dialog, then the page; false when cancelled or failed.
  static bool Print(QWidget* parent, const Page& page);
  // The print preview of the page (modal).
  static void Preview(QWidget* parent, const Page& page);
  // The page set-up of the shared printer.
  static void PageSetup(QWidget* parent);
  // The page as a PDF file (no dialog).
  static bool PrintToPdf(const QString& path, const Page& page);
  // The orientation a picture of that shape prints in.
  static QPageLayout::Orientation OrientationFor(const QSizeF& pictureTwips);
  // The printer the dialogs share.
  static QPrinter& SharedPrinter();

  // Replace to answer the dialogs: true accepts the print dialog; the
  // preview and page set-up runners get the open dialogs.
  static std::function<bool(QPrintDialog&)> printRunner;
  static std::function<void(QPrintPreviewDialog&)> previewRunner;
  static std::function<void(QPageSetupDialog&)> setupRunner;

 private:
  // Turns the page for the picture, unless (with userChoiceHolds) the user
  // has chosen an orientation in the page set-up.
  static void OrientFor(QPrinter& printer, const Page& page, bool userChoiceHolds);
};
