// Power-spectrum windows in their sound view: opening on a selection and on
// the cursor with the interval mark, the 16 slots and the message for a
// 17th, continuous update following the view's selection, closing, the
// print slots (a second preview is refused, a window being previewed stays
// open), "Power Spectr&um Settings - Default", the context menu item, the
// view going with its windows, and the view printed to a PDF file.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QImage>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScreen>
#include <QtTest>
#include <cmath>

#include "QtTestSupport.h"
#include "../../support/TestSupport.h"
#include "analysis/CPowerWnd.h"
#include "analysis/PagePrinter.h"
#include "analysis/PowerSettingsDialog.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/CNvAnaViewPower.h"
#include "views/PlainViewHost.h"

namespace {

// Two seconds of a 30 kHz tone at 192 kHz, stereo: left loud, right quiet.
void FillStereo(nv::CNorvaneDoc& doc) {
  std::vector<int16_t> s(2 * 384000);
  for (size_t i = 0; i < s.size() / 2; ++i) {
    const double v = std::sin(2 * M_PI * 30000.0 * i / 192000);
    s[2 * i] = static_cast<int16_t>(20000 * v);
    s[2 * i + 1] = static_cast<int16_t>(200 * v);
  }
  nv::test::FillDocument(doc, 2, 16, 192000, nv::test::Samples16(s));
}

struct ViewFixture {
  nv::DocumentContext documents;
  nv::CNorvaneDoc doc{documents};
  std::unique_ptr<CNvAnaView> view;
  explicit ViewFixture(ViewHost& host) {
    FillStereo(doc);
    doc.SetFile(nv::SoundFilePath::FromLabelled("/data/pipistrelle.wav [Wave]"));
    view = std::make_unique<CNvAnaView>(host, &doc);
    view->resize(900, 500);
    view->show();
    view->OnInitialUpdate();
  }
  CNvAnaViewPower& Power() { return view->Controllers().Power(); }
};

}  // namespace

class PowerViewTest : public QObject {
  Q_OBJECT

  // The host of the views the tests make.
  PlainViewHost host_;

  QTemporaryDir dir_;
  nv::test::TestMessageSink sink_;

 private slots:
  void initTestCase() { sink_.Install(); }
  void cleanupTestCase() { sink_.Remove(); }
  void init() {
    sink_.texts.clear();
    host_.DefaultPower() = nv::PowerSettings{};
  }

