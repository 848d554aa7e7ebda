// The power-spectrum window on a document: opening on a cursor and on a
// selection, the caption, the context menu and its commands (copy as PNG
// and SVG, copy and export of the text, settings, continuous update, scale),
// closing through the view, the print slots, and printing the page to a PDF
// file whose page is checked as text and as pixels.
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "QtTestSupport.h"
#include "../../support/TestSupport.h"
#include "analysis/CPowerWnd.h"
#include "analysis/PagePrinter.h"
#include "analysis/PowerPlot.h"
#include "analysis/PowerSettingsDialog.h"
#include "analysis/PowerWindowHost.h"
#include "analysis/PrintSlots.h"
#include "base/TempFile.h"
#include "document/CNorvaneDoc.h"

namespace {

struct Host : PowerWindowHost {
  std::vector<std::string> calls;
  int markSlot = -1;
  void MarkAnalysedInterval(int slot, int32_t s, int32_t e, int c) override {
    markSlot = slot;
    calls.push_back("mark " + std::to_string(s) + " " + std::to_string(e) + " " + std::to_string(c));
  }
  void ClearAnalysedInterval(int slot) override {
    markSlot = slot;
    calls.push_back("clear");
  }
  void PowerWindowClosed(int slot) override { calls.push_back("closed " + std::to_string(slot)); }
  void PrintPowerWindow(int slot) override { calls.push_back("print " + std::to_string(slot)); }
  void PreviewPowerWindow(int slot) override { calls.push_back("preview " + std::to_string(slot)); }
};

// One second at 44.1 kHz: a full-scale sine at the centre of bin 100 of 1024.
void FillSine(nv::CNorvaneDoc& doc, uint32_t rateHz = 44100) {
  std::vector<int16_t> s(44100);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<int16_t>(std::clamp(std::lround(32768.0 * std::sin(2 * M_PI * 100.0 * i / 1024)), -32768L, 32767L));
  nv::test::FillDocument(doc, 1, 16, rateHz, nv::test::Samples16(s));
}

QStringList MenuTexts(QMenu* m) {
  QStringList t;
  for (QAction* a : m->actions())
    if (!a->isSeparator()) t << a->text();
  return t;
}

// With NORVANE_GRAB_DIR set, pictures and pages are also saved there.
void Keep(const QString& file) {
  const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
  if (dir.isEmpty()) return;
  const QString to = QDir(QString::fromLocal8Bit(dir)).filePath(QFileInfo(file).fileName());
  QFile::remove(to);
  QFile::copy(file, to);
}

bool HavePdfTools() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
         !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

}  // namespace

class PowerWindowTest : public QObject {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

  QTemporaryDir dir_;
  nv::test::TestMessageSink sink_;

 private slots:
  void initTestCase() {
    qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    sink_.Install();
  }
  void cleanupTestCase() { sink_.Remove(); }
  void init() { sink_.texts.clear(); }

