// The pulse analyses in a sound view: the commands open the dialog and the
// histogram windows (16 at most), their thresholds become the view's level
// cursor, a run's marks appear in the document, the sample edits and undo are
// greyed and refused while a worker runs, and closing the view stops and
// joins the worker.
#include <QApplication>
#include <QPointer>
#include <QtTest>

#include "../../support/TestSupport.h"
#include "analysis/CRateWnd.h"
#include "analysis/PagePrinter.h"
#include <QPrintPreviewDialog>
#include "analysis/PulseAnalysisDialog.h"
#include "analysis/PulseResultsDialog.h"
#include "analysis/PulseTransform.h"
#include "base/CommandIds.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/CNvAnaViewPower.h"
#include "views/CursorMode.h"
#include "views/PulseViewAnalyses.h"
#include "views/PlainViewHost.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

namespace {

// norvane-cli of this build: named by the test's environment, else beside
// the test suite in the build tree.
QString CliPath() {
  const QString named = qEnvironmentVariable("NORVANE_CLI");
  if (!named.isEmpty()) return named;
  return QCoreApplication::applicationDirPath() + QStringLiteral("/../../src/cli/norvane-cli");
}

// Runs norvane-cli with a settings folder of its own (no stored defaults:
// the first-start ones); its standard output, or "failed: ..." on an error.
QString RunCli(const QStringList& args, const QString& configDir) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
  p.setProcessEnvironment(env);
  p.start(CliPath(), args);
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return QStringLiteral("failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
  return QString::fromUtf8(p.readAllStandardOutput());
}

// A recording made at 384 kHz (no time expansion): FM calls sweeping down
// from 95 to 35 kHz, 2 to 6 ms long, every 60 ms, over faint noise.
void MakeRealRateCalls(nv::CNorvaneDoc& doc) {
  constexpr double kRate = 384000, kPi = 3.14159265358979323846;
  std::vector<int16_t> s(static_cast<size_t>(0.5 * kRate), 0);
  uint64_t seed = 12345;
  for (int16_t& v : s) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    v = static_cast<int16_t>(static_cast<int>(seed >> 59) - 16);  // +-16: about -66 dB
  }
  for (int k = 0; k < 7; ++k) {
    const double start = 0.02 + 0.06 * k, dur = 0.002 + 0.00065 * k;
    const double f0 = 95000, f1 = 35000, amp = 3000 + 3000 * k;
    double phase = 0;
    const int n = static_cast<int>(dur * kRate);
    for (int i = 0; i < n; ++i) {
      const double t = i / kRate;
      phase += 2 * kPi * (f0 * std::pow(f1 / f0, t / dur)) / kRate;
      const double env = std::pow(std::sin(kPi * t / dur), 2);
      const size_t at = static_cast<size_t>(start * kRate) + static_cast<size_t>(i);
      s[at] = static_cast<int16_t>(std::lround(s[at] + amp * env * std::sin(phase)));
    }
  }
  nv::test::FillDocument(doc, 1, 16, static_cast<int>(kRate), nv::test::Samples16(s));
}

// The table of a pulse analysis run from a view of the file at `path`,
// with the view's stored or default spectrogram settings, as "Copy " gives
// it with plain line ends.
QString DesktopTable(ViewHost& host, const QString& path, nv::CNorvaneDoc& doc, CNvAnaView*& view) {
  if (!doc.Open({path.toStdString()})) return QStringLiteral("cannot open ") + path;
  view = new CNvAnaView(host, &doc);
  view->resize(900, 500);
  view->OnInitialUpdate();
  view->SelectFrames(0, doc.FrameCount());
  view->OnCommand(cmd::kPulseCharacteristics);
  PulseAnalysisDialog* dialog = view->Controllers().Pulses().Dialog();
  if (!dialog) return QStringLiteral("no dialog");
  dialog->Calculate();
  if (dialog->ResultsDialogs().isEmpty()) return QStringLiteral("no results dialog");
  PulseResultsDialog* results = dialog->ResultsDialogs().front();
  if (!QTest::qWaitFor([&] { return !dialog->WorkerRunning(); }, 60000)) return QStringLiteral("still running");
  QTest::qWait(0);
  if (!QTest::qWaitFor([&] { return results->StatusText() == QStringLiteral("Calculation completed."); }, 10000))
    return QStringLiteral("not completed");
  return QString::fromStdString(results->CopyText()).remove(QLatin1Char('\r'));
}

