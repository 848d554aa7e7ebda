// What a sound view feeds its analysis windows, driven by the mouse as a
// user would: the channel the view shows (a view of the right channel alone
// analyses the right channel, on opening and on every update, and every
// window says so in its title), the selection's bounds in either drag
// direction, the level cursor that belongs to one analysis at a time and
// goes with it, and the analysed-interval band that goes with its window.
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QtTest>
#include <cstdlib>

#include "../../support/TestSupport.h"
#include "analysis/CPowerWnd.h"
#include "analysis/PulseAnalysisDialog.h"
#include "analysis/PulseResultsDialog.h"
#include "base/CommandIds.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/SoundViewZoom.h"
#include "views/CNvAnaViewPower.h"
#include "views/CursorMode.h"
#include "views/PulseViewAnalyses.h"
#include "views/PlainViewHost.h"

namespace {

constexpr int64_t kFrames = 100000;

// 1 MHz. Left: nine bursts of 3000 frames every 10000 frames; right: four
// quieter bursts every 20000 frames, so that each channel has its own count.
void FillBursts(nv::CNorvaneDoc& doc, int channels) {
  std::vector<int16_t> s(static_cast<size_t>(kFrames * channels), 0);
  for (int64_t i = 0; i < kFrames; ++i) {
    const int64_t l = i - 1000, r = i - 1000;
    const bool leftOn = l >= 0 && l % 10000 < 3000 && l / 10000 < 9;
    const bool rightOn = r >= 0 && r % 20000 < 3000 && r / 20000 < 4;
    const int16_t sign = (i % 2) ? -1 : 1;
    s[static_cast<size_t>(i * channels)] = static_cast<int16_t>(leftOn ? 8000 * sign : 0);
    if (channels == 2) s[static_cast<size_t>(i * 2 + 1)] = static_cast<int16_t>(rightOn ? 6000 * sign : 0);
  }
  nv::test::FillDocument(doc, channels, 16, 1000000, nv::test::Samples16(s));
}

struct Fixture {
  nv::DocumentContext documents;
  nv::CNorvaneDoc doc{documents};
  std::unique_ptr<CNvAnaView> view;
  Fixture(ViewHost& host, int channels, bool rightOnly = false) {
    FillBursts(doc, channels);
    view = std::make_unique<CNvAnaView>(host, &doc);
    view->resize(900, 500);
    view->show();
    view->OnInitialUpdate();
    if (rightOnly) {
      view->Settings().leftChannel = 0;
      view->Settings().rightChannel = 1;
    }
    // The whole sound in view.
    view->Controllers().Zoom().ZoomEntire();
    QApplication::processEvents();
  }
  nv::SoundPlot* Plot() const { return view->Plot(); }
  PulseViewAnalyses* Pulses() const { return &view->Controllers().Pulses(); }

  // The widget point of a sample, at a height inside the (upper)
  // oscillogram, `fraction` of its height from its top.
  QPoint At(int64_t sample, double fraction = 0.3) const {
    const nv::PlotSetup& s = Plot()->Setup();
    const double k = 1000.0 / std::max(1, s.scale().unitsPer1000Pixels);
    const int x = static_cast<int>(s.SampleToX(sample) * k + 0.5);
    int first = -1, last = -1;
    for (int y = 0; y < Plot()->height(); ++y) {
      const int64_t yu = -int64_t{y} * s.scale().unitsPer1000Pixels / 1000;
      if (s.HitTest(static_cast<int64_t>(x / k), yu) == nv::PlotArea::Oscillogram) {
        if (first < 0) first = y;
        last = y;
      } else if (first >= 0) {
        break;
      }
    }
    if (first < 0) return QPoint(x, Plot()->height() / 4);
    return QPoint(x, first + static_cast<int>((last - first) * fraction));
  }
  void Send(QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), QPointF(Plot()->mapToGlobal(p)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(Plot(), &e);
  }
  void Click(int64_t sample, double fraction = 0.3) {
    const QPoint p = At(sample, fraction);
    Send(QEvent::MouseButtonPress, p, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, p, Qt::NoButton);
  }
  void Drag(int64_t from, int64_t to) {
    const QPoint a = At(from), b = At(to);
    Send(QEvent::MouseButtonPress, a, Qt::LeftButton);
    Send(QEvent::MouseMove, (a + b) / 2, Qt::LeftButton);
    Send(QEvent::MouseMove, b, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, b, Qt::NoButton);
  }
  // The selection's bounds, smaller first.
  std::pair<int32_t, int32_t> Bounds() const {
    const int32_t a = Plot()->SelectionStart().position, b = Plot()->SelectionEnd().position;
    return {std::min(a, b), std::max(a, b)};
  }
};

void Settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

}  // namespace