  void opensOnTheCursorAndMarksTheInterval() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    Host host;
    nv::PowerSettings s;
    s.fftSize = 0;  // becomes 1024
    CPowerWnd w(nullptr, &host, &doc, 3, s, 2048, 2048);
    QCOMPARE(w.windowTitle(), QStringLiteral("Power Spectra"));
    // Opens large enough for its labels, readout and interval.
    QCOMPARE(w.size(), QSize(CPowerWnd::kOpeningWidthPx, CPowerWnd::kOpeningHeightPx));
    QCOMPARE(host.calls, (std::vector<std::string>{"mark 2048 3072 0"}));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    QCOMPARE(w.windowTitle(), QStringLiteral("Power spectrum, FFT size 1024, Hanning window."));
    QVERIFY(w.Model().HasSpectrum());
    // The full-scale sine at the centre of bin 100 reads 0 dB there.
    QVERIFY(std::fabs(w.Model().Levels()[100]) < 0.0005);
    QCOMPARE(w.Model().FramesAveraged(), int64_t{1});
    // The drawing has the curve: dark blue pixels in the plot.
    const QImage img = w.Plot()->grab().toImage();
    img.save(dir_.filePath("power-window.png"));
    Keep(dir_.filePath("power-window.png"));
    int blue = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, y) == QColor(0, 0, 160)) ++blue;
    QVERIFY2(blue > 100, qPrintable(QString::number(blue)));
  }

  void labelsFitAndTheReadoutReadsTheSpectrum() {
    // 300 kHz: the frequency axis ends with "150 kHz" at the plot's right end.
    nv::CNorvaneDoc doc(documents);
    FillSine(doc, 300000);
    Host host;
    nv::PowerSettings s;
    s.fftSize = 1024;
    CPowerWnd w(nullptr, &host, &doc, 0, s, 0, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    const QImage bare = w.Plot()->grab().toImage();
    bare.save(dir_.filePath("power-window-labels.png"));
    Keep(dir_.filePath("power-window-labels.png"));
    const QRectF inside(w.Plot()->rect());
    bool found = false;
    for (const auto& [text, box] : w.Plot()->DrawnFrequencyLabels()) {
      QVERIFY2(inside.contains(box), qPrintable(text));
      if (text != QStringLiteral("150 kHz")) continue;
      found = true;
      // The whole label is drawn: ink in its right quarter as in its left.
      auto ink = [&](double from, double to) {
        int n = 0;
        for (int y = int(box.top()); y < int(box.bottom()) && y < bare.height(); ++y)
          for (int x = int(box.left() + from * box.width()); x < int(box.left() + to * box.width()); ++x)
            if (x < bare.width() && qGray(bare.pixel(x, y)) < 128) ++n;
        return n;
      };
      QVERIFY(ink(0, 0.25) > 0);
      QVERIFY(ink(0.75, 1.0) > 0);
    }
    QVERIFY(found);
    // The readout at the tone's frequency gives the spectrum's level there,
    // whatever the mouse's level, and it is drawn below the plot.
    const nv::PowerWindowModel& m = w.Model();
    const int yPx = w.Plot()->height() / 3;
    // The pixel column whose frequency lies nearest the tone's bin.
    int xPx = -1;
    double bestHz = 1e12;
    for (int x = 0; x < w.Plot()->width(); ++x) {
      const QPoint t = w.Plot()->ToTwips(QPoint(x, yPx));
      int64_t hz = 0;
      double level = 0;
      if (m.PositionAt(t.x(), t.y(), hz, level) && std::fabs(double(hz) - m.Setup().binHz[100]) < bestHz) {
        bestHz = std::fabs(double(hz) - m.Setup().binHz[100]);
        xPx = x;
      }
    }
    QVERIFY(xPx >= 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(xPx, yPx), w.Plot()->mapToGlobal(QPointF(xPx, yPx)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.Plot(), &move);
    const QString expected = QStringLiteral("Spectrum: %1 dB").arg(m.Levels()[100], 0, 'f', 1);
    QVERIFY2(w.Plot()->Readout().contains(expected), qPrintable(w.Plot()->Readout() + " / " + expected));
    const QImage read = w.Plot()->grab().toImage();
    read.save(dir_.filePath("power-window-readout.png"));
    Keep(dir_.filePath("power-window-readout.png"));
    int changed = 0;
    for (int y = read.height() * 3 / 4; y < read.height(); ++y)
      for (int x = 0; x < read.width() / 2; ++x) changed += read.pixel(x, y) != bare.pixel(x, y);
    QVERIFY(changed > 50);
  }

  void settingsDialogShowsItsTitleAndUnits() {
    nv::PowerSettings s;
    PowerSettingsDialog d(s, 150000);
    d.adjustSize();
    // The title fits in the dialog's width.
    QFont f = d.font();
    QVERIFY(d.width() >= QFontMetrics(f).horizontalAdvance(d.windowTitle()) + 100);
    // Each number field has its unit beside it, the level's after the scale.
    auto unitBeside = [&](QLineEdit* e) {
      for (QLabel* l : d.findChildren<QLabel*>())
        if (l->isVisibleTo(&d) && std::abs(l->geometry().center().y() - e->geometry().center().y()) < 4 &&
            l->geometry().left() >= e->geometry().right())
          return l->text();
      return QString();
    };
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(unitBeside(d.minFrequency), QStringLiteral("Hz"));
    QCOMPARE(unitBeside(d.maxFrequency), QStringLiteral("Hz"));
    QCOMPARE(unitBeside(d.minLevel), QStringLiteral("dB"));
    d.logScale->setChecked(false);
    QCOMPARE(unitBeside(d.maxLevel), QStringLiteral("V\u00b2"));
    const QImage img = d.grab().toImage();
    img.save(dir_.filePath("power-settings.png"));
    Keep(dir_.filePath("power-settings.png"));
  }

  void contextMenuHasEveryItem() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 20000);
    QCOMPARE(w.ContextMenu()->title(), QStringLiteral("Power menue"));
    QCOMPARE(MenuTexts(w.ContextMenu()),
             (QStringList{"Copy", "Copy Ascii", "Print", "Settings - Current diagram", "Continuous update",
                          "Logarithmic scale", "Ascii File Export"}));
    QCOMPARE(w.ContextMenu()->actions().first()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    emit w.ContextMenu()->aboutToShow();
    QVERIFY(!w.ContextMenu()->actions()[4]->isChecked());
    QVERIFY(w.ContextMenu()->actions()[5]->isChecked());
  }

  void continuousUpdateFollowsTheView() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    Host host;
    nv::PowerSettings s;
    s.fftSize = 1024;
    CPowerWnd w(nullptr, &host, &doc, 1, s, 100, 100);
    w.resize(520, 220);
    // Off: the view's changes are ignored unless forced.
    w.ViewChanged(5000, 9000, 3, false);
    QCOMPARE(w.Model().Start(), int64_t{100});
    w.ToggleContinuousUpdate();
    QVERIFY(w.Model().Settings().contUpdate);
    // A selection: the range follows, the interval mark goes.
    w.ViewChanged(5000, 9000, 3, false);
    QCOMPARE(w.Model().Start(), int64_t{5000});
    QCOMPARE(w.Model().End(), int64_t{9000});
    QVERIFY(!w.Model().FollowCursor());
    QCOMPARE(host.calls.back(), std::string("clear"));
    QCOMPARE(w.Model().FramesAveraged(), int64_t{4});
    // A cursor: one frame from it, marked.
    w.ViewChanged(7000, -1, 3, false);
    QCOMPARE(w.Model().End(), int64_t{8024});
    QCOMPARE(host.calls.back(), std::string("mark 7000 8024 0"));
    // Neither: nothing unless forced.
    w.ViewChanged(-1, -1, 3, false);
    QCOMPARE(w.Model().Start(), int64_t{7000});
  }

  void copiesPictureAndText() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 4096);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    QFile::remove(dir_.filePath("PwrClip.svg"));
    w.CopyPicture();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime->hasImage());
    QCOMPARE(qvariant_cast<QImage>(mime->imageData()).size(), w.Plot()->size());
    QVERIFY(mime->data("image/svg+xml").contains("<svg"));
    QFile svg(dir_.filePath("PwrClip.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QCOMPARE(svg.readAll(), mime->data("image/svg+xml"));
    w.CopyAscii();
    const QString text = QGuiApplication::clipboard()->text();
    QVERIFY(text.startsWith(QStringLiteral("kHz\tdB\r\n0.000\t")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 513);
    // Linear scale: the header's V².
    w.ToggleLogScale();
    w.CopyAscii();
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("kHz\tV\u00b2\r\n")));
    QVERIFY(sink_.texts.empty());
  }

  void exportsTheTextFileByteForByte() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 4096);
    w.resize(520, 220);
    w.Recompute();
    const QString path = dir_.filePath("spectrum.txt");
    CPowerWnd::fileChooser = [&](QWidget*) { return path; };
    w.ToggleLogScale();
    QVERIFY(w.ExportAsciiFile());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const std::string want = w.Model().TextExport();
    QCOMPARE(bytes, QByteArray(want.data(), static_cast<qsizetype>(want.size())));
    QCOMPARE(bytes.left(8), QByteArray("kHz\tV\xB2\r\n"));
    // Cancel writes nothing; a directory gives the message.
    CPowerWnd::fileChooser = [](QWidget*) { return QString(); };
    QVERIFY(!w.ExportAsciiFile());
    CPowerWnd::fileChooser = [&](QWidget*) { return dir_.path(); };
    QVERIFY(!w.ExportAsciiFile());
    QVERIFY(QString::fromStdString(sink_.texts.back()).startsWith("CANNOT CREATE FILE: "));
  }

  void settingsDialogValidatesAndApplies() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 4096);
    w.resize(520, 220);
    w.Recompute();
    int runs = 0;
    QString title, maxFreq;
    int sizes = 0;
    PowerSettingsDialog::runner = [&](PowerSettingsDialog& d) -> bool {
      ++runs;
      title = d.windowTitle();
      sizes = d.fftSize->count();
      maxFreq = d.maxFrequency->text();
      d.maxLevel->setText("5");
      if (d.Apply()) return false;
      d.maxLevel->setText("-10");
      d.maxFrequency->setText("30000");
      if (d.Apply()) return false;
      d.maxFrequency->setText("10000");
      d.minLevel->setText("abc");
      if (d.Apply()) return false;
      d.minLevel->setText("-90");
      d.fftSize->setCurrentText("4096 samples");
      d.window->setCurrentText("Hamming");
      return d.Apply();
    };
    w.EditSettings();
    PowerSettingsDialog::runner = nullptr;
    QCOMPARE(runs, 1);
    QCOMPARE(title, QStringLiteral("Power spectrum settings"));
    QCOMPARE(sizes, 12);
    QCOMPARE(maxFreq, QStringLiteral("22050"));  // the stored range is invalid: 0 ... Nyquist
    QCOMPARE(sink_.texts, (std::vector<std::string>{"Maximum level must be less than or equal to Zero dB.",
                                                     "Error: Max frequency > 22050",
                                                     "Illegal character in numeric 'abc'."}));
    QCOMPARE(w.Model().Settings().fftSize, 4096);
    QCOMPARE(w.Model().Setup().n, 4096);
    QCOMPARE(w.Model().Setup().freqMax, 10000);
    QCOMPARE(w.windowTitle(), QStringLiteral("Power spectrum, FFT size 4096, Hamming window"));
  }

  // A new FFT size, chosen or automatic: the marked frame at the cursor and
  // the analysed range follow it.
  void theMarkedFrameFollowsTheFftSize() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    Host host;
    CPowerWnd w(nullptr, &host, &doc, 2, nv::PowerSettings{}, 100, 100);
    w.resize(520, 220);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    QCOMPARE(host.calls.back(), std::string("mark 100 1124 0"));
    w.Model().Settings().fftSize = 256;
    w.Recompute();
    QCOMPARE(w.Model().End(), int64_t{356});
    QCOMPARE(host.calls.back(), std::string("mark 100 356 0"));
    // Automatic: the size of the plot's width.
    w.Model().Settings().fftSize = 0;
    for (int width : {150, 900}) {
      w.resize(width, 220);
      if (width < 520) QTRY_VERIFY(w.Model().Setup().n < 256);
      else QTRY_VERIFY(w.Model().Setup().n > 1024);
      const int n = w.Model().Setup().n;
      QCOMPARE(w.Model().End(), int64_t{100 + n});
      QCOMPARE(host.calls.back(), "mark 100 " + std::to_string(100 + n) + " 0");
    }
    QCOMPARE(w.Model().Setup().n, 2048);
  }

  void closingGoesThroughTheView() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    Host host;
    CPowerWnd w(nullptr, &host, &doc, 7, nv::PowerSettings{}, 10, 10);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.close();
    QCOMPARE(host.calls, (std::vector<std::string>{"mark 10 1034 0", "clear", "closed 7"}));
    QCOMPARE(host.markSlot, 7);  // the mark and its clearing name the window
    QVERIFY(w.isVisible());  // the view decides
    w.RequestPrint();
    w.RequestPrintPreview();
    QCOMPARE(host.calls.back(), std::string("preview 7"));
    QCOMPARE(host.calls[host.calls.size() - 2], std::string("print 7"));
  }

  void printSlots() {
    PrintSlots ps;
    QVERIFY(ps.Begin(PrintSlots::Kind::kPower, 4, true));
    QCOMPARE(ps.Slot(PrintSlots::Kind::kPower), 4);
    QVERIFY(!ps.MayClose(PrintSlots::Kind::kPower));
    QVERIFY(ps.MayClose(PrintSlots::Kind::kRate));
    // A second preview, of either kind, is refused.
    QVERIFY(!ps.Begin(PrintSlots::Kind::kRate, 2, true));
    QCOMPARE(ps.Slot(PrintSlots::Kind::kRate), -1);
    ps.End();
    QVERIFY(!ps.Busy());
    QVERIFY(ps.Begin(PrintSlots::Kind::kRate, 2, false));
  }

  void printsThePageToPdf() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    doc.SetFile(nv::SoundFilePath::FromLabelled("/data/bat-call.wav [Wave]"));
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 8192);
    w.resize(520, 220);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    const PagePrinter::Page page = w.PrintPage();
    QCOMPARE(page.pictureTwips, QSizeF(520 * 15, 220 * 15));
    QCOMPARE(page.footerLeft, QStringLiteral("Norvane by Quellmark"));
    QCOMPARE(page.footerRight, QStringLiteral("Power spectrum, FFT size 1024, Hanning window."));
    // Through the print dialog, with a PDF file as the printer.
    const QString pdf = dir_.filePath("power.pdf");
    PagePrinter::printRunner = [&](QPrintDialog& d) {
      d.printer()->setOutputFormat(QPrinter::PdfFormat);
      d.printer()->setOutputFileName(pdf);
      return true;
    };
    QVERIFY(PagePrinter::Print(nullptr, page));
    PagePrinter::printRunner = nullptr;
    PagePrinter::SharedPrinter().setOutputFileName(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    if (!HavePdfTools()) QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString t = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(t.contains("bat-call.wav"), qPrintable(t));
    QVERIFY2(t.contains("Norvane by Quellmark"), qPrintable(t));
    QVERIFY2(t.contains("Power spectrum, FFT size 1024, Hanning window."), qPrintable(t));
    QVERIFY2(t.contains("10 kHz") && t.contains("-120") && t.contains("0 dB"), qPrintable(t));
    QProcess ppm;
    ppm.start("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, dir_.filePath("page")});
    QVERIFY(ppm.waitForFinished(30000));
    Keep(pdf);
    Keep(dir_.filePath("page.png"));
    const QImage img(dir_.filePath("page.png"));
    QVERIFY(!img.isNull());
    QVERIFY(img.width() > img.height());  // one landscape page: the picture is wider than high
    // The curve lies in the middle band of the page, centred horizontally.
    int minX = img.width(), maxX = 0, minY = img.height(), maxY = 0, blue = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.blue() > c.red() + 40 && c.blue() > c.green() + 40) {
          ++blue;
          minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
      }
    QVERIFY2(blue > 50, qPrintable(QString::number(blue)));
    // Between title and footer, centred.
    QVERIFY(minY > img.height() / 10 && maxY < 9 * img.height() / 10);
    QVERIFY(std::abs((minX + maxX) / 2 - img.width() / 2) < img.width() / 6);
    QVERIFY(std::abs((minY + maxY) / 2 - img.height() / 2) < img.height() / 6);
    // The picture fills the page's width (the curve, inside the axes, most
    // of it), not its 5.4 inches on the screen.
    QVERIFY2(maxX - minX > 0.7 * img.width(), qPrintable(QString::number(maxX - minX)));
  }

  // A window with automatic FFT size prints the spectrum it shows: the same
  // FFT size and analysed range as the screen (a printer has many more
  // pixels, which would choose a larger size), laid out in exact twips of
  // the device (1440 / 600 dpi = 2.4 twips per pixel, not 2).
  void printKeepsTheScreensFftSizeAndScale() {
    // Silence where the window looks, a loud tone right after it: a print
    // with a larger FFT size would analyse the tone too.
    nv::CNorvaneDoc doc(documents);
    std::vector<int16_t> s(44100, 0);
    for (size_t i = 3072; i < s.size(); ++i)
      s[i] = static_cast<int16_t>(20000 * std::sin(2 * M_PI * 5000.0 * static_cast<double>(i) / 44100));
    nv::test::FillDocument(doc, 1, 16, 44100, nv::test::Samples16(s));
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 2048, 2048);
    w.Model().Settings().fftSize = 0;  // "Automatic"
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Recompute();
    QCOMPARE(w.Model().FftSize(), 1024);
    QCOMPARE(w.Model().End(), int64_t{3072});
    const PagePrinter::Page page = w.PrintPage();
    QCOMPARE(page.footerRight, QStringLiteral("Power spectrum, FFT size 1024, Hanning window."));

    // The picture at its printed size on a 600-dpi device.
    constexpr double kDpi = 600;
    const double tpp = 1440.0 / kDpi;
    const QSize px((page.pictureTwips / tpp).toSize());
    QImage img(px, QImage::Format_RGB32);
    img.setDotsPerMeterX(static_cast<int>(kDpi / 0.0254));
    img.setDotsPerMeterY(static_cast<int>(kDpi / 0.0254));
    img.fill(Qt::white);
    {
      QPainter p(&img);
      page.draw(p, QRectF(QPointF(0, 0), QSizeF(px)), tpp);
    }
    img.save(dir_.filePath("print600.png"));
    Keep(dir_.filePath("print600.png"));
    // The axes where the layout puts them in twips: the left axis 5 pixels
    // + 32 points from the left edge, the bottom axis 27 points above the
    // bottom edge.
    auto darkRun = [&](bool row, int at) {
      int n = 0, best = 0;
      const int len = row ? img.width() : img.height();
      for (int i = 0; i < len; ++i) {
        const QRgb c = row ? img.pixel(i, at) : img.pixel(at, i);
        n = qGray(c) < 100 ? n + 1 : 0;
        best = std::max(best, n);
      }
      return best;
    };
    // The middle of each axis line (a pen of 20 twips is 8 pixels wide).
    double axisX = -1, axisY = -1;
    for (int x = 0; x < img.width() / 3 && axisX < 0; ++x) {
      if (darkRun(false, x) <= img.height() / 2) continue;
      int last = x;
      while (darkRun(false, last + 1) > img.height() / 2) ++last;
      axisX = (x + last + 1) / 2.0;
    }
    for (int y = img.height() - 1; y > img.height() / 2 && axisY < 0; --y) {
      if (darkRun(true, y) <= img.width() / 2) continue;
      int first = y;
      while (darkRun(true, first - 1) > img.width() / 2) --first;
      axisY = (first + y + 1) / 2.0;
    }
    const double wantX = (5 * tpp + 4 * 8 * 20) / tpp;  // 271.7 pixels
    const double wantY = img.height() - (11 + 2 * 8) * 20 / tpp;  // 225 pixels up
    QVERIFY2(std::fabs(axisX - wantX) <= 2, qPrintable(QString("%1 %2").arg(axisX).arg(wantX)));
    QVERIFY2(std::fabs(axisY - wantY) <= 2, qPrintable(QString("%1 %2").arg(axisY).arg(wantY)));
    // The analysed range is the silent one: the curve lies on the bottom
    // axis, with no spectrum of the tone above it.
    int blueAbove = 0;
    for (int y = 0; y < axisY - 8; ++y)
      for (int x = static_cast<int>(axisX) + 8; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.blue() > c.red() + 40 && c.blue() > c.green() + 40) ++blueAbove;
      }
    QCOMPARE(blueAbove, 0);

    // Through the printer (a PDF file at 1200 dpi): the interval printed
    // below the plot is the window's.
    const QString pdf = dir_.filePath("auto.pdf");
    QVERIFY(PagePrinter::PrintToPdf(pdf, page));
    Keep(pdf);
    if (!HavePdfTools()) QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString t = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(t.contains(QString::fromStdString(w.Model().IntervalText())), qPrintable(t));
    QVERIFY2(t.contains("Power spectrum, FFT size 1024, Hanning window."), qPrintable(t));
  }

  void previewPaintsThePage() {
    nv::CNorvaneDoc doc(documents);
    FillSine(doc);
    CPowerWnd w(nullptr, nullptr, &doc, 0, nv::PowerSettings{}, 0, 4096);
    w.resize(520, 220);
    w.Recompute();
    PagePrinter::Page page = w.PrintPage();
    int draws = 0;
    auto draw = page.draw;
    page.draw = [&](QPainter& p, const QRectF& r, double tpp) {
      ++draws;
      draw(p, r, tpp);
    };
    PagePrinter::previewRunner = [](QPrintPreviewDialog& d) {
      d.show();
      QTest::qWait(200);
      d.close();
    };
    PagePrinter::Preview(nullptr, page);
    PagePrinter::previewRunner = nullptr;
    QVERIFY(draws >= 1);
  }

  void noDocumentDrawsAndExportsNothing() {
    CPowerWnd w(nullptr, nullptr, nullptr, 0, nv::PowerSettings{}, 0, 0);
    w.resize(520, 220);
    w.Recompute();
    w.CopyAscii();
    CPowerWnd::fileChooser = [&](QWidget*) { return dir_.filePath("none.txt"); };
    QVERIFY(!w.ExportAsciiFile());
    QVERIFY(!QFile::exists(dir_.filePath("none.txt")));
  }
};

QObject* MakePowerWindowTest() { return new PowerWindowTest; }

#include "PowerWindowTest.moc"
