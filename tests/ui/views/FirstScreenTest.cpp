// A new user's first minutes, in the running application under the
// offscreen platform, checked on pictures of the plot and the toolbar:
// a half-second 384 kHz field recording of FM calls opens with its calls
// spread over the whole plot (unless the file's own view settings, or the
// fitting switch, say otherwise); the wheel, Ctrl+wheel and the page keys
// move and zoom the visible stretch; on a first start the marking cursor is
// chosen and its toolbar button is pressed, as is the level tool that an
// analysis switches to, and a stored choice is kept.
#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "audio/SimulatedAudioBackend.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/CursorMode.h"
#include "views/QtAudioExecutor.h"

using nv::CNorvaneDoc;

namespace {

constexpr int kBatRate = 384000;
constexpr int kCalls = 5;
// The calls' starts in a half-second recording (seconds).
constexpr double kCallStart[kCalls] = {0.05, 0.14, 0.23, 0.32, 0.41};

}  // namespace

class FirstScreenTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;

  QString Write(const QString& name, int rate, const std::vector<int16_t>& s, nv::FileType type) {
    CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, rate, nv::test::Samples16(s));
    const QString p = dir_.filePath(name);
    if (!doc.Save({p.toStdString(), type})) qFatal("cannot write test file");
    return p;
  }
  // Half a second at 384 kHz, as a bat recorder writes it: five 4 ms FM
  // calls sweeping down from 80 to 35 kHz over a little noise.
  QString WriteFieldRecording(const QString& name = "field.wav") {
    std::vector<int16_t> s(kBatRate / 2);
    uint32_t noise = 12345;
    for (size_t i = 0; i < s.size(); ++i) {
      noise = noise * 1664525u + 1013904223u;
      s[i] = static_cast<int16_t>(static_cast<int>(noise >> 29) - 4);
    }
    for (double start : kCallStart) {
      const int first = static_cast<int>(start * kBatRate), n = kBatRate * 4 / 1000;
      double phase = 0;
      for (int i = 0; i < n; ++i) {
        const double f = 80000.0 - 45000.0 * i / n;
        phase += 2 * M_PI * f / kBatRate;
        const double envelope = std::sin(M_PI * i / n);
        s[static_cast<size_t>(first + i)] = static_cast<int16_t>(std::lround(20000 * envelope * std::sin(phase)));
      }
    }
    return Write(name, kBatRate, s, nv::FileType::StandardWave);
  }
  // `seconds` of silence at 44.1 kHz with 20 ms tone bursts at `bursts`.
  QString WriteBursts(const QString& name, double seconds, std::initializer_list<double> bursts) {
    std::vector<int16_t> s(static_cast<size_t>(seconds * 44100));
    for (double at : bursts)
      for (int i = 0; i < 882; ++i)
        s[static_cast<size_t>(at * 44100) + static_cast<size_t>(i)] =
            static_cast<int16_t>(20000 * std::sin(i * 2 * M_PI * 2000 / 44100));
    return Write(name, 44100, s, nv::FileType::StandardWave);
  }
  QToolBar* ToolBar() const { return Frame()->findChild<QToolBar*>("toolBar"); }
  QToolButton* ToolButton(int id) const {
    return qobject_cast<QToolButton*>(ToolBar()->widgetForAction(Frame()->Action(id)));
  }
  bool Start(const QString& file) {
    const bool ok = StartApp({file}, {1000, 700}, true);
    if (ok) Frame()->UpdateCommandUi();
    return ok;
  }
  // The plot's picture; with NV_SHOT_DIR set each one is also saved there,
  // to look at.
  QImage Picture() const {
    QImage img = View()->Plot()->Grab().copy();
    if (qEnvironmentVariableIsSet("NV_SHOT_DIR"))
      img.save(qEnvironmentVariable("NV_SHOT_DIR") + QStringLiteral("/plot-%1.png").arg(shots_++));
    return img;
  }
  mutable int shots_ = 0;
  // The inside of a diagram in pixels, within its frame lines.
  QRect PixelRect(const nv::PlotRect& r) const {
    const int64_t per1000 = View()->Plot()->Setup().scale().unitsPer1000Pixels;
    auto px = [&](int64_t u) { return static_cast<int>(u * 1000 / per1000); };
    return QRect(QPoint(px(r.left), px(-r.top)), QPoint(px(r.right) - 1, px(-r.bottom) - 1)).adjusted(2, 2, -2, -2);
  }
  // Per pixel column of `r`: how many of its pixels differ from the same
  // rows of the column `quietX`, which shows no sound.
  static std::vector<int> Ink(const QImage& img, const QRect& r, int quietX) {
    std::vector<int> ink(static_cast<size_t>(r.width()));
    for (int x = r.left(); x <= r.right(); ++x)
      for (int y = r.top(); y <= r.bottom(); ++y)
        ink[static_cast<size_t>(x - r.left())] += img.pixel(x, y) != img.pixel(quietX, y);
    return ink;
  }
  // The runs of columns with more ink than `threshold`, as centres in
  // fractions of the width (runs closer than `gap` columns joined).
  static std::vector<double> Runs(const std::vector<int>& ink, int threshold, int gap = 3) {
    std::vector<double> centres;
    int start = -1, last = -1;
    auto close = [&] {
      if (start >= 0) centres.push_back((start + last) / 2.0 / static_cast<double>(ink.size()));
    };
    for (int x = 0; x < static_cast<int>(ink.size()); ++x) {
      if (ink[static_cast<size_t>(x)] <= threshold) continue;
      if (start < 0 || x - last > gap) {
        close();
        start = x;
      }
      last = x;
    }
    close();
    return centres;
  }
  // The bursts seen in the oscillogram, as centres in fractions of its width.
  std::vector<double> Bursts() const {
    const QImage img = Picture();
    const QRect r = PixelRect(View()->Plot()->Setup().layout.osc);
    // Rows of a silent column: the zero line and the background.
    std::vector<int> ink(static_cast<size_t>(r.width()));
    for (int x = r.left(); x <= r.right(); ++x) {
      int top = r.bottom() + 1, bottom = r.top() - 1;
      for (int y = r.top() + 2; y <= r.bottom() - 2; ++y)
        if (img.pixel(x, y) != img.pixel(x, r.top() + 1) && img.pixel(x, y) != img.pixel(r.left() + 1, r.top() + 1)) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      ink[static_cast<size_t>(x - r.left())] = bottom >= top ? bottom - top + 1 : 0;
    }
    return Runs(ink, r.height() / 3);
  }
  void SendWheel(int delta, double fx, Qt::KeyboardModifiers mods) {
    QWidget* plot = View()->Plot();
    const QRect r = PixelRect(View()->Plot()->Setup().layout.osc);
    const QPointF pos(r.left() + r.width() * fx, r.center().y());
    QWheelEvent e(pos, plot->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(plot, &e);
    Settle();
  }
  void Key(int key) {
    QTest::keyClick(View(), static_cast<Qt::Key>(key));
    Settle();
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = true;
    audio_ = std::make_unique<nv::SimulatedAudioBackend>(QtAudioExecutor::Instance());
    MakeApp(audio_.get());
  }

  void cleanup() {
    app_.reset();
    Settle();
    audio_.reset();
    store_.reset();
    sink_.Remove();
  }

  // The half-second recording fills the plot: its five calls appear in
  // the spectrogram where they lie in the sound, the last one in the right
  // half, not a few pixels at the left edge of a 15-second view.
  void shortFieldRecordingOpensFitted() {
    QVERIFY(Start(WriteFieldRecording()));
    CNvAnaView* v = View();
    QVERIFY(v);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{500000});
    QCOMPARE(v->Plot()->Setup().firstVisible(), 0);
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
    // (The spectrogram's first column, at the sound's start, is left out.)
    const QRect spect = PixelRect(v->Plot()->Setup().layout.spect).adjusted(3, 0, 0, 0);
    const QImage img = Picture();
    const std::vector<double> calls =
        Runs(Ink(img, spect, spect.left() + spect.width() / 50), spect.height() / 20);
    QString found;
    for (double c : calls) found += QString::number(c) + " ";
    QVERIFY2(static_cast<int>(calls.size()) == kCalls, qPrintable(found));
    for (int i = 0; i < kCalls; ++i)
      QVERIFY2(std::abs(calls[static_cast<size_t>(i)] - (kCallStart[i] + 0.002) / 0.5) < 0.02,
               qPrintable(QString::number(calls[static_cast<size_t>(i)])));
    // Default Zoom still gives the span of the settings; Fit to Window
    // (View menu, Ctrl+F) fits again, and Zoom Out undoes it.
    QCOMPARE(Frame()->Action(cmd::kZoomFit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    Frame()->Route(cmd::kZoomDefault);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{15000000});
    Frame()->Route(cmd::kZoomFit);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{500000});
    QCOMPARE(v->Plot()->Setup().firstVisible(), 0);
    Frame()->Route(cmd::kZoomOut);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{15000000});

    // A file with a view record of its own opens with its stored span.
    v->Settings().timePerPlotUs = 2000000;
    v->Recompute();
    const QString kept = dir_.filePath("kept.wav");
    QVERIFY(v->Document()->Save({kept.toStdString(), nv::FileType::NorvaneWave}));
    QVERIFY(app_->OpenDocumentFile(kept));
    Settle();
    QVERIFY(View() != v);
    QCOMPARE(View()->Settings().timePerPlotUs, int64_t{2000000});

    // With fitting switched off (View menu) a short sound opens at the span.
    QVERIFY(Frame()->Action(cmd::kViewFitShortSounds)->isChecked());
    Frame()->Route(cmd::kViewFitShortSounds);
    Frame()->UpdateCommandUi();
    QVERIFY(!Frame()->Action(cmd::kViewFitShortSounds)->isChecked());
    QVERIFY(app_->OpenDocumentFile(WriteFieldRecording("other.wav")));
    Settle();
    QCOMPARE(View()->Settings().timePerPlotUs, int64_t{15000000});
    // ... and the switch is stored at exit.
    app_->ExitInstance();
    QCOMPARE(store_->ReadNumber("Settings\\View", "FitShortSounds"), 0);
  }

  // A sound longer than the span keeps the span.
  void longSoundKeepsTheSpan() {
    QVERIFY(Start(WriteBursts("long.wav", 20, {1.0})));
    QCOMPARE(View()->Settings().timePerPlotUs, int64_t{15000000});
  }

  // A 12-second sound with bursts at 1.5 s and 11.75 s, shown one second
  // at a time: Page Down and Page Up move by the whole screen, End shows
  // the last second, Home the first; the wheel scrolls a tenth of a screen
  // a notch; Ctrl+wheel zooms around the mouse, so the burst under it stays.
  void wheelAndPageKeysMoveTheVisibleRange() {
    QVERIFY(Start(WriteBursts("bursts.wav", 12, {1.5, 11.75})));
    CNvAnaView* v = View();
    v->Settings().timePerPlotUs = 1000000;
    v->Recompute();
    Settle();
    const int64_t page = v->Plot()->Setup().samplesPerPlot();
    QCOMPARE(page, int64_t{44100});
    QVERIFY(Bursts().empty());
    Key(Qt::Key_PageDown);
    QCOMPARE(v->Plot()->Setup().firstVisible(), page);
    QCOMPARE(v->ScrollBar()->value(), int(page));
    std::vector<double> b = Bursts();
    QCOMPARE(static_cast<int>(b.size()), 1);
    QVERIFY2(std::abs(b[0] - 0.51) < 0.02, qPrintable(QString::number(b[0])));
    Key(Qt::Key_PageDown);
    QCOMPARE(v->Plot()->Setup().firstVisible(), 2 * page);
    QVERIFY(Bursts().empty());
    Key(Qt::Key_PageUp);
    QCOMPARE(v->Plot()->Setup().firstVisible(), page);
    Key(Qt::Key_End);
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
    b = Bursts();
    QCOMPARE(static_cast<int>(b.size()), 1);
    QVERIFY2(std::abs(b[0] - 0.76) < 0.02, qPrintable(QString::number(b[0])));
    Key(Qt::Key_PageDown);  // never past the end
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
    Key(Qt::Key_Home);
    QCOMPARE(v->Plot()->Setup().firstVisible(), 0);
    QVERIFY(Bursts().empty());

    // The wheel: from one second on, two notches towards the user move a
    // fifth of a screen later, so the burst moves a fifth to the left.
    v->ScrollTo(page);
    Settle();
    SendWheel(-120, 0.5, Qt::NoModifier);
    SendWheel(-120, 0.5, Qt::NoModifier);
    QCOMPARE(v->Plot()->Setup().firstVisible(), page + page / 5);
    b = Bursts();
    QCOMPARE(static_cast<int>(b.size()), 1);
    QVERIFY2(std::abs(b[0] - 0.31) < 0.02, qPrintable(QString::number(b[0])));
    SendWheel(240, 0.5, Qt::NoModifier);
    QCOMPARE(v->Plot()->Setup().firstVisible(), page);

    // Ctrl+wheel over the burst: four notches in, in smooth steps of 1.25;
    // the burst stays under the mouse and grows; Zoom Out returns.
    const double at = Bursts()[0];
    const std::vector<int> before = [&] {
      const QRect r = PixelRect(v->Plot()->Setup().layout.osc);
      return Ink(Picture(), r, r.left() + 2);
    }();
    for (int i = 0; i < 4; ++i) SendWheel(120, at, Qt::ControlModifier);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{409600});
    b = Bursts();
    QCOMPARE(static_cast<int>(b.size()), 1);
    QVERIFY2(std::abs(b[0] - at) < 0.02, qPrintable(QString::number(b[0]) + " " + QString::number(at)));
    const QRect r = PixelRect(v->Plot()->Setup().layout.osc);
    const std::vector<int> after = Ink(Picture(), r, r.left() + 2);
    auto wide = [&](const std::vector<int>& ink) {
      return std::count_if(ink.begin(), ink.end(), [&](int n) { return n > r.height() / 3; });
    };
    QVERIFY2(wide(after) > 2 * wide(before), qPrintable(QString("%1 %2").arg(wide(after)).arg(wide(before))));
    Frame()->Route(cmd::kZoomOut);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{1000000});
    // Ctrl+wheel out stops at the whole sound.
    for (int i = 0; i < 40; ++i) SendWheel(-120, 0.5, Qt::ControlModifier);
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{12000000});
    QCOMPARE(v->Plot()->Setup().firstVisible(), 0);
    QCOMPARE(static_cast<int>(Bursts().size()), 2);
  }

  // First start: the marking cursor, its toolbar button pressed beside the
  // measurement and level tools, and a drag selects at once; the level
  // tool shows pressed while an analysis sets its threshold; a chosen mode
  // is stored and kept at the next start.
  void markingCursorFromTheStart() {
    QVERIFY(Start(WriteFieldRecording()));
    QCOMPARE(app_->cursorMode, nv::CursorMode::Marking);
    QToolButton* marking = ToolButton(cmd::kCursorMarking);
    QToolButton* measuring = ToolButton(cmd::kCursorMeasurement);
    QToolButton* level = ToolButton(cmd::kCursorLevel);
    QVERIFY(marking && measuring && level);
    QVERIFY(marking->isChecked());
    QVERIFY(!measuring->isChecked());
    const QImage pressed = marking->grab().toImage();
    // A drag selects.
    CNvAnaView* v = View();
    const QRect r = PixelRect(v->Plot()->Setup().layout.osc);
    QWidget* plot = v->Plot();
    const QPoint a(r.left() + r.width() / 5, r.center().y()), b(r.left() + r.width() * 3 / 5, r.center().y());
    QTest::mousePress(plot, Qt::LeftButton, {}, a);
    QMouseEvent move(QEvent::MouseMove, b, plot->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
    QVERIFY(v->HasSelection());
    // Another tool: the buttons follow, and the picture of the marking
    // button is no longer the pressed one.
    measuring->click();
    Frame()->UpdateCommandUi();
    QCOMPARE(app_->cursorMode, nv::CursorMode::Measurement);
    QVERIFY(!marking->isChecked());
    QVERIFY(measuring->isChecked());
    QVERIFY(marking->grab().toImage() != pressed);
    // An analysis that sets its threshold switches to the level tool.
    Frame()->Route(cmd::kPulseInterval);
    Settle();
    QCOMPARE(app_->cursorMode, nv::CursorMode::Level);
    Frame()->UpdateCommandUi();
    QVERIFY(level->isChecked());
    QVERIFY(!measuring->isChecked());
    app_->cursorMode = nv::CursorMode::Measurement;
    app_->ExitInstance();
    QCOMPARE(store_->ReadNumber("Settings\\View", "CursorMode"), static_cast<int>(nv::CursorMode::Measurement));
  }

  void storedCursorModeIsKept() {
    store_->WriteNumber("Settings\\View", "CursorMode", static_cast<int>(nv::CursorMode::LargeMeasurement));
    QVERIFY(Start(WriteFieldRecording()));
    QCOMPARE(app_->cursorMode, nv::CursorMode::LargeMeasurement);
    QVERIFY(!ToolButton(cmd::kCursorMarking)->isChecked());
  }
};

int RunFirstScreenTest(int argc, char** argv) {
  FirstScreenTest t;
  return QTest::qExec(&t, argc, argv);
}
#include "FirstScreenTest.moc"