class ViewFeedTest : public QObject {
  Q_OBJECT

  // The host of the views the tests make.
  PlainViewHost host_;

  nv::RateSettings savedRate_;
  nv::PulseSettings savedPulse_;
  nv::PowerSettings savedPower_;

 private slots:
  void init() {
    savedRate_ = host_.DefaultRate();
    savedPulse_ = host_.DefaultPulse();
    savedPower_ = host_.DefaultPower();
    nv::RateSettings& r = host_.DefaultRate();
    r = nv::RateSettings{};
    r.delayMs = 1;
    r.threshold = 4000;
    r.contUpdate = 1;
    host_.DefaultPulse().contUpdate = 1;
    host_.DefaultPower() = nv::PowerSettings{};
    host_.DefaultPower().contUpdate = 1;
    host_.SetCursorMode(nv::CursorMode::Marking);
  }
  void cleanup() {
    host_.DefaultRate() = savedRate_;
    host_.DefaultPulse() = savedPulse_;
    host_.DefaultPower() = savedPower_;
    host_.SetCursorMode(nv::CursorMode::None);
  }

  // A view of the right channel alone: every analysis takes the right
  // channel, from a click and from a drag, when it opens and when it
  // follows, and its title says so.
  void aViewOfOneChannelFeedsThatChannel() {
    nv::test::ScopedSink sink;
    Fixture f(host_, 2, true);
    f.Click(500);
    f.view->OnCommand(cmd::kPulseInterval);
    f.view->OnCommand(cmd::kPulseLength);
    host_.SetCursorMode(nv::CursorMode::Marking);
    f.view->OnCommand(cmd::kPulseCharacteristics);
    host_.SetCursorMode(nv::CursorMode::Marking);
    CPowerWnd* power = f.view->Controllers().Power().OpenPowerSpectrum();
    CRateWnd* interval = f.Pulses()->RateWindow(0);
    CRateWnd* length = f.Pulses()->RateWindow(1);
    PulseAnalysisDialog* dialog = f.Pulses()->Dialog();
    QVERIFY(interval && length && dialog && power);
    auto check = [&](const char* when, int64_t intervals, int64_t pulses) {
      const QString w = QString::fromLatin1(when);
      QVERIFY2(interval->windowTitle() == "Pulse Interval Analysis - Right channel.",
               qPrintable(w + ": " + interval->windowTitle()));
      QVERIFY2(length->windowTitle() == "Pulse Length Analysis - Right channel.",
               qPrintable(w + ": " + length->windowTitle()));
      QCOMPARE(interval->Histogram().Channel(), 1);
      QCOMPARE(length->Histogram().Channel(), 1);
      interval->AsciiText();
      length->AsciiText();
      QCOMPARE(interval->Histogram().Total(), intervals);
      QCOMPARE(length->Histogram().Total(), pulses);
      QVERIFY2(!dialog->Settings().leftChannel, when);
      QVERIFY2(dialog->windowTitle() == "Pulse characteristics analysis - Right channel.",
               qPrintable(w + ": " + dialog->windowTitle()));
      QVERIFY2(power->windowTitle().endsWith(" - Right channel.") && !power->windowTitle().contains("Left"),
               qPrintable(w + ": " + power->windowTitle()));
    };
    check("opening", 3, 4);
    // A new cursor: the windows follow it, on the same channel.
    f.Click(20500);
    QCOMPARE(interval->Histogram().RangeStart(), int64_t(f.Plot()->Cursor().position));
    check("cursor", 2, 3);
    // A selection over the whole sound.
    f.Drag(100, kFrames - 100);
    QVERIFY(f.view->HasSelection());
    check("selection", 3, 4);
    // The level cursor lies on the channel analysed.
    f.view->OnCommand(cmd::kPulseInterval);
    QCOMPARE(f.Plot()->Cursor().channel, 2);
    QVERIFY(sink.texts().size() <= 1);  // the automatic FFT warning at most
  }

