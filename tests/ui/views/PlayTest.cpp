// Playback in the running application with the simulated sound device: P
// and S, the status texts, the moving playback cursor, the "Play speed"
// check mark, the arrow keys while playing, edits and file commands greyed
// while playing, closing a playing view, and the "Sound devices" dialog.
#include <QApplication>
#include <QMimeData>
#include <QUrl>
#include <QRadioButton>
#include <QTemporaryDir>
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
#include "views/QtAudioExecutor.h"
#include "views/SoundDevicesDialog.h"
#include "views/StatusStrip.h"

using nv::CNorvaneDoc;

class PlayTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;

  // `seconds` of a 16-bit mono 44 100 Hz sine in the program's own wave form.
  QString WriteSine(const QString& name, double seconds) {
    const int frames = static_cast<int>(44100 * seconds);
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) s[static_cast<size_t>(i)] = static_cast<int16_t>(8000 * std::sin(i * 0.3));
    CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, 44100, nv::test::Samples16(s));
    const QString p = dir_.filePath(name);
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write test file");
    return p;
  }
  nv::SimulatedAudioStream& Stream() const { return *audio_->last; }
  bool Start(const QString& file) {
    return StartApp({file}, {1000, 700});
  }
  bool Enabled(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isEnabled();
  }
  bool Checked(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isChecked();
  }
  QString Status() const { return View()->Strip()->StatusText(); }
  void Select(int32_t a, int32_t b) {
    nv::CursorRecord s;
    s.position = a;
    nv::CursorRecord e = s;
    e.position = b;
    View()->Plot()->SetCursor(s);
    View()->Plot()->SetSelection(s, e);
  }
  // The device plays `n` blocks; their notifications are handled.
  void Complete(int n) {
    Stream().Complete(n);
    Settle();
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    audio_ = std::make_unique<nv::SimulatedAudioBackend>(QtAudioExecutor::Instance());
    MakeApp(audio_.get());
    SoundDevicesDialog::runner = nullptr;
  }

  void cleanup() {
    app_.reset();
    Settle();
    audio_.reset();
    store_.reset();
    SoundDevicesDialog::runner = nullptr;
    sink_.Remove();
  }

  void playAndStopWithTheirKeysAndStates() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    QCOMPARE(Frame()->Action(cmd::kSoundPlay)->shortcut(), QKeySequence(Qt::Key_P));
    QCOMPARE(Frame()->Action(cmd::kSoundStop)->shortcut(), QKeySequence(Qt::Key_S));
    QVERIFY(Enabled(cmd::kSoundPlay));
    QVERIFY(!Enabled(cmd::kSoundStop));
    Select(1000, 30000);
    QVERIFY(Enabled(cmd::kEditDelete));

    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    QCOMPARE(audio_->opened, 1);
    QCOMPARE(Status(), QString("Playing selection 0.02 - 0.68 "));
    QVERIFY(!Enabled(cmd::kSoundPlay));
    QVERIFY(Enabled(cmd::kSoundStop));
    // Edits are greyed while playing; copying is not an edit.
    QVERIFY(!Enabled(cmd::kEditDelete));
    QVERIFY(!Enabled(cmd::kEditCut));
    QVERIFY(Enabled(cmd::kEditCopy));

    Frame()->Route(cmd::kSoundStop);
    Settle();
    QVERIFY(!app_->playing);
    QCOMPARE(Status(), QString("End of play"));
    QVERIFY(Enabled(cmd::kSoundPlay));
    QVERIFY(!Enabled(cmd::kSoundStop));
    QVERIFY(Enabled(cmd::kEditDelete));
    QVERIFY(sink_.texts.empty());
  }

  void aLostDeviceIsSaidOnceAndTheViewPlaysAgain() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    const std::string lost = "Playback stopped: the sound output device failed or was removed.";
    for (int speed : {cmd::kSoundSpeedOne, cmd::kSoundSpeedQuarter}) {
      sink_.texts.clear();
      Frame()->Route(speed);
      Frame()->Route(cmd::kSoundPlay);
      Settle();
      QVERIFY(app_->playing);
      Complete(2);
      QVERIFY(View()->Plot()->DragCursor().position > 0);
      Stream().Vanish();
      Settle();
      // Ended as at its end, the user told once.
      QVERIFY(!app_->playing);
      QCOMPARE(Status(), QString("End of play"));
      QCOMPARE(View()->Plot()->DragCursor().position, -1);
      QVERIFY(Stream().Closed());
      QCOMPARE(sink_.texts, std::vector<std::string>{lost});
      QVERIFY(Enabled(cmd::kSoundPlay));
      QVERIFY(!Enabled(cmd::kSoundStop));
      // A new playback starts on a new device.
      const int opened = audio_->opened;
      Frame()->Route(cmd::kSoundPlay);
      Settle();
      QVERIFY(app_->playing);
      QCOMPARE(audio_->opened, opened + 1);
      Frame()->Route(cmd::kSoundStop);
      Settle();
      QVERIFY(!app_->playing);
      QCOMPARE(sink_.texts.size(), size_t{1});
    }
  }

  void aFileDroppedWhilePlayingIsRefusedAndThePlaybackGoesOn() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    // The dropped file: another block size (8-bit mono at 11 025 Hz).
    const QString other = dir_.filePath("other.wav");
    {
      CNorvaneDoc small(documents);
      nv::test::FillDocument(small, 1, 8, 11025, std::vector<uint8_t>(11025, 200));
      QVERIFY(small.Save({other.toStdString(), nv::FileType::NorvaneWave}));
    }
    auto drop = [&](QEvent::Type type) {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(other)});
      if (type == QEvent::DragEnter) {
        QDragEnterEvent e(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Frame(), &e);
        return e.isAccepted() && e.dropAction() == Qt::CopyAction;
      }
      QDropEvent e(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(Frame(), &e);
      return true;
    };
    CNorvaneDoc* doc = Doc();
    const size_t documents = app_->Documents().size();
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    Complete(3);
    QVERIFY(!drop(QEvent::DragEnter));
    drop(QEvent::Drop);
    Settle();
    QCOMPARE(app_->Documents().size(), documents);
    QVERIFY(app_->playing);
    // The playback goes on to its end with every block as stored.
    for (int i = 0; i < 200 && app_->playing; ++i) Complete(1);
    QVERIFY(!app_->playing);
    QCOMPARE(Status(), QString("End of play"));
    QVERIFY(Stream().Heard() == nv::test::WorkBytes(*doc));
    QVERIFY(sink_.texts.empty());
    // Once nothing plays, the same drop opens the file.
    QVERIFY(drop(QEvent::DragEnter));
    drop(QEvent::Drop);
    Settle();
    QCOMPARE(app_->Documents().size(), documents + 1);
  }

  void playbackCursorFollowsTheBlocks() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    View()->ClearSelection();
    nv::CursorRecord c;
    c.position = 10000;
    View()->Plot()->SetCursor(c);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(Status(), QString("Playing from cursor 0.23 - 4.00 "));
    QCOMPARE(View()->Plot()->DragCursor().position, 10000);
    Complete(2);
    // Two blocks of 2752 frames heard.
    QCOMPARE(View()->Plot()->DragCursor().position, 10000 + 2 * 2752);
    QCOMPARE(Status(), QString("Playing from cursor 0.23 - 4.00  current: 0.35"));
    for (int i = 0; i < 200 && app_->playing; ++i) Complete(1);
    QVERIFY(!app_->playing);
    QCOMPARE(Status(), QString("End of play"));
    QCOMPARE(View()->Plot()->DragCursor().position, -1);
  }

  void speedSubmenuCheckMarkAndDeviceRate() {
    QVERIFY(Start(WriteSine("a.wav", 1)));
    QVERIFY(Checked(cmd::kSoundSpeedOne));
    QVERIFY(!Checked(cmd::kSoundSpeed1of10));
    QCOMPARE(Frame()->Action(cmd::kSoundSpeed1of32)->text(), QString("1/32"));
    Frame()->Route(cmd::kSoundSpeed1of10);
    QVERIFY(Checked(cmd::kSoundSpeed1of10));
    QVERIFY(!Checked(cmd::kSoundSpeedOne));
    QCOMPARE(Doc()->PlaySpeed(), 0.1);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(audio_->asked.back().nSamplesPerSec, 4410u);
    Frame()->Route(cmd::kSoundStop);
    Settle();
    Frame()->Route(cmd::kSoundSpeedFour);
    QVERIFY(Checked(cmd::kSoundSpeedFour));
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(audio_->asked.back().nSamplesPerSec, 176400u);
    Frame()->Route(cmd::kSoundStop);
    Settle();
  }

  void arrowKeysChangeVolumeAndRateWhilePlaying() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    View()->ClearSelection();
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QTest::keyClick(View(), Qt::Key_Down);
    QCOMPARE(Stream().Volume(), 0x7FFF7FFFu);
    QTest::keyClick(View(), Qt::Key_Up);
    QCOMPARE(Stream().Volume(), 0xFFFEFFFEu);
    // Shift+Up and Shift+Down, the volume keys of a playback through the
    // detector, do the same here.
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Stream().Volume(), 0x7FFF7FFFu);
    QTest::keyClick(View(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Stream().Volume(), 0xFFFEFFFEu);
    QTest::keyClick(View(), Qt::Key_Right);
    QCOMPARE(Stream().Rate(), 0x20000u);
    QTest::keyClick(View(), Qt::Key_Left);
    QTest::keyClick(View(), Qt::Key_Left);
    QCOMPARE(Stream().Rate(), 0x8000u);
    Frame()->Route(cmd::kSoundStop);
    Settle();
  }

  // After every volume or speed key the status strip says the volume and
  // speed now, after the running text, until the playback ends; and says so
  // when a limit is reached.
  void statusStripSaysVolumeAndSpeedAfterEachKey() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    View()->ClearSelection();
    Frame()->Route(cmd::kSoundSpeedQuarter);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    const QString running = Status();
    QVERIFY(running.startsWith("Playing"));
    auto after = [&](Qt::Key key, Qt::KeyboardModifiers mod = Qt::NoModifier) {
      QTest::keyClick(View(), key, mod);
      const QString s = Status();
      if (!s.startsWith(running)) return QString("(not after the running text) ") + s;
      return s.mid(running.size());
    };
    QCOMPARE(after(Qt::Key_Down), QString("   Volume 50 %, speed 1/4"));
    QCOMPARE(after(Qt::Key_Up), QString("   Volume 100 %, speed 1/4"));
    QCOMPARE(after(Qt::Key_Down, Qt::ShiftModifier), QString("   Volume 50 %, speed 1/4"));
    QCOMPARE(after(Qt::Key_Up, Qt::ShiftModifier), QString("   Volume 100 %, speed 1/4"));
    // 0xFFFE doubles to 0xFFFF, the highest.
    QCOMPARE(after(Qt::Key_Up), QString("   Volume 100 %, speed 1/4 - volume at its highest"));
    QCOMPARE(after(Qt::Key_Up), QString("   Volume 100 %, speed 1/4 - volume at its highest"));
    QCOMPARE(Stream().Volume(), 0xFFFFFFFFu);
    QCOMPARE(after(Qt::Key_Right), QString("   Volume 100 %, speed 1/2"));
    QCOMPARE(after(Qt::Key_Right), QString("   Volume 100 %, speed 1"));
    QCOMPARE(after(Qt::Key_Left), QString("   Volume 100 %, speed 1/2"));
    // The note stays with the running text as blocks come back.
    Complete(1);
    QVERIFY2(Status().contains(" current: "), qPrintable(Status()));
    QVERIFY2(Status().endsWith("   Volume 100 %, speed 1/2"), qPrintable(Status()));
    // Down to the lowest volume word, 1 (halving 0xFFFF fifteen times).
    QString last;
    for (int i = 0; i < 15; ++i) last = after(Qt::Key_Down);
    QCOMPARE(Stream().Volume(), 0x00010001u);
    QCOMPARE(last, QString("   Volume 0.00153 %, speed 1/2 - volume at its lowest"));
    QCOMPARE(after(Qt::Key_Down), last);
    // The fastest rate factor the rule allows is 0x80000000 (32768 times);
    // the slowest is 1 (1/65536).
    for (int i = 0; i < 16; ++i) last = after(Qt::Key_Right);
    QCOMPARE(Stream().Rate(), 0x80000000u);
    QCOMPARE(last, QString("   Volume 0.00153 %, speed 8192 - speed at its highest"));
    for (int i = 0; i < 31; ++i) last = after(Qt::Key_Left);
    QCOMPARE(Stream().Rate(), 1u);
    QCOMPARE(last, QString("   Volume 0.00153 %, speed 1/262144 - speed at its lowest"));
    QCOMPARE(after(Qt::Key_Left), last);
    Frame()->Route(cmd::kSoundStop);
    Settle();
    QCOMPARE(Status(), QString("End of play"));
  }

  // The playback cursor is a solid line three pixels wide in a black edge
  // over the whole height of both diagrams, in the picture the view shows.
  void playbackCursorIsSolidAndVisible() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    View()->ClearSelection();
    nv::CursorRecord c;
    c.position = 10000;
    View()->Plot()->SetCursor(c);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    Complete(2);
    const int32_t pos = View()->Plot()->DragCursor().position;
    QCOMPARE(pos, 10000 + 2 * 2752);
    View()->Plot()->SetCursor(nv::CursorRecord{});  // only the playback cursor is drawn
    const QImage img = View()->Plot()->Grab();
    const QByteArray keep = qgetenv("NORVANE_GRAB_DIR");
    if (!keep.isEmpty()) img.save(QDir(QString::fromLocal8Bit(keep)).filePath("playback-cursor.png"));
    const nv::PlotSetup& p = View()->Plot()->Setup();
    const double per1000 = static_cast<double>(p.scale().unitsPer1000Pixels);
    auto col = [&](double x) { return static_cast<int>(std::floor(x * 1000 / per1000)); };
    auto row = [&](double y) { return static_cast<int>(std::lround(-y * 1000 / per1000)); };
    const int x = col(p.SampleToX(pos));
    const QRgb core = qRgb(0x00, 0xC8, 0xFF);
    for (const nv::PlotRect* r : {&p.layout.osc, &p.layout.spect}) {
      const int top = row(r->top) + 1, bottom = row(r->bottom) - 1;
      QVERIFY(bottom - top > 50);
      int coreRows = 0, edgeRows = 0;
      for (int y = top; y <= bottom; ++y) {
        int n = 0;
        for (int dx = -3; dx <= 3; ++dx) n += (img.pixel(x + dx, y) & 0xFFFFFF) == (core & 0xFFFFFF);
        if (n >= 3) ++coreRows;
        bool leftEdge = false, rightEdge = false;
        for (int dx = -4; dx <= 0; ++dx) leftEdge |= qGray(img.pixel(x + dx, y)) == 0;
        for (int dx = 0; dx <= 4; ++dx) rightEdge |= qGray(img.pixel(x + dx, y)) == 0;
        if (leftEdge && rightEdge) ++edgeRows;
      }
      const int rows = bottom - top + 1;
      QVERIFY2(coreRows == rows, qPrintable(QString("%1 of %2 rows").arg(coreRows).arg(rows)));
      QVERIFY2(edgeRows == rows, qPrintable(QString("%1 of %2 rows").arg(edgeRows).arg(rows)));
    }
    Frame()->Route(cmd::kSoundStop);
    Settle();
  }

  void fileCommandsAreGreyedWhilePlaying() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    View()->ClearSelection();
    const int fileCommands[] = {cmd::kFileNew,   cmd::kFileOpen,         cmd::kFileClose,
                                cmd::kFileSave,  cmd::kFileSaveAs,       cmd::kFilePrint,
                                cmd::kFilePrintPreview, cmd::kFilePrintSetup, cmd::kNewSpectrogram,
                                cmd::kNewOscillogram, cmd::kNewZeroCrossing, cmd::kNewCombined};
    for (int id : fileCommands) QVERIFY2(Enabled(id), qPrintable(Frame()->Action(id)->text()));
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    for (int id : fileCommands) QVERIFY2(!Enabled(id), qPrintable(Frame()->Action(id)->text()));
    // Ctrl+P belongs to the greyed action, so the key does nothing either.
    QCOMPARE(Frame()->Action(cmd::kFilePrint)->shortcut(), QKeySequence(QKeySequence::Print));
    Complete(3);
    QVERIFY(app_->playing);
    QVERIFY(!Enabled(cmd::kFilePrint));
    Frame()->Route(cmd::kSoundStop);
    Settle();
    QVERIFY(!app_->playing);
    for (int id : fileCommands) QVERIFY2(Enabled(id), qPrintable(Frame()->Action(id)->text()));
    QVERIFY(sink_.texts.empty());
  }

  void closingAPlayingViewStopsFirst() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    Frame()->CloseAllFrames(true);
    Settle();
    QVERIFY(!app_->playing);
    QVERIFY(Stream().Detached());
  }

  void quittingWhilePlaying() {
    QVERIFY(Start(WriteSine("a.wav", 4)));
    Frame()->Route(cmd::kNewOscillogram);  // a second view of the document
    Settle();
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    app_.reset();
    Settle();
    QVERIFY(Stream().Detached());
  }

  void deviceThatCannotOpenShowsTheMessage() {
    QVERIFY(Start(WriteSine("a.wav", 1)));
    audio_->unavailable = true;
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(sink_.texts, std::vector<std::string>{"Failed to open waveform output device."});
    QVERIFY(!app_->playing);
    QVERIFY(Enabled(cmd::kSoundPlay));
  }

  void soundDevicesDialogChoosesTheOutput() {
    audio_->outputNames = {"Speakers", "Headphones"};
    QVERIFY(Start(WriteSine("a.wav", 1)));
    QVERIFY(Enabled(cmd::kSoundDevices));
    SoundDevicesDialog::runner = [](SoundDevicesDialog& d) {
      if (d.windowTitle() != "Sound devices" || d.OutputButtons().size() != 2 || d.InputButtons().size() != 1)
        return int(QDialog::Rejected);
      if (d.OutputButtons()[1]->text() != "Headphones 44.1 kHz,stereo,16-bit") return int(QDialog::Rejected);
      for (QRadioButton* b : d.OutputButtons())
        if (b->isChecked()) return int(QDialog::Rejected);
      d.OutputButtons()[1]->setChecked(true);
      return int(QDialog::Accepted);
    };
    Frame()->Route(cmd::kSoundDevices);
    QCOMPARE(QString::fromStdString(app_->OutputDevice()), QString("sim-out-1"));
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(QString::fromStdString(audio_->askedDevices.back()), QString("sim-out-1"));
    Frame()->Route(cmd::kSoundStop);
    Settle();

    // The current choice is checked; checking the other clears it; none
    // checked is the default device; Cancel keeps the choice.
    bool sawChoice = false;
    SoundDevicesDialog::runner = [&](SoundDevicesDialog& d) {
      sawChoice = d.OutputButtons()[1]->isChecked() && !d.OutputButtons()[0]->isChecked();
      d.OutputButtons()[0]->setChecked(true);
      if (d.OutputButtons()[1]->isChecked()) return int(QDialog::Rejected);
      d.OutputButtons()[0]->setChecked(false);
      return int(QDialog::Accepted);
    };
    Frame()->Route(cmd::kSoundDevices);
    QVERIFY(sawChoice);
    QCOMPARE(QString::fromStdString(app_->OutputDevice()), QString());
    SoundDevicesDialog::runner = [](SoundDevicesDialog& d) {
      d.OutputButtons()[0]->setChecked(true);
      return int(QDialog::Rejected);
    };
    Frame()->Route(cmd::kSoundDevices);
    QCOMPARE(QString::fromStdString(app_->OutputDevice()), QString());
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PlayTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "PlayTest.moc"