void MakeBursts(nv::CNorvaneDoc& doc, int64_t frames, int count, int64_t every) {
  std::vector<int16_t> s(static_cast<size_t>(frames), 0);
  for (int k = 0; k < count; ++k)
    for (int64_t i = 0; i < 500; ++i) {
      const size_t at = static_cast<size_t>(1000 + k * every + i);
      if (at < s.size()) s[at] = (i % 2) ? -8000 : 8000;
    }
  nv::test::FillDocument(doc, 1, 16, 1000000, nv::test::Samples16(s));
}

}  // namespace

class PulseViewTest : public QObject {
  Q_OBJECT

  // What the documents a test makes share, and the host of its views.
  nv::DocumentContext documents;
  PlainViewHost host_;

 private slots:
  void HistogramWindowsAtMostSixteen() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 5, 10000);
    auto* view = new CNvAnaView(host_, &doc);
    view->resize(800, 500);
    view->OnInitialUpdate();
    for (int i = 0; i < 16; ++i) QVERIFY(view->OnCommand(i % 2 ? cmd::kPulseInterval : cmd::kPulseLength));
    QCOMPARE(view->Controllers().Pulses().OpenRateWindows(), 16);
    QVERIFY(sink.texts().empty());
    view->OnCommand(cmd::kPulseInterval);
    QCOMPARE(view->Controllers().Pulses().OpenRateWindows(), 16);
    QCOMPARE(sink.last(), std::string("Maximum number of Pulse Interval/Pulse Length Analysis already open."));
    // A closed window frees its slot.
    QPointer<CRateWnd> third = view->Controllers().Pulses().RateWindow(2);
    third->close();
    QTRY_VERIFY(third.isNull());
    QCOMPARE(view->Controllers().Pulses().OpenRateWindows(), 15);
    view->OnCommand(cmd::kPulseLength);
    QCOMPARE(view->Controllers().Pulses().OpenRateWindows(), 16);
    QVERIFY(view->Controllers().Pulses().RateWindow(2) != nullptr);
    // Print and preview go through the shared page printer.
    int previews = 0, prints = 0;
    PagePrinter::previewRunner = [&](QPrintPreviewDialog&) { ++previews; };
    PagePrinter::printRunner = [&](QPrintDialog&) {
      ++prints;
      return false;
    };
    emit view->Controllers().Pulses().RateWindow(2)->previewRequested(2);
    emit view->Controllers().Pulses().RateWindow(2)->printRequested(2);
    QCOMPARE(previews, 1);
    QCOMPARE(prints, 1);
    PagePrinter::previewRunner = nullptr;
    PagePrinter::printRunner = nullptr;
    // Without a selection the window analyses from the cursor to the end.
    QCOMPARE(view->Controllers().Pulses().RateWindow(2)->Histogram().RangeEnd(), int64_t(100000));
    delete view;
  }

  void HistogramIntervalMarkedAndPrintKeepsItOpen() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 5, 10000);
    auto* view = new CNvAnaView(host_, &doc);
    view->resize(800, 500);
    view->OnInitialUpdate();
    CNvAnaViewPower* power = &view->Controllers().Power();
    // Without a selection: from the cursor to the end, marked in the view.
    view->OnCommand(cmd::kPulseInterval);
    QPointer<CRateWnd> first = view->Controllers().Pulses().RateWindow(0);
    QCOMPARE(view->Controllers().Pulses().MarkedSlot(), 0);
    QCOMPARE(int64_t(power->MarkStart()), first->Histogram().RangeStart());
    QCOMPARE(power->MarkEnd(), 100000);
    // A window on a selection marks the selection.
    view->SelectFrames(20000, 40000);
    view->OnCommand(cmd::kPulseLength);
    QPointer<CRateWnd> second = view->Controllers().Pulses().RateWindow(1);
    QCOMPARE(view->Controllers().Pulses().MarkedSlot(), 1);
    QCOMPARE(power->MarkStart(), 20000);
    QCOMPARE(power->MarkEnd(), 40000);

    // While the second is previewed it cannot close, and a second preview is refused.
    bool stayedOpen = false, refused = false;
    int previews = 0;
    PagePrinter::previewRunner = [&](QPrintPreviewDialog&) {
      ++previews;
      QCOMPARE(power->Slots().Slot(PrintSlots::Kind::kRate), 1);
      second->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      stayedOpen = !second.isNull() && view->Controllers().Pulses().RateWindow(1) == second;
      emit first->previewRequested(0);
      refused = power->Slots().Slot(PrintSlots::Kind::kRate) == 1;
    };
    emit second->previewRequested(1);
    PagePrinter::previewRunner = nullptr;
    QCOMPARE(previews, 1);
    QVERIFY(stayedOpen);
    QVERIFY(refused);
    QVERIFY(!power->Slots().Busy());
    // Closed after the preview: the band goes to the window left open.
    second->close();
    QTRY_VERIFY(second.isNull());
    QCOMPARE(view->Controllers().Pulses().MarkedSlot(), 0);
    QCOMPARE(power->MarkEnd(), 100000);
    first->close();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(view->Controllers().Pulses().MarkedSlot(), -1);
    QCOMPARE(power->MarkStart(), -1);
    delete view;
  }

  void LevelCursorFollowsTheThresholds() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 100000, 5, 10000);
    host_.DefaultRate().threshold = 16384;
    auto* view = new CNvAnaView(host_, &doc);
    view->OnInitialUpdate();
    view->OnCommand(cmd::kPulseInterval);
    QCOMPARE(view->Controllers().Pulses().ThresholdSlot(), 0);
    QCOMPARE(view->Plot()->Cursor().kind, nv::CursorKind::Level);
    QCOMPARE(view->Plot()->Cursor().value, 5000);  // half of full scale
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Level);
    host_.DefaultRate().threshold = -1;

    // The pulse dialog: the automatic FFT warning, then its threshold.
    view->OnCommand(cmd::kPulseCharacteristics);
    QVERIFY(view->Controllers().Pulses().Dialog() != nullptr);
    QVERIFY(sink.last().find("Warning: Pulse characteristics analysis will use automatically calculated") == 0);
    QCOMPARE(view->Controllers().Pulses().ThresholdSlot(), -1);
    QCOMPARE(view->Plot()->Cursor().value, 100);  // -20 dB: 1 % of full scale
    // Automatic size and overlap resolved for the analysis, not as drawn.
    QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftSize, nv::PulseTransform::kAutomaticFftSize);
    QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftOverlap, nv::PulseTransform::kAutomaticFftSize * 3 / 4);
    // A second command replaces the dialog.
    QPointer<PulseAnalysisDialog> first = view->Controllers().Pulses().Dialog();
    view->OnCommand(cmd::kPulseCharacteristics);
    QTRY_VERIFY(first.isNull());
    QVERIFY(view->Controllers().Pulses().Dialog() != nullptr);
    delete view;
  }

  void EditsWaitForTheWorkerAndClosingJoinsIt() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc(documents);
    MakeBursts(doc, 400000, 3, 100000);
    nv::PulseSettings& defaults = host_.DefaultPulse();
    const nv::PulseSettings saved = defaults;
    defaults.startTimeMark = 1;
    defaults.ampSeparationUs = 100;
    defaults.durTimeUs = 10;
    auto* view = new CNvAnaView(host_, &doc);
    view->OnInitialUpdate();
    view->SelectFrames(0, 300000);
    view->OnCommand(cmd::kPulseCharacteristics);
    PulseAnalysisDialog* dialog = view->Controllers().Pulses().Dialog();
    QVERIFY(dialog);
    // A quick run: marks in the document, a full table.
    dialog->Calculate();
    QTRY_VERIFY(!dialog->WorkerRunning());
    PulseResultsDialog* results = dialog->ResultsDialogs().front();
    QTRY_COMPARE(results->PulseRows(), 3);
    QCOMPARE(doc.Marks().size(), size_t(3));
    QCOMPARE(view->Plot()->Marks().size(), size_t(3));
    results->ClearMarks();
    QCOMPARE(view->Plot()->Marks().size(), size_t(0));

    // A slow run (a long spectrogram at a hop of one frame).
    nv::PulseSettings slow = dialog->Settings();
    defaults = slow;
    defaults.fftSize = 0;
    view->Settings().fftSize = 2048;
    view->Settings().fftOverlap = 99;
    view->Recompute();
    view->OnCommand(cmd::kPulseCharacteristics);
    dialog = view->Controllers().Pulses().Dialog();
    dialog->Calculate();
    QVERIFY(dialog->WorkerRunning());
    CommandState st;
    QVERIFY(view->OnUpdateCommand(cmd::kEditDelete, st));
    QVERIFY(!st.enabled);
    view->OnCommand(cmd::kEditDelete);
    QCOMPARE(doc.FrameCount(), 400000);  // refused
    CommandState copy;
    QVERIFY(view->OnUpdateCommand(cmd::kEditCopy, copy));
    QVERIFY(copy.enabled);
    // Closing the view stops and joins the worker.
    delete view;
    QVERIFY(!PulseAnalysisDialog::RunningOn(&doc));
    defaults = saved;
  }

  // The desktop's analysis and norvane-cli pulses measure with the same
  // transform: the same file and settings give the same table, whatever the
  // view's zoom, with an automatic overlap (the demo: 256 samples, overlap
  // automatic) and with both automatic (a 384 kHz recording).
  void DesktopTableEqualsTheCommandsTable() {
    nv::test::ScopedSink sink;
    QVERIFY2(QFileInfo::exists(CliPath()), qPrintable(CliPath()));
    QTemporaryDir dir, config;
    QVERIFY(dir.isValid() && config.isValid());
    nv::PulseSettings& defaults = host_.DefaultPulse();
    const nv::PulseSettings saved = defaults;
    defaults = nv::PulseSettings{};  // the first-start defaults, as the command's

    // The demo recording.
    const QString demo = dir.filePath(QStringLiteral("demo.wav"));
    QCOMPARE(RunCli({QStringLiteral("demo"), demo}, config.path()), QString());
    const QString command = RunCli({QStringLiteral("pulses"), demo}, config.path());
    QVERIFY2(command.startsWith(QStringLiteral("Puls# ")), qPrintable(command));
    QVERIFY(command.count(QLatin1Char('\n')) > 40);
    {
      nv::CNorvaneDoc doc(documents);
      CNvAnaView* view = nullptr;
      const QString desktop = DesktopTable(host_, demo, doc, view);
      QVERIFY(view);
      // 256 samples as stored, frames overlapping by three quarters.
      QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftSize, 256);
      QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftOverlap, 192);
      QCOMPARE(desktop, command);
      // The first call sweeps from 80 kHz down to 40 kHz.
      QVERIFY2(desktop.contains(QStringLiteral("\n    1 \t 50.34 \t 52.67 \t 2.33 \t 77520 \t 39621 \t")),
               qPrintable(desktop.left(400)));
      delete view;
    }

    // A recording at 384 kHz without time expansion and without a stored
    // view: automatic size and overlap; the max frequency marks placed
    // where each downward sweep begins.
    const QString real = dir.filePath(QStringLiteral("real-rate.wav"));
    {
      nv::CNorvaneDoc source(documents);
      MakeRealRateCalls(source);
      QVERIFY(source.Save({real.toStdString(), nv::FileType::StandardWave}));
    }
    const QString command384 = RunCli({QStringLiteral("pulses"), real}, config.path());
    QCOMPARE(command384.count(QLatin1Char('\n')), 8);  // titles and seven calls
    defaults.freqMaxMark = 1;
    {
      nv::CNorvaneDoc doc(documents);
      CNvAnaView* view = nullptr;
      const QString desktop = DesktopTable(host_, real, doc, view);
      QVERIFY(view);
      QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftSize, 256);
      QCOMPARE(view->Controllers().Pulses().Dialog()->Settings().fftOverlap, 192);
      QCOMPARE(desktop, command384);
      QCOMPARE(doc.Marks().size(), size_t(7));
      for (int k = 0; k < 7; ++k) {
        const int64_t start = static_cast<int64_t>((0.02 + 0.06 * k) * 384000);
        const int64_t length = static_cast<int64_t>((0.002 + 0.00065 * k) * 384000);
        const nv::MarkRecord& m = doc.Marks()[static_cast<size_t>(k)];
        QVERIFY2(m.value > 80000, qPrintable(QString::number(m.value)));
        QVERIFY2(m.position >= start && m.position < start + length / 2,
                 qPrintable(QStringLiteral("call %1: mark at %2, call %3 + %4")
                                .arg(k).arg(m.position).arg(start).arg(length)));
      }
      delete view;
    }
    defaults = saved;
  }
};

QObject* MakePulseViewTest() { return new PulseViewTest; }

#include "PulseViewTest.moc"