  // A mono sound: the titles name its one channel (channel 1, the left),
  // not two; a stereo selection on both channels analyses the left one and
  // says only that.
  void titlesSayTheChannelAnalysed() {
    nv::test::ScopedSink sink;
    {
      Fixture f(host_, 1);
      f.view->OnCommand(cmd::kPulseInterval);
      f.view->OnCommand(cmd::kPulseLength);
      f.view->OnCommand(cmd::kPulseCharacteristics);
      QCOMPARE(f.Pulses()->RateWindow(0)->windowTitle(), QStringLiteral("Pulse Interval Analysis - Left channel."));
      QCOMPARE(f.Pulses()->RateWindow(1)->windowTitle(), QStringLiteral("Pulse Length Analysis - Left channel."));
      QCOMPARE(f.Pulses()->Dialog()->windowTitle(),
               QStringLiteral("Pulse characteristics analysis - Left channel."));
    }
    {
      Fixture f(host_, 2);
      f.view->SelectFrames(0, static_cast<int32_t>(kFrames));
      f.view->OnCommand(cmd::kPulseInterval);
      f.view->OnCommand(cmd::kPulseCharacteristics);
      QCOMPARE(f.Pulses()->RateWindow(0)->windowTitle(), QStringLiteral("Pulse Interval Analysis - Left channel."));
      QCOMPARE(f.Pulses()->RateWindow(0)->Histogram().Channel(), 0);
      QCOMPARE(f.Pulses()->Dialog()->windowTitle(),
               QStringLiteral("Pulse characteristics analysis - Left channel."));
    }
  }

  // Dragged from left to right or from right to left, the same selection
  // reaches every analysis with its smaller bound first.
  void bothDragDirectionsGiveTheSameRange() {
    nv::test::ScopedSink sink;
    Fixture f(host_, 2);
    f.view->OnCommand(cmd::kPulseInterval);
    f.view->OnCommand(cmd::kPulseLength);
    f.view->OnCommand(cmd::kPulseCharacteristics);
    host_.SetCursorMode(nv::CursorMode::Marking);
    CPowerWnd* power = f.view->Controllers().Power().OpenPowerSpectrum();
    CRateWnd* interval = f.Pulses()->RateWindow(0);
    CRateWnd* length = f.Pulses()->RateWindow(1);
    PulseAnalysisDialog* dialog = f.Pulses()->Dialog();
    int64_t totals[2][2] = {};
    for (int reversed = 0; reversed < 2; ++reversed) {
      if (reversed) f.Drag(kFrames - 5000, 15000);
      else f.Drag(15000, kFrames - 5000);
      QVERIFY(f.view->HasSelection());
      const auto [lo, hi] = f.Bounds();
      QVERIFY(hi - lo > 50000);
      const QString dir = reversed ? "right to left" : "left to right";
      QVERIFY2(power->Model().Start() == lo && power->Model().End() == hi, qPrintable(dir));
      QVERIFY2(interval->Histogram().RangeStart() == lo && interval->Histogram().RangeEnd() == hi,
               qPrintable(dir));
      QVERIFY2(length->Histogram().RangeStart() == lo && length->Histogram().RangeEnd() == hi, qPrintable(dir));
      QVERIFY2(dialog->RangeStart() == lo && dialog->RangeEnd() == hi, qPrintable(dir));
      interval->AsciiText();
      length->AsciiText();
      totals[reversed][0] = interval->Histogram().Total();
      totals[reversed][1] = length->Histogram().Total();
      QVERIFY2(totals[reversed][0] > 0 && totals[reversed][1] > 0, qPrintable(dir));
    }
    QCOMPARE(totals[1][0], totals[0][0]);
    QCOMPARE(totals[1][1], totals[0][1]);
    // Each window orders bounds given the other way round as well.
    power->ViewChanged(70000, 30000, 3, false);
    interval->SelectionChanged(70000, 30000, 3, false);
    dialog->SetRange(70000, 30000, 3);
    QCOMPARE(power->Model().Start(), int64_t{30000});
    QCOMPARE(power->Model().End(), int64_t{70000});
    QCOMPARE(interval->Histogram().RangeStart(), int64_t{30000});
    QCOMPARE(interval->Histogram().RangeEnd(), int64_t{70000});
    QCOMPARE(dialog->RangeStart(), 30000);
    QCOMPARE(dialog->RangeEnd(), 70000);
  }

