// The pulse characteristics dialogs and the pulse interval / pulse length
// windows on documents with bursts at known places: a run filling its
// results row by row, marks placed and cleared, the copied table, a run
// stopped mid-way, the fields and the level cursor; the histogram window's
// caption, settings dialog, clipboard exports and updates from the view.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QPainter>
#include <cmath>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <chrono>

#include "QtTestSupport.h"
#include "../../support/TestSupport.h"
#include "analysis/CRateWnd.h"
#include "analysis/PulseAnalysisDialog.h"
#include "analysis/PulseFieldPreset.h"
#include "analysis/PulseResultsDialog.h"
#include "analysis/RatePlot.h"
#include "analysis/RateSettingsDialog.h"
#include "base/NumericEdit.h"

namespace {

// A 1 MHz mono document (one frame is one microsecond) with `count` bursts
// of 500 frames every `every` frames, starting at frame 1000.
void MakeBursts(nv::CNorvaneDoc& doc, int64_t frames, int count, int64_t every) {
  std::vector<int16_t> s(static_cast<size_t>(frames), 0);
  for (int k = 0; k < count; ++k)
    for (int64_t i = 0; i < 500; ++i) {
      const size_t at = static_cast<size_t>(1000 + k * every + i);
      if (at < s.size()) s[at] = (i % 2) ? -8000 : 8000;
    }
  nv::test::FillDocument(doc, 1, 16, 1000000, nv::test::Samples16(s));
}

nv::PulseSettings OscillogramSettings() {
  nv::PulseSettings s;
  s.leftChannel = 1;
  s.ampMaxAmp = s.freqStrong = s.freqMax = s.freqMin = s.duration = 0;
  s.ampSeparationUs = 100;
  s.durTimeUs = 10;
  s.fftSize = 256;
  s.fftOverlap = 128;
  return s;
}

}  // namespace

