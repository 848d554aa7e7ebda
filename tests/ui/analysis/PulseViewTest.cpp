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
#include "base/CommandIds.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/CNvAnaViewPower.h"
#include "views/CursorMode.h"
#include "views/PulseViewAnalyses.h"
#include "views/ViewHost.h"

namespace {

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

 private slots:
  void HistogramWindowsAtMostSixteen() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc;
    MakeBursts(doc, 100000, 5, 10000);
    auto* view = new CNvAnaView(&doc);
    view->resize(800, 500);
    view->OnInitialUpdate();
    for (int i = 0; i < 16; ++i) QVERIFY(view->OnCommand(i % 2 ? cmd::kPulseInterval : cmd::kPulseLength));
    QCOMPARE(view->Pulses()->OpenRateWindows(), 16);
    QVERIFY(sink.texts().empty());
    view->OnCommand(cmd::kPulseInterval);
    QCOMPARE(view->Pulses()->OpenRateWindows(), 16);
    QCOMPARE(sink.last(), std::string("Maximum number of Pulse Interval/Pulse Length Analysis already open."));
    // A closed window frees its slot.
    QPointer<CRateWnd> third = view->Pulses()->RateWindow(2);
    third->close();
    QTRY_VERIFY(third.isNull());
    QCOMPARE(view->Pulses()->OpenRateWindows(), 15);
    view->OnCommand(cmd::kPulseLength);
    QCOMPARE(view->Pulses()->OpenRateWindows(), 16);
    QVERIFY(view->Pulses()->RateWindow(2) != nullptr);
    // Print and preview go through the shared page printer.
    int previews = 0, prints = 0;
    PagePrinter::previewRunner = [&](QPrintPreviewDialog&) { ++previews; };
    PagePrinter::printRunner = [&](QPrintDialog&) {
      ++prints;
      return false;
    };
    emit view->Pulses()->RateWindow(2)->previewRequested(2);
    emit view->Pulses()->RateWindow(2)->printRequested(2);
    QCOMPARE(previews, 1);
    QCOMPARE(prints, 1);
    PagePrinter::previewRunner = nullptr;
    PagePrinter::printRunner = nullptr;
    // Without a selection the window analyses from the cursor to the end.
    QCOMPARE(view->Pulses()->RateWindow(2)->Histogram().RangeEnd(), int64_t(100000));
    delete view;
  }

  void HistogramIntervalMarkedAndPrintKeepsItOpen() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc;
    MakeBursts(doc, 100000, 5, 10000);
    auto* view = new CNvAnaView(&doc);
    view->resize(800, 500);
    view->OnInitialUpdate();
    CNvAnaViewPower* power = view->Power();
    // Without a selection: from the cursor to the end, marked in the view.
    view->OnCommand(cmd::kPulseInterval);
    QPointer<CRateWnd> first = view->Pulses()->RateWindow(0);
    QCOMPARE(view->Pulses()->MarkedSlot(), 0);
    QCOMPARE(int64_t(power->MarkStart()), first->Histogram().RangeStart());
    QCOMPARE(power->MarkEnd(), 100000);
    // A window on a selection marks the selection.
    view->SelectFrames(20000, 40000);
    view->OnCommand(cmd::kPulseLength);
    QPointer<CRateWnd> second = view->Pulses()->RateWindow(1);
    QCOMPARE(view->Pulses()->MarkedSlot(), 1);
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
      stayedOpen = !second.isNull() && view->Pulses()->RateWindow(1) == second;
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
    QCOMPARE(view->Pulses()->MarkedSlot(), 0);
    QCOMPARE(power->MarkEnd(), 100000);
    first->close();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(view->Pulses()->MarkedSlot(), -1);
    QCOMPARE(power->MarkStart(), -1);
    delete view;
  }

  void LevelCursorFollowsTheThresholds() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc;
    MakeBursts(doc, 100000, 5, 10000);
    ViewHost::Get().DefaultRate().threshold = 16384;
    auto* view = new CNvAnaView(&doc);
    view->OnInitialUpdate();
    view->OnCommand(cmd::kPulseInterval);
    QCOMPARE(view->Pulses()->ThresholdSlot(), 0);
    QCOMPARE(view->Plot()->Cursor().kind, int(nv::kCursorLevel));
    QCOMPARE(view->Plot()->Cursor().value, 5000);  // half of full scale
    QCOMPARE(ViewHost::Get().CursorMode(), int(nv::kModeLevel));
    ViewHost::Get().DefaultRate().threshold = -1;

    // The pulse dialog: the automatic FFT warning, then its threshold.
    view->OnCommand(cmd::kPulseCharacteristics);
    QVERIFY(view->Pulses()->Dialog() != nullptr);
    QVERIFY(sink.last().find("Warning: Pulse characteristics analysis will use automatically calculated") == 0);
    QCOMPARE(view->Pulses()->ThresholdSlot(), -1);
    QCOMPARE(view->Plot()->Cursor().value, 100);  // -20 dB: 1 % of full scale
    QCOMPARE(view->Pulses()->Dialog()->Settings().fftSize, view->Plot()->Setup().spect.fftSize);
    // A second command replaces the dialog.
    QPointer<PulseAnalysisDialog> first = view->Pulses()->Dialog();
    view->OnCommand(cmd::kPulseCharacteristics);
    QTRY_VERIFY(first.isNull());
    QVERIFY(view->Pulses()->Dialog() != nullptr);
    delete view;
  }

  void EditsWaitForTheWorkerAndClosingJoinsIt() {
    nv::test::ScopedSink sink;
    nv::CNorvaneDoc doc;
    MakeBursts(doc, 400000, 3, 100000);
    nv::PulseSettings& defaults = ViewHost::Get().DefaultPulse();
    const nv::PulseSettings saved = defaults;
    defaults.startTimeMark = 1;
    defaults.ampSeparationUs = 100;
    defaults.durTimeUs = 10;
    auto* view = new CNvAnaView(&doc);
    view->OnInitialUpdate();
    view->SelectFrames(0, 300000);
    view->OnCommand(cmd::kPulseCharacteristics);
    PulseAnalysisDialog* dialog = view->Pulses()->Dialog();
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
    dialog = view->Pulses()->Dialog();
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
};

QObject* MakePulseViewTest() { return new PulseViewTest; }

#include "PulseViewTest.moc"
