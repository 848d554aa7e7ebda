// A random user: thousands of random actions on the desktop application
// with the simulated sound device — open, drop, new, close, play, stop,
// speeds and volume, the detector, recording, selections in both directions
// on every strip, edits, undo and redo, filters, format changes, analysis
// windows, the pulse analysis, marks, save and reopen — checking after each
// step that the documents' lengths and their views agree and that no
// message says "Out of memory". Every dialog that opens is answered at once
// (accepted or cancelled, at random).
//
// The seed is printed first; NORVANE_RANDOM_SEED=N replays a run exactly
// (the sound device only moves when the test says so), NORVANE_RANDOM_ACTIONS
// sets how many actions are run (default 1500) and NORVANE_RANDOM_SECONDS
// bounds the run's time (default 50; the run stops early, saying how far it
// came, rather than outlast the test's time limit under the sanitizers).
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <cmath>
#include <random>

#include "AppFixture.h"
#include "TestSupport.h"
#include "app/CChildFrame.h"
#include "app/CSndFileDialog.h"
#include "app/CompressionDialog.h"
#include "audio/SimulatedAudioBackend.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/DemoRecording.h"
#include "plot/SoundPlot.h"
#include "views/QtAudioExecutor.h"

using nv::CNorvaneDoc;

class RandomUserTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;
  std::mt19937 rng_;
  QStringList files_;
  std::optional<SndFileChoice> openAnswer_, saveAnswer_;
  int saves_ = 0;

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  double Fraction() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

  QString Write(const QString& name, int channels, int bits, int rateHz, double seconds, nv::FileType type) {
    CNorvaneDoc doc(documents);
    const int frames = static_cast<int>(rateHz * seconds);
    std::vector<int16_t> s(static_cast<size_t>(frames * channels));
    // Calls of 5 ms every 50 ms over a little noise.
    for (size_t i = 0; i < s.size(); ++i) {
      const double t = static_cast<double>(i / static_cast<size_t>(channels)) / rateHz;
      const bool call = std::fmod(t, 0.05) < 0.005;
      s[i] = static_cast<int16_t>((call ? 12000 : 300) * std::sin(static_cast<double>(i) * 0.9));
    }
    if (bits == 16) {
      nv::test::FillDocument(doc, channels, 16, rateHz, nv::test::Samples16(s));
    } else {
      std::vector<uint8_t> b(s.size());
      for (size_t i = 0; i < s.size(); ++i) b[i] = static_cast<uint8_t>(128 + s[i] / 256);
      nv::test::FillDocument(doc, channels, 8, rateHz, b);
    }
    const QString p = dir_.filePath(name);
    if (!doc.Save({p.toStdString(), type})) qFatal("cannot write test file");
    return p;
  }

  // Every modal dialog is answered as soon as it shows.
  void AnswerDialogs() {
    QWidget* w = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<QDialog*>(w)) {
      if (Fraction() < 0.5)
        d->accept();
      else
        d->reject();
    }
  }

  void Drop(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame(), &enter);
    if (!enter.isAccepted()) return;
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame(), &drop);
  }

  // A drag over one strip of the active view's plot, either way.
  void DragSelection() {
    CNvAnaView* v = View();
    if (!v) return;
    QWidget* plot = v->Plot();
    const QPoint a(static_cast<int>(plot->width() * Fraction()), static_cast<int>(plot->height() * Fraction()));
    const QPoint b(static_cast<int>(plot->width() * Fraction()), a.y() + Pick(9) - 4);
    QTest::mousePress(plot, Qt::LeftButton, {}, a);
    QMouseEvent move(QEvent::MouseMove, b, plot->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
  }

  void Key(int key, Qt::KeyboardModifiers mods = {}) {
    if (CNvAnaView* v = View()) QTest::keyClick(v->Plot(), static_cast<Qt::Key>(key), mods);
  }

  // The sound device moves: blocks played, input delivered, or it vanishes.
  void Device() {
    if (audio_->streams.empty()) return;
    auto& s = audio_->streams[static_cast<size_t>(Pick(static_cast<int>(audio_->streams.size())))];
    if (s->Closed() || s->Detached()) return;
    switch (Pick(8)) {
      case 0: s->Vanish(); break;
      case 1: s->Overrun(4096); break;
      default: {
        s->Complete(1 + Pick(6));
        std::vector<uint8_t> in(static_cast<size_t>(512 * (1 + Pick(64))));
        for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37);
        s->Deliver(in);
      }
    }
  }

  void Command(int id) {
    Frame()->UpdateCommandUi();
    QAction* a = Frame()->Action(id);
    // A user can only choose what is enabled.
    if (a && !a->isEnabled()) return;
    Frame()->Route(id);
  }

  // Closes one floating analysis window, if any shows.
  void CloseToolWindow() {
    std::vector<QWidget*> tools;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w != Frame() && !qobject_cast<QDialog*>(w)) tools.push_back(w);
    if (!tools.empty()) tools[static_cast<size_t>(Pick(static_cast<int>(tools.size())))]->close();
  }

  void Act() {
    static const int kCommands[] = {
        cmd::kFileNew, cmd::kFileClose, cmd::kEditUndo, cmd::kEditRedo, cmd::kEditCut, cmd::kEditCopy,
        cmd::kEditPaste, cmd::kEditSelectAll, cmd::kEditDelete, cmd::kEditSilence, cmd::kEditReverse,
        cmd::kEditVolume, cmd::kEditFilter, cmd::kSoundPlay, cmd::kSoundStop, cmd::kSoundSpeedQuarter,
        cmd::kSoundSpeedHalf, cmd::kSoundSpeedOne, cmd::kSoundSpeedTwo, cmd::kSoundSpeed1of10,
        cmd::kSoundRecord, cmd::kSoundFormat, cmd::kSoundVirtualDetector, cmd::kZoomIn, cmd::kZoomOut,
        cmd::kZoomDefault, cmd::kZoomEntire, cmd::kZoomFit, cmd::kScrollStepLeft, cmd::kScrollStepRight,
        cmd::kScrollPageLeft, cmd::kScrollPageRight, cmd::kScrollHome, cmd::kScrollEnd,
        cmd::kCursorMarking, cmd::kCursorMarkingStereo, cmd::kCursorMeasurement,
        cmd::kCursorLargeMeasurement, cmd::kCursorLevel, cmd::kSaveCursorAsMark, cmd::kMoveActiveMark,
        cmd::kClearAllMarks, cmd::kNewCombined, cmd::kNewSpectrogram, cmd::kNewOscillogram,
        cmd::kNewZeroCrossing, cmd::kPowerSpectrum, cmd::kPulseInterval, cmd::kPulseLength,
        cmd::kPulseCharacteristics, cmd::kWindowCascade, cmd::kWindowTile};
    const int n = static_cast<int>(std::size(kCommands));
    switch (Pick(12)) {
      case 0: {  // open a file
        openAnswer_ = SndFileChoice{files_[Pick(static_cast<int>(files_.size()))], nv::FileType::StandardWave};
        Command(cmd::kFileOpen);
        break;
      }
      case 1: Drop(files_[Pick(static_cast<int>(files_.size()))]); break;
      case 2: {  // save under a new name, now and then over an opened one
        saveAnswer_ = SndFileChoice{dir_.filePath(QStringLiteral("saved%1.wav").arg(saves_++ % 3)),
                                    Pick(2) ? nv::FileType::NorvaneWave : nv::FileType::StandardWave};
        Command(Pick(3) ? cmd::kFileSaveAs : cmd::kFileSave);
        break;
      }
      case 3: DragSelection(); break;
      case 4: {
        static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End};
        Key(keys[Pick(6)], Pick(2) ? Qt::ShiftModifier : Qt::NoModifier);
        break;
      }
      case 5:
      case 6: Device(); break;
      case 7: CloseToolWindow(); break;
      default: Command(kCommands[Pick(n)]);
    }
  }

  // The documents' lengths and their views agree; no message says "Out of memory".
  void Check(int step, size_t& seenTexts) {
    for (; seenTexts < sink_.texts.size(); ++seenTexts)
      QVERIFY2(sink_.texts[seenTexts].find("Out of memory") == std::string::npos,
               qPrintable(QStringLiteral("step %1: %2").arg(step).arg(QString::fromStdString(sink_.texts[seenTexts]))));
    for (CChildFrame* f : Frame()->Frames()) {
      CNvAnaView* v = f->View();
      if (!v || !v->Document()) continue;
      QVERIFY2(v->Plot()->Setup().frameCount == v->Document()->FrameCount(),
               qPrintable(QStringLiteral("step %1: a view shows %2 frames of a document of %3")
                              .arg(step).arg(v->Plot()->Setup().frameCount).arg(v->Document()->FrameCount())));
    }
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    audio_ = std::make_unique<nv::SimulatedAudioBackend>(QtAudioExecutor::Instance());
    MakeApp(audio_.get());
    CSndFileDialog::runner = [this](CSndFileDialog& d) -> std::optional<SndFileChoice> {
      return d.DialogMode() == CSndFileDialog::Mode::Open ? openAnswer_ : saveAnswer_;
    };
    CompressionDialog::runner = [this](CompressionDialog&) { return Pick(2) == 0; };
  }

  void cleanup() {
    DropApp();
    Settle();
    audio_.reset();
    CSndFileDialog::runner = nullptr;
    CompressionDialog::runner = nullptr;
    sink_.Remove();
  }

  void thousandsOfRandomActionsLeaveTheProgramWhole() {
    const QByteArray seedText = qgetenv("NORVANE_RANDOM_SEED");
    const uint32_t seed = seedText.isEmpty() ? std::random_device{}() : seedText.toUInt();
    const int actions = qEnvironmentVariableIsEmpty("NORVANE_RANDOM_ACTIONS")
                            ? 1500
                            : qEnvironmentVariableIntValue("NORVANE_RANDOM_ACTIONS");
    const int seconds = qEnvironmentVariableIsEmpty("NORVANE_RANDOM_SECONDS")
                            ? 50
                            : qEnvironmentVariableIntValue("NORVANE_RANDOM_SECONDS");
    qInfo("random user: seed %u (replay with NORVANE_RANDOM_SEED=%u)", seed, seed);
    rng_.seed(seed);
    CNorvaneDoc demo(documents);
    QVERIFY(nv::BuildDemoRecording(demo));
    const QString demoPath = dir_.filePath("demo.wav");
    QVERIFY(demo.Save({demoPath.toStdString(), nv::FileType::NorvaneWave}));
    files_ = {demoPath,
              Write("stereo.wav", 2, 16, 96000, 1.5, nv::FileType::NorvaneWave),
              Write("byte.wav", 1, 8, 22050, 2.0, nv::FileType::StandardWave),
              Write("short.wav", 1, 16, 384000, 0.02, nv::FileType::StandardWave),
              Write("fast.wav", 1, 16, 384000, 3.0, nv::FileType::NorvaneWave),
              dir_.filePath("missing.wav"),
              dir_.filePath("saved0.wav")};
    QVERIFY(StartApp({demoPath}, QSize(1100, 760)));
    // Dialogs are answered from a timer: a modal dialog runs its own loop.
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [this] { AnswerDialogs(); });
    answer.start(0);
    QElapsedTimer clock;
    clock.start();
    size_t seenTexts = 0;
    int step = 0;
    for (; step < actions && clock.elapsed() < seconds * 1000; ++step) {
      sink_.answer = Pick(2) == 0;  // questions answered either way
      Act();
      Settle();
      Check(step, seenTexts);
      if (QTest::currentTestFailed()) {
        qWarning("random user: failed at step %d of seed %u", step, seed);
        return;
      }
    }
    answer.stop();
    qInfo("random user: %d actions without a finding (seed %u)", step, seed);
  }
};

int RunRandomUserTest(int argc, char** argv) {
  RandomUserTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "RandomUserTest.moc"