class PulseWindowsTest : public QObject {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private slots:
  void RunFillsTheResultsRowByRow() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 5, 10000);
    nv::PulseSettings s = OscillogramSettings();
    s.startTimeMark = s.stopTimeMark = 1;
    QPointer<PulseAnalysisDialog> dialog = new PulseAnalysisDialog(&doc, s, 0, -1);
    QSignalSpy running(dialog.data(), &PulseAnalysisDialog::workerStateChanged);
    dialog->show();
    dialog->Calculate();
    QCOMPARE(dialog->ResultsDialogs().size(), 1);
    PulseResultsDialog* results = dialog->ResultsDialogs().front();
    QTRY_COMPARE(results->StatusText(), QStringLiteral("Calculation completed."));
    QTRY_VERIFY(!dialog->WorkerRunning());
    QCOMPARE(running.count(), 2);
    QCOMPARE(results->PulseRows(), 5);
    nv::test::Grab(*results, "pulse-results.png", nv::test::GrabSize::AsShown);
    nv::test::Grab(*dialog, "pulse-analysis.png", nv::test::GrabSize::AsShown);
    // The long titles head the columns once; the rows are the pulses.
    QCOMPARE(results->List()->rowCount(), 5);
    QCOMPARE(results->List()->columnCount(), 3);  // Puls#, Start, Stop
    QCOMPARE(results->List()->horizontalHeaderItem(1)->text(), QStringLiteral("Start osc. (ms) "));
    for (int k = 0; k < 5; ++k)  // in order: pulse k starts at 1 + 10 k ms
      QCOMPARE(results->List()->item(k, 1)->text(), QString::asprintf(" %5.2f ", 1.0 + 10.0 * k));
    // Two marks per pulse, placed in the document, then cleared.
    QCOMPARE(doc.Marks().size(), size_t(10));
    QCOMPARE(doc.Marks()[0].label, std::string("#1 start"));
    QVERIFY(results->ClearMarksShown());
    results->ClearMarks();
    QVERIFY(doc.Marks().empty());
    QVERIFY(!results->ClearMarksShown());
    // "Copy ": the table as tab-separated text.
    results->Copy();
    const QString text = QGuiApplication::clipboard()->text();
    QVERIFY(text.startsWith(QStringLiteral("Puls# \tStart osc. (ms) \tStop osc. (ms) \t\r\n    1 \t  1.00 \t  1.50 \t\r\n")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 6);
    // A second run opens a second results dialog; Close keeps the settings.
    dialog->Calculate();
    QCOMPARE(dialog->ResultsDialogs().size(), 2);
    QTRY_VERIFY(!dialog->WorkerRunning());
    QSignalSpy closing(dialog.data(), &PulseAnalysisDialog::closeRequested);
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("Close")) b->click();
    QCOMPARE(closing.count(), 1);
    QCOMPARE(closing.front().front().toBool(), true);
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(sink.texts().empty());
  }

  // Every column of the results is as wide as its title, which heads it
  // once (not again as a first row), and as its values.
  void ResultsColumnsFitTheirTitlesShownOnce() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 3, 20000);
    nv::PulseSettings s = OscillogramSettings();
    s.duration = s.energy = s.freqMax = s.freqMin = s.freqStrong = s.ampMaxAmp = 1;
    s.freqSeparationHz = 5000;
    s.freqThreshold = -6000;
    QPointer<PulseAnalysisDialog> dialog = new PulseAnalysisDialog(&doc, s, 0, -1);
    dialog->Calculate();
    PulseResultsDialog* results = dialog->ResultsDialogs().front();
    QTRY_COMPARE(results->StatusText(), QStringLiteral("Calculation completed."));
    QTRY_VERIFY(!dialog->WorkerRunning());
    QCOMPARE(results->PulseRows(), 3);
    results->show();
    QVERIFY(QTest::qWaitForWindowExposed(results));
    nv::test::Grab(*results, "pulse-results-all-columns.png", nv::test::GrabSize::AsShown);
    QTableWidget* list = results->List();
    QHeaderView* header = list->horizontalHeader();
    const nv::PulseTable::Row titles = nv::PulseTable(s).TitleRow();
    QCOMPARE(list->columnCount(), 9);
    QCOMPARE(list->rowCount(), 3);
    QVERIFY(!header->isHidden());
    const QFontMetrics headerMetrics = header->fontMetrics(), cellMetrics = list->fontMetrics();
    for (int c = 0; c < list->columnCount(); ++c) {
      const QString title = QString::fromStdString(titles[static_cast<size_t>(c)]);
      QCOMPARE(list->horizontalHeaderItem(c)->text(), title);
      QVERIFY2(list->columnWidth(c) >= header->sectionSizeHint(c) &&
                   list->columnWidth(c) > headerMetrics.horizontalAdvance(title),
               qPrintable(QStringLiteral("%1: %2 pixels").arg(title).arg(list->columnWidth(c))));
      for (int r = 0; r < list->rowCount(); ++r) {
        QVERIFY(list->item(r, c)->text() != title);  // the title is not repeated
        QVERIFY(list->columnWidth(c) > cellMetrics.horizontalAdvance(list->item(r, c)->text()));
      }
    }
    // The headers the narrow columns used to cut.
    QCOMPARE(list->horizontalHeaderItem(7)->text(), QStringLiteral("Freq. at max amp. (Hz)"));
    QCOMPARE(list->horizontalHeaderItem(8)->text(), QStringLiteral("Max freq amplitude (dB)"));
    // The copied table still begins with the titles, once.
    const QString text = QString::fromStdString(results->CopyText());
    QCOMPARE(text.count(QStringLiteral("Max freq amplitude (dB)")), 1);
    QVERIFY(text.startsWith(QStringLiteral("Puls# \tStart osc. (ms) \t")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 4);
    delete dialog;
    QVERIFY(sink.texts().empty());
  }

  void StoppedRunEndsPromptly() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 400000, 1, 10000);
    nv::PulseSettings s = OscillogramSettings();
    s.duration = 1;  // the spectrogram measurement, here a very long one
    s.fftSize = 16384;
    s.fftOverlap = 16383;
    QPointer<PulseAnalysisDialog> dialog = new PulseAnalysisDialog(&doc, s, 0, -1);
    dialog->Calculate();
    QVERIFY(dialog->WorkerRunning());
    dialog->Calculate();  // ignored during a run
    QCOMPARE(dialog->ResultsDialogs().size(), 1);
    QTRY_COMPARE(dialog->ResultsDialogs().front()->StatusText(), QStringLiteral("Calculation started."));
    // The worker reads through a mapping of its own: the document may let
    // go of its mapping (as Copy does) while the edits wait.
    QVERIFY(PulseAnalysisDialog::RunningOn(&doc));
    doc.UnmapSamples();
    QTest::qWait(50);
    QSignalSpy closing(dialog.data(), &PulseAnalysisDialog::closeRequested);
    const auto t0 = std::chrono::steady_clock::now();
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QVERIFY(std::chrono::steady_clock::now() - t0 < std::chrono::seconds(1));
    QVERIFY(!dialog->WorkerRunning());
    QCOMPARE(closing.count(), 1);
    QCOMPARE(closing.front().front().toBool(), false);
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(!PulseAnalysisDialog::RunningOn(&doc));
  }

  void FieldsAndLevelCursor() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 1, 10000);
    nv::PulseSettings s = OscillogramSettings();
    s.startFreq = s.stopFreq = s.durationFreq = 1;
    PulseAnalysisDialog dialog(&doc, s, 2000, 52000);
    QVERIFY(dialog.ReadFields());
    QCOMPARE(int(dialog.Settings().startFreq), 0);  // reading clears the spectrogram time flags
    QCOMPARE(dialog.Settings().ampThreshold, s.ampThreshold);
    QCOMPARE(dialog.Settings().ampSeparationUs, 100);
    // A field that does not read: the field's message, nothing changes.
    const QList<NumericEdit*> edits = dialog.findChildren<NumericEdit*>();
    QVERIFY(!edits.isEmpty());
    edits.front()->setText(QStringLiteral("12x"));
    QVERIFY(!dialog.ReadFields());
    QCOMPARE(sink.last(), std::string("Illegal character in numeric '12x'."));
    dialog.Calculate();
    QVERIFY(dialog.ResultsDialogs().isEmpty());
    // The level cursor: -20 dB is 1 % of full scale; dragging it to 10 %
    // gives -10 dB.
    QCOMPARE(PulseAnalysisDialog::LevelOfThreshold(-2000), 100);
    QCOMPARE(PulseAnalysisDialog::LevelOfThreshold(2000), 100);
    QCOMPARE(PulseAnalysisDialog::ThresholdOfLevel(1000), -1000);
    dialog.SetLevel(-1000);
    QCOMPARE(edits.front()->text(), QStringLiteral("-10.00"));
    // Continuous update takes the view's selection and its channel.
    dialog.SetRange(3000, 200000, 2);
    QCOMPARE(dialog.RangeStart(), 3000);
    QCOMPARE(dialog.RangeEnd(), 100000);
    QCOMPARE(int(dialog.Settings().leftChannel), 0);
    QCOMPARE(PulseAnalysisDialog::AutomaticFftWarning(false, false), std::string());
    QVERIFY(PulseAnalysisDialog::AutomaticFftWarning(true, true).find("FFT size and overlap") != std::string::npos);
    QVERIFY(PulseAnalysisDialog::AutomaticFftWarning(false, true).find("for FFT overlap.") != std::string::npos);
    QVERIFY(PulseAnalysisDialog::AutomaticFftWarning(true, false).find("for FFT size.") != std::string::npos);
  }

  void ClearMarksLeavesMarksMadeAfterClearAllMarks() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 20000, 1, 10000);
    PulseResultsDialog results(&doc, OscillogramSettings());
    nv::PulseResult r;
    for (int i = 0; i < 3; ++i) {
      nv::PulseMarkRequest m;
      m.position = 1000 + 100 * i;
      m.label = "#1 start";
      r.marks.push_back(m);
    }
    results.AddResult(r);
    QCOMPARE(doc.Marks().size(), size_t(3));
    // "Clear all marks" takes the run's marks too; the user's next marks
    // are numbered 0, 1, 2 again.
    doc.Marks().Clear();
    for (int32_t i = 0; i < 3; ++i) QCOMPARE(doc.Marks().Add(5000 + i, 0, false, 1, "", true, nv::CursorKind::Marking), i);
    results.ClearMarks();
    QCOMPARE(doc.Marks().size(), size_t(3));
    QVERIFY(!results.ClearMarksShown());
    // Marks placed after the clear are the run's again.
    results.AddResult(r);
    QCOMPARE(doc.Marks().size(), size_t(6));
    results.ClearMarks();
    QCOMPARE(doc.Marks().size(), size_t(3));
    for (int32_t i = 0; i < 3; ++i) QCOMPARE(doc.Marks()[static_cast<size_t>(i)].position, 5000 + i);
  }

  // The detection band, the choice of threshold and the "Field recordings"
  // button: shown from the settings, read back, checked against the
  // recording's Nyquist frequency.
  void FieldDetectionFields() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 1, 10000);  // 1 MHz: Nyquist frequency 500 kHz
    nv::PulseSettings s = OscillogramSettings();
    PulseAnalysisDialog dialog(&doc, s, 0, -1);
    auto* low = dialog.findChild<NumericEdit*>(QStringLiteral("detectBandLow"));
    auto* high = dialog.findChild<NumericEdit*>(QStringLiteral("detectBandHigh"));
    auto* margin = dialog.findChild<NumericEdit*>(QStringLiteral("noiseMargin"));
    auto* absolute = dialog.findChild<QRadioButton*>(QStringLiteral("absoluteThreshold"));
    auto* relative = dialog.findChild<QRadioButton*>(QStringLiteral("aboveNoiseFloor"));
    auto* field = dialog.findChild<QPushButton*>(QStringLiteral("fieldPreset"));
    QVERIFY(low && high && margin && absolute && relative && field);
    nv::test::Grab(dialog, "pulse-analysis-dialog.png", nv::test::GrabSize::AsShown);
    QCOMPARE(field->text(), QStringLiteral("Field recordings"));
    // The first-start defaults: whole band, absolute threshold.
    QCOMPARE(low->text(), QStringLiteral("0"));
    QCOMPARE(high->text(), QStringLiteral("0"));
    QVERIFY(absolute->isChecked());
    QVERIFY(!relative->isChecked());
    QVERIFY(dialog.ReadFields());
    QVERIFY(dialog.Settings() == s);
    // The button fills in the set for field recordings.
    field->click();
    QVERIFY(relative->isChecked());
    QVERIFY(dialog.ReadFields());
    nv::PulseSettings want = s;
    nv::PulseFieldPreset::ApplyTo(want);
    QCOMPARE(dialog.Settings().detectLowHz, 15000);
    QCOMPARE(int(dialog.Settings().aboveNoise), 1);
    QCOMPARE(dialog.Settings().noiseMargin, want.noiseMargin);
    QCOMPARE(dialog.Settings().ampSeparationUs, want.ampSeparationUs);
    QCOMPARE(dialog.Settings().durTimeUs, want.durTimeUs);
    QCOMPARE(dialog.Settings().minFrequencyHz, want.minFrequencyHz);
    QVERIFY(dialog.Settings() == want);
    // Typed values and the absolute threshold again.
    low->setText(QStringLiteral("20000"));
    high->setText(QStringLiteral("120000"));
    margin->setText(QStringLiteral("12.50"));
    absolute->setChecked(true);
    QVERIFY(dialog.ReadFields());
    QCOMPARE(dialog.Settings().detectLowHz, 20000);
    QCOMPARE(dialog.Settings().detectHighHz, 120000);
    QCOMPARE(dialog.Settings().noiseMargin, 1250);
    QCOMPARE(int(dialog.Settings().aboveNoise), 0);
    // A band past the Nyquist frequency is refused with a message.
    high->setText(QStringLiteral("600000"));
    QVERIFY(!dialog.ReadFields());
    QCOMPARE(sink.last(), std::string("The detection band's upper edge (600000 Hz) lies above the Nyquist "
                                      "frequency of the recording (500000 Hz)."));
    QCOMPARE(dialog.Settings().detectHighHz, 120000);
    dialog.Calculate();
    QVERIFY(dialog.ResultsDialogs().isEmpty());
  }

  void DestroyingTheDialogJoinsItsWorker() {
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 400000, 1, 10000);
    nv::PulseSettings s = OscillogramSettings();
    s.duration = 1;
    s.fftSize = 16384;
    s.fftOverlap = 16383;
    auto* dialog = new PulseAnalysisDialog(&doc, s, 0, -1);
    dialog->Calculate();
    QVERIFY(dialog->WorkerRunning());
    delete dialog;  // the document (and its mapping) outlives the joined worker
    QCoreApplication::processEvents();
  }

  void HistogramWindow() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 6, 10000);
    nv::RateSettings s;
    s.intervalMode = 1;
    s.autoCalc = 0;
    s.histStartMs = 0;
    s.histEndMs = 20;
    s.bars = 20;
    s.delayMs = 0;
    s.threshold = 1000;
    s.leftChannel = 1;
    s.rightChannel = 0;
    CRateWnd w(&doc, 3, s, 0, -1, nullptr);
    QCOMPARE(w.Slot(), 3);
    QCOMPARE(w.windowTitle(), QStringLiteral("Pulse Interval Analysis - Left channel."));
    QCOMPARE(w.size(), QSize(420, 220));
    const std::string text = w.AsciiText();
    QVERIFY(text.find("9\t10\t5\r\n") != std::string::npos);  // five intervals of 10 ms
    QCOMPARE(w.Histogram().Total(), int64_t(5));
    w.CopyAscii();
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), text);
    w.CopyPicture();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime->hasImage());
    QVERIFY(mime->data(QStringLiteral("image/svg+xml")).contains("<svg"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    nv::test::Grab(w, "rate-window.png", nv::test::GrabSize::AsShown);

    // The level cursor: a threshold above the bursts leaves nothing.
    QSignalSpy level(&w, &CRateWnd::levelCursorRequested);
    w.LevelDragged(3000);  // 30 % of full scale
    QCOMPARE(w.Histogram().Threshold(), 9830);
    w.AsciiText();
    QCOMPARE(w.Histogram().Total(), int64_t(0));
    w.UpdateThreshold();
    QCOMPARE(level.count(), 1);
    QCOMPARE(level.front().at(0).toInt(), 2999);

    // Continuous update off: a new selection is ignored; on: taken.
    w.SelectionChanged(50000, 60000, 3, false);
    QCOMPARE(w.Histogram().RangeStart(), int64_t(0));
    w.ToggleContinuousUpdate();
    w.SelectionChanged(50000, 60000, 3, false);
    QCOMPARE(w.Histogram().RangeStart(), int64_t(50000));
    QCOMPARE(w.Histogram().RangeEnd(), int64_t(60000));

    // Closing tells the view the slot.
    QSignalSpy closed(&w, &CRateWnd::closed);
    w.close();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.front().front().toInt(), 3);
    QVERIFY(sink.texts().empty());
  }

  // On a printer the histogram keeps the size of its texts: drawn onto a
  // 600-dpi page its picture, brought back to the screen's size, carries
  // about as much ink as the screen's own picture (not labels six times
  // too large).
  void HistogramPictureKeepsItsTextSizeOnAPrinter() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 6, 10000);
    nv::RateSettings s;
    s.intervalMode = 1;
    s.autoCalc = 0;
    s.histStartMs = 0;
    s.histEndMs = 20;
    s.bars = 20;
    s.delayMs = 0;
    s.threshold = 1000;
    s.leftChannel = 1;
    s.rightChannel = 0;
    CRateWnd w(&doc, 3, s, 0, -1, nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* plot = w.findChild<RatePlot*>();
    QVERIFY(plot);
    const QSize size = plot->size();
    auto picture = [&](int dpi) {
      const double k = dpi / static_cast<double>(plot->logicalDpiX());
      QImage img((QSizeF(size) * k).toSize(), QImage::Format_RGB32);
      img.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
      img.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
      img.fill(Qt::white);
      QPainter p(&img);
      w.RenderPicture(p, QRectF(QPointF(0, 0), QSizeF(img.size())));
      p.end();
      return img.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    auto ink = [](const QImage& img) {
      int n = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += qGray(img.pixel(x, y)) < 160;
      return n;
    };
    const QImage screen = picture(plot->logicalDpiX());
    const QImage printed = picture(600);
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) {
      screen.save(QDir(QString::fromLocal8Bit(keep)).filePath("rate-screen.png"));
      printed.save(QDir(QString::fromLocal8Bit(keep)).filePath("rate-printed.png"));
    }
    const int a = ink(screen), b = ink(printed);
    QVERIFY(a > 100);
    QVERIFY2(b > a / 2 && b < 2 * a, qPrintable(QString("screen %1, printed %2").arg(a).arg(b)));
  }

  void HistogramSettingsDialog() {
    nv::test::ScopedSink sink;
    nv::RateSettings s;
    s.threshold = 16384;
    RateSettingsDialog d(s);
    QCOMPARE(d.ThresholdField()->text(), QStringLiteral("50"));
    QCOMPARE(RateSettingsDialog::ThresholdOfPercent(50), 16384);
    d.StartField()->setText(QStringLiteral("100"));
    d.EndField()->setText(QStringLiteral("100"));
    d.accept();
    QCOMPARE(sink.last(), std::string("Histogram end must be greather then Histogram start."));
    QCOMPARE(d.result(), int(QDialog::Rejected));
    d.EndField()->setText(QStringLiteral("110"));
    d.BarsField()->setText(QStringLiteral("11"));
    d.accept();
    QCOMPARE(sink.last(),
             std::string("Number of histogram bars to high! Each bar must represent at least 1 millisecond."));
    d.BarsField()->setText(QStringLiteral("10"));
    d.AutomaticBox()->setChecked(false);
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.Settings().histStartMs, 100);
    QCOMPARE(d.Settings().histEndMs, 110);
    QCOMPARE(d.Settings().bars, 10);
    QCOMPARE(int(d.Settings().autoCalc), 0);
  }
};

QObject* MakePulseWindowsTest() { return new PulseWindowsTest; }

#include "PulseWindowsTest.moc"