  void opensOnTheSelectionAndOnTheCursor() {
    ViewFixture f(host_);
    // A selection in the right channel strip: the right channel alone.
    nv::CursorRecord a, b;
    a.position = 96000, a.channel = 2;
    b = a;
    b.position = 105000;
    f.view->Plot()->SetSelection(a, b);
    QVERIFY(f.view->OnCommand(cmd::kPowerSpectrum));
    CPowerWnd* w = f.Power().Window(0);
    QVERIFY(w);
    QCOMPARE(w->Model().Start(), int64_t{96000});
    QCOMPARE(w->Model().End(), int64_t{105000});
    QVERIFY(!w->Model().FollowCursor());
    QCOMPARE(w->windowTitle(), QStringLiteral("Power spectrum, FFT size 1024, Hanning window. - Right channel."));
    QCOMPARE(f.Power().MarkStart(), -1);
    // The quiet right channel: 200 / 32768 of full scale, -44 dB at 30 kHz.
    const auto& levels = w->Model().Levels();
    const size_t bin = static_cast<size_t>(std::lround(30000.0 * 1024 / 192000));
    QVERIFY2(std::fabs(levels[bin] - 20 * std::log10(200.0 / 32768)) < 1.0, qPrintable(QString::number(levels[bin])));
    // Without a selection: one frame from the cursor, marked in the view.
    f.view->ClearSelection();
    nv::CursorRecord c;
    c.position = 50000, c.channel = 1, c.kind = nv::CursorKind::Marking;
    f.view->Plot()->SetCursor(c);
    CPowerWnd* w2 = f.Power().OpenPowerSpectrum();
    QCOMPARE(w2->Slot(), 1);
    QVERIFY(w2->Model().FollowCursor());
    QCOMPARE(w2->Model().End(), int64_t{51024});
    QCOMPARE(f.Power().MarkStart(), 50000);
    QCOMPARE(f.Power().MarkEnd(), 51024);
    QVERIFY(w2->windowTitle().endsWith(" - Left channel."));
    // The mark is drawn over the plot: orange pixels in the view's picture.
    QTest::qWait(50);
    const QImage shot = f.view->grab().toImage();
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) shot.save(QDir(QString::fromLocal8Bit(keep)).filePath("view-mark.png"));
    int orange = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (c.red() > 150 && c.green() > 90 && c.green() < 200 && c.blue() < 60) ++orange;
      }
    QVERIFY2(orange > 20, qPrintable(QString::number(orange)));
    // The window floats over the view and is owned by it.
    QVERIFY(w2->isWindow());
    QCOMPARE(w2->parentWidget(), f.view.get());
  }

  void newWindowsCascadeOnTheScreen() {
    ViewFixture f(host_);
    std::vector<CPowerWnd*> w;
    for (int i = 0; i < 16; ++i) w.push_back(f.Power().OpenPowerSpectrum());
    QScreen* screen = f.view->screen();
    QVERIFY(screen);
    const QRect avail = screen->availableGeometry();
    for (size_t i = 0; i < w.size(); ++i) {
      QVERIFY2(avail.contains(w[i]->geometry()), qPrintable(QStringLiteral("window %1").arg(i)));
      // No window lies exactly on the one opened before it.
      if (i > 0) QVERIFY2(w[i]->pos() != w[i - 1]->pos(), qPrintable(QStringLiteral("window %1").arg(i)));
    }
    QCOMPARE(w[1]->pos() - w[0]->pos(), QPoint(24, 24));
  }

  void sixteenSlotsThenTheMessage() {
    ViewFixture f(host_);
    for (int i = 0; i < 16; ++i) QVERIFY(f.Power().OpenPowerSpectrum());
    QVERIFY(sink_.texts.empty());
    QVERIFY(!f.Power().OpenPowerSpectrum());
    QCOMPARE(f.Power().OpenCount(), 16);
    QCOMPARE(sink_.texts, (std::vector<std::string>{"Maximum number of power spectras already open."}));
    // Closing one frees its slot for the next.
    f.Power().Window(5)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(f.Power().OpenCount(), 15);
    QCOMPARE(f.Power().OpenPowerSpectrum()->Slot(), 5);
  }

  void continuousUpdateFollowsTheSelection() {
    ViewFixture f(host_);
    host_.DefaultPower().contUpdate = 1;
    CPowerWnd* w = f.Power().OpenPowerSpectrum();
    QVERIFY(w->Model().FollowCursor());
    f.view->SelectFrames(20000, 60000);
    QCOMPARE(w->Model().Start(), int64_t{20000});
    QCOMPARE(w->Model().End(), int64_t{60000});
    QVERIFY(!w->Model().FollowCursor());
    QCOMPARE(f.Power().MarkStart(), -1);  // the mark goes with follow-cursor mode
    QCOMPARE(w->Model().FramesAveraged(), int64_t{40});
    // A window without continuous update keeps its range.
    host_.DefaultPower().contUpdate = 0;
    CPowerWnd* fixed = f.Power().OpenPowerSpectrum();
    f.view->SelectFrames(100000, 110000);
    QCOMPARE(fixed->Model().Start(), int64_t{20000});
    QCOMPARE(w->Model().Start(), int64_t{100000});
  }

  void printSlotsAndPreview() {
    ViewFixture f(host_);
    CPowerWnd* w = f.Power().OpenPowerSpectrum();
    CPowerWnd* other = f.Power().OpenPowerSpectrum();
    bool refused = false, stayedOpen = false;
    PagePrinter::previewRunner = [&](QPrintPreviewDialog& d) {
      QCOMPARE(f.Power().Slots().Slot(PrintSlots::Kind::kPower), 0);
      // A second preview is refused; closing the window being previewed
      // leaves it open.
      other->RequestPrintPreview();
      refused = f.Power().Slots().Slot(PrintSlots::Kind::kPower) == 0;
      w->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      stayedOpen = f.Power().Window(0) == w;
      d.close();
    };
    w->RequestPrintPreview();
    PagePrinter::previewRunner = nullptr;
    QVERIFY(refused);
    QVERIFY(stayedOpen);
    QVERIFY(!f.Power().Slots().Busy());
    // After the preview the window closes.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f.Power().Window(0));
  }

  void defaultSettingsCommandAndContextMenu() {
    ViewFixture f(host_);
    int32_t nyquistShown = 0;
    PowerSettingsDialog::runner = [&](PowerSettingsDialog& d) {
      nyquistShown = d.maxFrequency->text().toInt();
      d.fftSize->setCurrentText("2048 samples");
      return d.Apply();
    };
    QVERIFY(f.view->OnCommand(cmd::kPowerSettingsDefault));
    PowerSettingsDialog::runner = nullptr;
    QCOMPARE(nyquistShown, 96000);
    QCOMPARE(host_.DefaultPower().fftSize, 2048);
    QCOMPARE(f.Power().OpenPowerSpectrum()->Model().Setup().n, 2048);
    std::unique_ptr<QMenu> menu(f.view->MakeContextMenu(f.view->mapToGlobal(QPoint(100, 100))));
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    QVERIFY(texts.contains("&Power Spectrum"));
    CommandState st;
    QVERIFY(f.view->OnUpdateCommand(cmd::kFilePrint, st) && st.enabled);
  }

  void anEditRecomputesTheWindows() {
    ViewFixture f(host_);
    f.view->SelectFrames(0, 20000);
    CPowerWnd* w = f.Power().OpenPowerSpectrum();
    const size_t bin = static_cast<size_t>(std::lround(30000.0 * 1024 / 192000));
    QVERIFY(w->Model().Levels()[bin] > -10);
    // Silence the stretch in the work file and tell the views, as an edit does.
    std::vector<uint8_t> zeros(20000 * 4, 0);
    f.doc.WritableWorkFile().WriteAt(0, zeros.data(), zeros.size());
    f.doc.UpdateAllViews(nullptr, nv::UpdateHint::SamplesChanged);
    QVERIFY(std::isinf(w->Model().Levels()[bin]));
  }

  void theViewTakesItsWindowsAlong() {
    auto f = std::make_unique<ViewFixture>(host_);
    QPointer<CPowerWnd> w = f->Power().OpenPowerSpectrum();
    QVERIFY(w);
    f->view.reset();
    QVERIFY(w.isNull());
  }

  void printsTheViewToPdf() {
    ViewFixture f(host_);
    QTest::qWait(50);
    const QString pdf = dir_.filePath("view.pdf");
    PagePrinter::printRunner = [&](QPrintDialog& d) {
      d.printer()->setOutputFormat(QPrinter::PdfFormat);
      d.printer()->setOutputFileName(pdf);
      return true;
    };
    QVERIFY(f.view->OnCommand(cmd::kFilePrint));
    PagePrinter::printRunner = nullptr;
    PagePrinter::SharedPrinter().setOutputFileName(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString t = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(t.contains("pipistrelle.wav"), qPrintable(t));
    QVERIFY2(t.contains("Norvane"), qPrintable(t));
    QVERIFY2(!t.contains("Quellmark"), qPrintable(t));
    QVERIFY2(t.contains("Stereo, 16 bits, 192000 Hz."), qPrintable(t));
    QProcess ppm;
    ppm.start("pdftoppm", {"-png", "-r", "60", "-singlefile", pdf, dir_.filePath("view")});
    QVERIFY(ppm.waitForFinished(30000));
    const QImage img(dir_.filePath("view.png"));
    QVERIFY(!img.isNull());
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) {
      img.save(QDir(QString::fromLocal8Bit(keep)).filePath("view-page.png"));
      QFile::copy(pdf, QDir(QString::fromLocal8Bit(keep)).filePath("view.pdf"));
    }
    int dark = 0;
    for (int y = img.height() / 4; y < 3 * img.height() / 4; ++y)
      for (int x = 0; x < img.width(); ++x)
        if (qGray(img.pixel(x, y)) < 128) ++dark;
    QVERIFY2(dark > 500, qPrintable(QString::number(dark)));
  }

  // The print preview shows every mark line the printed page has: the view
  // is drawn onto the page at the printer's resolution, not through a
  // picture of fewer pixels that the preview shrinks further. The printed
  // spectrogram is the screen's, with its automatic FFT size.
  void previewAndPrintShowTheScreensPicture() {
    ViewFixture f(host_);
    f.view->Settings().spectrogramShown = 0;  // marks over the oscillogram alone
    f.view->Recompute();
    std::vector<nv::MarkRecord> marks;
    const int32_t first = f.view->Plot()->Setup().firstVisible();
    const int32_t span = f.view->Plot()->Setup().samplesPerPlot();
    constexpr int kMarks = 9;
    for (int i = 0; i < kMarks; ++i) {
      nv::MarkRecord m;
      m.number = i + 1;
      m.position = first + span * (i + 1) / (kMarks + 1) + 37 * i;
      m.kind = nv::StoredCursorKind(nv::CursorKind::Marking);
      m.channel = 3;
      m.inSpectrogram = 0;
      m.displayMark = 1;
      m.displayLabel = 0;
      marks.push_back(m);
    }
    f.view->Plot()->SetMarks(marks);
    // The columns of the preview (or page) holding the dark red of marks.
    auto markColumns = [](const QImage& img) {
      std::vector<int> cols;
      for (int x = 0; x < img.width(); ++x) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y) {
          const QColor c = img.pixelColor(x, y);
          if (c.red() > c.green() + 40 && c.red() > c.blue() + 40) ++n;
        }
        if (n >= 3) cols.push_back(x);
      }
      // Neighbouring columns belong to one line.
      int lines = 0;
      for (size_t i = 0; i < cols.size(); ++i)
        if (i == 0 || cols[i] > cols[i - 1] + 1) ++lines;
      return lines;
    };
    QImage shown;
    PagePrinter::previewRunner = [&](QPrintPreviewDialog& d) {
      d.resize(900, 1200);
      d.show();
      QTest::qWait(100);
      auto* w = d.findChild<QPrintPreviewWidget*>();
      QVERIFY(w);
      w->setZoomMode(QPrintPreviewWidget::FitToWidth);
      QTest::qWait(100);
      shown = w->grab().toImage();
      d.close();
    };
    QVERIFY(f.view->OnCommand(cmd::kFilePrintPreview));
    PagePrinter::previewRunner = nullptr;
    QVERIFY(!shown.isNull());
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) shown.save(QDir(QString::fromLocal8Bit(keep)).filePath("view-preview.png"));
    QCOMPARE(markColumns(shown), kMarks);

    // The printed spectrogram has the screen's FFT size in its title.
    f.view->Settings().spectrogramShown = 1;
    f.view->Settings().fftSize = 0;
    f.view->Recompute();
    const int screenFft = f.view->Plot()->Setup().spect.fftSize;
    const QString pdf = dir_.filePath("view-fft.pdf");
    PagePrinter::printRunner = [&](QPrintDialog& d) {
      d.printer()->setOutputFormat(QPrinter::PdfFormat);
      d.printer()->setOutputFileName(pdf);
      return true;
    };
    QVERIFY(f.view->OnCommand(cmd::kFilePrint));
    PagePrinter::printRunner = nullptr;
    PagePrinter::SharedPrinter().setOutputFileName(QString());
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString t = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(t.contains(QStringLiteral("Spectrogram, FFT size %1,").arg(screenFft)), qPrintable(t));
  }

  // A view wider than high prints in landscape, its picture filling the
  // width of the page (a small window is enlarged, keeping its shape); the
  // orientation the user chooses in the page set-up holds from then on.
  void printsAWideViewInLandscapeFillingTheWidth() {
    ViewFixture f(host_);
    f.view->resize(500, 300);
    QTest::qWait(50);
    const QString pdf = dir_.filePath("wide.pdf");
    PagePrinter::printRunner = [&](QPrintDialog& d) {
      d.printer()->setOutputFormat(QPrinter::PdfFormat);
      d.printer()->setOutputFileName(pdf);
      return true;
    };
    QVERIFY(f.view->OnCommand(cmd::kFilePrint));
    PagePrinter::printRunner = nullptr;
    PagePrinter::SharedPrinter().setOutputFileName(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QCOMPARE(PagePrinter::SharedPrinter().pageLayout().orientation(), QPageLayout::Landscape);
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
    QProcess ppm;
    ppm.start("pdftoppm", {"-png", "-r", "50", "-singlefile", pdf, dir_.filePath("wide")});
    QVERIFY(ppm.waitForFinished(30000));
    const QImage img(dir_.filePath("wide.png"));
    QVERIFY(!img.isNull());
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) {
      img.save(QDir(QString::fromLocal8Bit(keep)).filePath("wide-page.png"));
      QFile::copy(pdf, QDir(QString::fromLocal8Bit(keep)).filePath("wide.pdf"));
    }
    QVERIFY2(img.width() > img.height(), qPrintable(QString("%1 x %2").arg(img.width()).arg(img.height())));
    // The plot's extent: the dark columns between title and footer (the
    // oscillogram's frame and axes) span most of the page's width.
    int left = img.width(), right = -1;
    for (int y = img.height() / 5; y < 4 * img.height() / 5; ++y)
      for (int x = 0; x < img.width(); ++x)
        if (qGray(img.pixel(x, y)) < 100) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    QVERIFY2(right - left > 0.8 * img.width(),
             qPrintable(QString("plot %1 ... %2 of %3").arg(left).arg(right).arg(img.width())));
    // A page set-up in portrait holds for the next print.
    PagePrinter::setupRunner = [](QPageSetupDialog& d) {
      d.printer()->setPageOrientation(QPageLayout::Portrait);
      d.accept();
    };
    PagePrinter::PageSetup(f.view.get());
    PagePrinter::setupRunner = nullptr;
    bool portrait = false;
    PagePrinter::printRunner = [&](QPrintDialog& d) {
      portrait = d.printer()->pageLayout().orientation() == QPageLayout::Portrait;
      return false;
    };
    f.view->OnCommand(cmd::kFilePrint);
    PagePrinter::printRunner = nullptr;
    QVERIFY(portrait);
  }
};

QObject* MakePowerViewTest() { return new PowerViewTest; }

#include "PowerViewTest.moc"