  // A level-cursor click reaches only the analysis the level cursor
  // belongs to.
  void eachAnalysisFollowsItsOwnThreshold() {
    nv::test::ScopedSink sink;
    host_.DefaultRate().threshold = 16384;
    Fixture f(host_, 2);
    // The dialog first, then a histogram window: the window holds the cursor.
    f.view->OnCommand(cmd::kPulseCharacteristics);
    PulseAnalysisDialog* dialog = f.Pulses()->Dialog();
    const int32_t dialogThreshold = dialog->Settings().ampThreshold;
    f.view->OnCommand(cmd::kPulseInterval);
    CRateWnd* w = f.Pulses()->RateWindow(0);
    QCOMPARE(f.Pulses()->ThresholdSlot(), 0);
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Level);
    f.Click(30000, 0.2);
    const int32_t level = f.Plot()->Cursor().value;
    QVERIFY(level > 0);
    QCOMPARE(w->Histogram().Threshold(), static_cast<int32_t>(int64_t{level} * 32768 / 10000));
    QCOMPARE(dialog->Settings().ampThreshold, dialogThreshold);
    // A new pulse dialog holds it now: the window keeps its threshold.
    f.view->OnCommand(cmd::kPulseCharacteristics);
    dialog = f.Pulses()->Dialog();
    QCOMPARE(f.Pulses()->ThresholdSlot(), -1);
    const int32_t windowThreshold = w->Histogram().Threshold();
    f.Click(30000, 0.1);
    QCOMPARE(dialog->Settings().ampThreshold, PulseAnalysisDialog::ThresholdOfLevel(f.Plot()->Cursor().value));
    QCOMPARE(w->Histogram().Threshold(), windowThreshold);
    // The window's "Update threshold" takes the level cursor back.
    w->UpdateThreshold();
    QCOMPARE(f.Pulses()->ThresholdSlot(), 0);
    QCOMPARE(f.Plot()->Cursor().value, w->LevelOfThreshold());
  }

  // An automatic threshold shows only while the view is in threshold mode
  // for that window: it neither switches the mode nor replaces the user's
  // cursor, nor takes the level cursor from another window.
  void anAutomaticThresholdLeavesTheUsersCursor() {
    nv::test::ScopedSink sink;
    // Without automatic settings the threshold is found anew at every set-up.
    host_.DefaultRate().threshold = -1;
    host_.DefaultRate().autoCalc = 0;
    Fixture f(host_, 2);
    f.view->OnCommand(cmd::kPulseInterval);
    CRateWnd* automatic = f.Pulses()->RateWindow(0);
    automatic->AsciiText();
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Level);
    QCOMPARE(f.Plot()->Cursor().value, automatic->LevelOfThreshold());
    // Another window with a threshold of its own holds the level cursor.
    host_.DefaultRate().threshold = 16384;
    f.view->OnCommand(cmd::kPulseLength);
    QCOMPARE(f.Pulses()->ThresholdSlot(), 1);
    QCOMPARE(f.Plot()->Cursor().value, 5000);
    automatic->SetUp();
    automatic->AsciiText();
    QVERIFY(automatic->Histogram().Threshold() > 0);
    QCOMPARE(f.Pulses()->ThresholdSlot(), 1);
    QCOMPARE(f.Plot()->Cursor().value, 5000);
    // The user takes the marking cursor: the windows follow the cursor but
    // the view stays as the user set it.
    f.view->OnCommand(cmd::kCursorMarking);
    f.Click(40500);
    const int32_t at = f.Plot()->Cursor().position;
    QCOMPARE(automatic->Histogram().RangeStart(), int64_t(at));
    automatic->AsciiText();
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Marking);
    QCOMPARE(f.Plot()->Cursor().kind, nv::CursorKind::Marking);
    QCOMPARE(f.Plot()->Cursor().position, at);
  }

  // Closing the window that holds the level cursor takes the level cursor
  // away and gives the user back the mode and the cursor of before; after
  // a pulse analysis the next drag selects again.
  void closingReturnsTheViewToTheUser() {
    nv::test::ScopedSink sink;
    host_.DefaultRate().threshold = 16384;
    Fixture f(host_, 2);
    f.Click(25000);
    const nv::CursorRecord before = f.Plot()->Cursor();
    QCOMPARE(before.kind, nv::CursorKind::Marking);
    QPointer<CRateWnd> w = (f.view->OnCommand(cmd::kPulseInterval), f.Pulses()->RateWindow(0));
    QCOMPARE(f.Plot()->Cursor().kind, nv::CursorKind::Level);
    w->close();
    QTRY_VERIFY(w.isNull());
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Marking);
    QCOMPARE(f.Plot()->Cursor().kind, nv::CursorKind::Marking);
    QCOMPARE(f.Plot()->Cursor().position, before.position);

    // The pulse dialog, run and closed with "Close".
    nv::PulseSettings& defaults = host_.DefaultPulse();
    defaults.ampSeparationUs = 100;
    defaults.durTimeUs = 10;
    f.view->OnCommand(cmd::kPulseCharacteristics);
    QPointer<PulseAnalysisDialog> dialog = f.Pulses()->Dialog();
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Level);
    dialog->Calculate();
    QTRY_VERIFY(!dialog->WorkerRunning());
    const int32_t threshold = dialog->Settings().ampThreshold;
    QMetaObject::invokeMethod(dialog.data(), [&] { emit dialog->closeRequested(true); dialog->deleteLater(); });
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(!f.Pulses()->Dialog());
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Marking);
    QCOMPARE(f.Plot()->Cursor().kind, nv::CursorKind::Marking);
    f.Drag(30000, 60000);
    QVERIFY(f.view->HasSelection());
    QCOMPARE(host_.DefaultPulse().ampThreshold, threshold);

    // A window closed after the user chose another cursor mode: its level
    // cursor goes all the same, the mode stays the user's.
    w = (f.view->OnCommand(cmd::kPulseLength), f.Pulses()->RateWindow(0));
    QCOMPARE(f.Plot()->Cursor().kind, nv::CursorKind::Level);
    f.view->OnCommand(cmd::kCursorLargeMeasurement);
    w->close();
    QTRY_VERIFY(w.isNull());
    QCOMPARE(host_.CursorMode(), nv::CursorMode::LargeMeasurement);
    QVERIFY(f.Plot()->Cursor().kind != nv::CursorKind::Level);

    // Escape on a dialog opened in measurement mode returns to it.
    f.view->OnCommand(cmd::kCursorMeasurement);
    f.view->OnCommand(cmd::kPulseCharacteristics);
    dialog = f.Pulses()->Dialog();
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Level);
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(host_.CursorMode(), nv::CursorMode::Measurement);
    QVERIFY(f.Plot()->Cursor().kind != nv::CursorKind::Level);
  }

  // The band marks the interval of an open window only: it goes when the
  // power window or the histogram window whose interval it shows closes,
  // and returns to a window still open.
  void theBandGoesWithItsWindow() {
    nv::test::ScopedSink sink;
    Fixture f(host_, 2);
    CNvAnaViewPower* power = &f.view->Controllers().Power();
    // A histogram window, then a power window on the cursor.
    f.Click(20000);
    const int32_t at = f.Plot()->Cursor().position;
    QPointer<CRateWnd> rate = (f.view->OnCommand(cmd::kPulseInterval), f.Pulses()->RateWindow(0));
    host_.SetCursorMode(nv::CursorMode::Marking);
    QCOMPARE(power->MarkEnd(), int32_t(kFrames));
    QPointer<CPowerWnd> spectrum = power->OpenPowerSpectrum();
    QCOMPARE(power->MarkStart(), at);
    QCOMPARE(power->MarkEnd(), at + 1024);
    // The power window closes: the histogram's interval is marked again.
    spectrum->close();
    Settle();
    QVERIFY(spectrum.isNull());
    QCOMPARE(power->MarkEnd(), int32_t(kFrames));
    // The other way round: the histogram window closes, the power window's
    // interval is marked.
    spectrum = power->OpenPowerSpectrum();
    rate->SetUp();  // the histogram marks its interval again
    QCOMPARE(power->MarkEnd(), int32_t(kFrames));
    rate->close();
    QTRY_VERIFY(rate.isNull());
    QCOMPARE(power->MarkStart(), at);
    QCOMPARE(power->MarkEnd(), at + 1024);
    // The last window goes: no band.
    spectrum->close();
    Settle();
    QCOMPARE(power->MarkStart(), -1);
    // A histogram window and a power window that leaves follow-cursor mode.
    rate = (f.view->OnCommand(cmd::kPulseLength), f.Pulses()->RateWindow(0));
    host_.SetCursorMode(nv::CursorMode::Marking);
    spectrum = power->OpenPowerSpectrum();
    f.Drag(30000, 50000);
    QVERIFY(!spectrum->Model().FollowCursor());
    QCOMPARE(power->MarkStart(), f.Bounds().first);
    QCOMPARE(power->MarkEnd(), f.Bounds().second);
    rate->close();
    QTRY_VERIFY(rate.isNull());
    QCOMPARE(power->MarkStart(), -1);
  }
};

QObject* MakeViewFeedTest() { return new ViewFeedTest; }

#include "ViewFeedTest.moc"
