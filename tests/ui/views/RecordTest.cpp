// Recording in the running application with the simulated input device:
// "&Record sound" opens the recording view, which records, shows the bytes
// recorded and the sweep, stops with S and closes, and the starting view
// takes up the new length; the append and clear questions by input kind;
// closing the document during a recording; "Record view settings"; the
// input kind in "Sound devices" and in "Set sampling parameters".
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "app/DocumentManager.h"
#include "app/SamplingParametersCommand.h"
#include "app/CRecFrame.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/Recorder.h"
#include "audio/SimulatedAudioBackend.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundFormatDialog.h"
#include "fileformats/FileType.h"
#include "settings/CardParametersDialog.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "base/NumericEdit.h"
#include "views/CNvRecView.h"
#include "views/QtAudioExecutor.h"
#include "views/RecordViewSettingsDialog.h"
#include "views/SoundDevicesDialog.h"
#include "views/StatusStrip.h"
#include "views/SweepDisplay.h"

using nv::CNorvaneDoc;

class RecordTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;

  QString WriteSine(const QString& name, int frames) { return WriteSineFile(dir_.filePath(name), frames); }
  // A 4 kHz sine of 16-bit mono 44 100 Hz samples.
  static std::vector<uint8_t> Tone(size_t bytes, int amplitude = 12000) {
    std::vector<int16_t> s(bytes / 2);
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * 4000.0 * static_cast<double>(i) / 44100));
    return nv::test::Samples16(s);
  }
  bool Start(const QString& file) {
    return StartApp({file}, {1000, 700});
  }
  CRecFrame* RecFrame() const {
    auto frames = app_->RecordingFrames(nullptr);
    return frames.empty() ? nullptr : frames.front();
  }
  CNvRecView* RecView() const { return RecFrame() ? RecFrame()->View() : nullptr; }
  nv::SimulatedAudioStream& Stream() const { return *audio_->last; }
  bool Enabled(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isEnabled();
  }
  // The device hands back every block of the recording view's playback
  // until it has ended.
  void PlayToTheEnd() {
    for (int i = 0; i < 40 && app_->playing; ++i) {
      audio_->last->Complete(16);
      QTest::qWait(30);
    }
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = true;
    audio_ = std::make_unique<nv::SimulatedAudioBackend>(QtAudioExecutor::Instance());
    MakeApp(audio_.get());
    RecordViewSettingsDialog::runner = nullptr;
    SoundDevicesDialog::runner = nullptr;
  }

  void cleanup() {
    app_.reset();
    Settle();
    audio_.reset();
    store_.reset();
    RecordViewSettingsDialog::runner = nullptr;
    SoundDevicesDialog::runner = nullptr;
    SamplingParametersCommand::cardChooser = nullptr;
    sink_.Remove();
  }

  void recordsAppendsShowsTheSweepAndStops() {
    QVERIFY(Start(WriteSine("a.wav", 3000)));
    CNvAnaView* starter = Frame()->ActiveView();
    CNorvaneDoc* doc = Frame()->ActiveDocument();
    QCOMPARE(Frame()->Action(cmd::kSoundRecord)->shortcut(), QKeySequence(Qt::Key_R));
    QVERIFY(Enabled(cmd::kSoundRecord));
    starter->Settings().timePerPlotUs = 500000;  // a 0.5 s span gives 2 seconds per plot

    // The document holds sound: the append question, cancelled.
    sink_.answer = false;
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Sound file not empty! Append to existing sound file?"));
    QVERIFY(!RecFrame());
    QCOMPARE(audio_->opened, 0);

    sink_.answer = true;
    sink_.texts.clear();
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QVERIFY(RecFrame());
    QCOMPARE(RecView()->Settings().secondsPerPlot, int64_t{2});
    QVERIFY(app_->playing);
    QCOMPARE(app_->activeViewKind, ActiveViewKind::RecordingView);
    QCOMPARE(audio_->asked.back().nSamplesPerSec, 44100u);
    QCOMPARE(Stream().Queued(), 16);
    QVERIFY(!Enabled(cmd::kSoundRecord));
    QVERIFY(Enabled(cmd::kSoundStop));
    QVERIFY(!RecView()->Strip()->FormatText().isEmpty());

    const uint32_t block = doc->BufferSize();
    const std::vector<uint8_t> sound = Tone(block * 6 + block / 3);
    Stream().Deliver(sound);
    Settle();
    char expected[64];
    std::snprintf(expected, sizeof expected, " %5d bytes recorded.", static_cast<int>(block * 6));
    QCOMPARE(RecView()->Strip()->StatusText(), QString::fromLatin1(expected));
    // The sweep drew the blocks: a spectrogram strip with its FFT size, and
    // colour in the column of the first block.
    RecView()->Display()->repaint();
    QCOMPARE(RecView()->Display()->Pending(), 0);
    QVERIFY(RecView()->Display()->FftSize() > 0);
    const QImage& pic = RecView()->Display()->Picture();
    int coloured = 0;
    for (int y = 0; y < pic.height(); ++y) {
      const QRgb c = pic.pixel(8, y);
      if (c != qRgb(255, 255, 255) && c != qRgb(0, 0, 0)) ++coloured;
    }
    QVERIFY2(coloured > 5, "the first block's column is empty");

    Frame()->Route(cmd::kSoundStop);
    for (int i = 0; i < 10 && RecFrame(); ++i) Settle();
    QVERIFY(!RecFrame());
    QVERIFY(!app_->playing);
    // The old sound, then the six whole blocks; the partial seventh is gone.
    QCOMPARE(doc->FrameCount(), static_cast<int32_t>(3000 + block * 6 / 2));
    const std::vector<uint8_t> work = nv::test::WorkBytes(*doc);
    QVERIFY(std::equal(sound.begin(), sound.begin() + block * 6, work.begin() + 6000));
    QVERIFY(doc->IsModified());
    QCOMPARE(Frame()->ActiveView(), starter);
    QCOMPARE(app_->activeViewKind, ActiveViewKind::SoundView);
    QVERIFY(Enabled(cmd::kNewCombined));
    QCOMPARE(starter->ScrollBar()->value(), starter->ScrollBar()->maximum());
  }

  void aCardKindClearsAndClosesAtOnce() {
    QVERIFY(Start(WriteSine("b.wav", 3000)));
    CNorvaneDoc* doc = Frame()->ActiveDocument();
    app_->SetInputKind(nv::InputKind::ComputerBoards);
    sink_.answer = false;
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QCOMPARE(QString::fromStdString(sink_.texts.back()),
             QStringLiteral("Sound file not empty! Clear all data in existing sound file?"));
    QCOMPARE(doc->FrameCount(), 3000);
    sink_.answer = true;
    Frame()->Route(cmd::kSoundRecord);
    for (int i = 0; i < 5; ++i) Settle();
    QCOMPARE(doc->FrameCount(), 0);
    QVERIFY(!RecFrame());
    QVERIFY(!app_->playing);
    QCOMPARE(audio_->opened, 0);
    // "Set sampling parameters" goes by the card chosen as the input kind.
    bool asked = false;
    SamplingParametersCommand::cardChooser = [&](QWidget*) {
      asked = true;
      return std::optional<nv::CardKind>();
    };
    CardParametersDialog::runner = [](CardParametersDialog&) { return false; };
    Frame()->Route(cmd::kSoundSamplingParameters);
    QVERIFY(!asked);
    app_->SetInputKind(nv::InputKind::OtherCard);
    Frame()->Route(cmd::kSoundSamplingParameters);
    QVERIFY(asked);
    CardParametersDialog::runner = nullptr;
  }

  void closingTheDocumentStopsTheRecordingBeforeTheSaveQuestion() {
    QVERIFY(Start(WriteSine("c.wav", 1000)));
    CNorvaneDoc* doc = Frame()->ActiveDocument();
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QVERIFY(RecFrame());
    const uint32_t block = doc->BufferSize();
    Stream().Deliver(Tone(block * 3));
    Settle();
    nv::SimulatedAudioStream* stream = audio_->last;
    int32_t framesAtQuestion = -1;
    struct Watch : nv::MessageSink {
      CNorvaneDoc* doc;
      int32_t* frames;
      std::vector<std::string> texts;
      void Show(const std::string& t, nv::MessageIcon) override { texts.push_back(t); }
      bool Ask(const std::string& t, nv::MessageIcon) override {
        texts.push_back(t);
        *frames = doc->FrameCount();
        return false;
      }
    } watch;
    watch.doc = doc;
    watch.frames = &framesAtQuestion;
    nv::SetMessageSink(&watch);
    // The sound view's frame closes (its close box, or the application ending).
    app_->Docs().FramesOf(doc).front()->close();
    for (int i = 0; i < 5; ++i) Settle();
    nv::SetMessageSink(&sink_);
    QVERIFY(stream->Closed());
    QVERIFY(!app_->playing);
    QCOMPARE(watch.texts.size(), size_t{1});
    QVERIFY(QString::fromStdString(watch.texts[0]).startsWith(QStringLiteral("Save changes to")));
    QCOMPARE(framesAtQuestion, static_cast<int32_t>(1000 + block * 3 / 2));
    QVERIFY(!RecFrame());
  }

  void aMissingInputDeviceLeavesTheViewOpenAndIdle() {
    QVERIFY(Start(WriteSine("d.wav", 60000)));
    // The sweep takes the view's span: 15 seconds, not the fitted sound's.
    Frame()->ActiveView()->Settings().timePerPlotUs = 15000000;
    Frame()->ActiveView()->Recompute();
    const auto accepts = audio_->accepts;
    audio_->accepts = [](const nv::WaveFormatEx&) { return false; };
    const int64_t lastBlock = Frame()->ActiveDocument()->LastBufferIndex();
    QVERIFY(!Frame()->ActiveDocument()->IsModified());
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QVERIFY(RecFrame());
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Failed to open waveform input device."));
    // The failed start left the document as it was: its sound still counts.
    QCOMPARE(RecView()->Document()->LastBufferIndex(), lastBlock);
    QCOMPARE(RecView()->Document()->FrameCount(), 60000);
    QVERIFY(!RecView()->Document()->IsModified());
    QVERIFY(!app_->playing);
    QCOMPARE(RecView()->State(), RecViewState::Idle);
    // Record view settings: the seconds text and the threshold come back.
    RecordViewSettingsDialog::runner = [](RecordViewSettingsDialog& d) {
      if (d.seconds->currentText() != QStringLiteral("15 seconds")) return int(QDialog::Rejected);
      d.seconds->setCurrentText(QStringLiteral("5 minutes"));
      d.threshold->setValue(32);
      d.fftSize->setCurrentText(QStringLiteral("128 samples"));
      return int(QDialog::Accepted);
    };
    Frame()->Route(cmd::kRecordViewSettings);
    QCOMPARE(RecView()->Settings().secondsPerPlot, int64_t{300});
    QCOMPARE(RecView()->Settings().threshold, 32);
    QCOMPARE(RecView()->Settings().fftSize, 128);
    // "Sound devices" in the recording view sets the input kind.
    SoundDevicesDialog::runner = [](SoundDevicesDialog& d) {
      d.InputKindBox()->setCurrentIndex(2);
      return int(QDialog::Accepted);
    };
    Frame()->Route(cmd::kSoundDevices);
    QCOMPARE(app_->InputKind(), nv::InputKind::NationalInstruments);
    audio_->accepts = accepts;
    // "Sound &Format" in the recording view: time expansion 10 is stored as
    // 10 000, the document is modified and the format text follows.
    CNorvaneDoc* doc = RecView()->Document();
    doc->SetModifiedFlag(false);
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      d.TimeExpansion()->setText("10");
      return true;
    };
    Frame()->Route(cmd::kSoundFormat);
    SoundFormatDialog::runner = nullptr;
    QVERIFY2(doc->Info().TimeExpansion() == 10000, sink_.texts.empty() ? "no message" : sink_.texts.back().c_str());
    QVERIFY(doc->IsModified());
    QVERIFY2(RecView()->Strip()->FormatText().contains(QStringLiteral("Time exp 10.00")), qPrintable(RecView()->Strip()->FormatText()));
    // Its own playback plays the whole document and ends with "End of play".
    QVERIFY(Enabled(cmd::kSoundPlay));
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    PlayToTheEnd();
    QVERIFY(!app_->playing);
    QCOMPARE(RecView()->Strip()->StatusText(), QStringLiteral("End of play"));
    // The whole sound was played, as stored.
    QVERIFY(audio_->last->Heard() == nv::test::WorkBytes(*doc));
    // Stopped while playing: every block comes back, and the playback ends
    // with "Playback aborted!".
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    audio_->last->Complete(1);
    QTest::qWait(150);
    QVERIFY(RecView()->Strip()->StatusText().endsWith(QStringLiteral(" bytes played.")));
    Frame()->Route(cmd::kSoundStop);
    for (int i = 0; i < 20 && app_->playing; ++i) QTest::qWait(30);
    QVERIFY(!app_->playing);
    QCOMPARE(RecView()->Strip()->StatusText(), QStringLiteral("Playback aborted!"));
  }

  void itsPlaybackSaysALostDeviceAndPlaysAgain() {
    QVERIFY(Start(WriteSine("p.wav", 60000)));
    // An input device that cannot be opened leaves the recording view idle.
    const auto accepts = audio_->accepts;
    audio_->accepts = [](const nv::WaveFormatEx&) { return false; };
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QVERIFY(RecFrame());
    audio_->accepts = accepts;
    sink_.texts.clear();
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(RecView()->State(), RecViewState::Playing);
    audio_->last->Complete(2);
    Settle();
    QVERIFY(RecView()->Strip()->StatusText().endsWith(QStringLiteral(" bytes played.")));
    audio_->last->Vanish();
    for (int i = 0; i < 20 && app_->playing; ++i) QTest::qWait(30);
    // The playback ended as at its end; the user was told once.
    QVERIFY(!app_->playing);
    QCOMPARE(RecView()->State(), RecViewState::Idle);
    QCOMPARE(RecView()->Strip()->StatusText(), QStringLiteral("End of play"));
    QCOMPARE(sink_.texts,
             std::vector<std::string>{"Playback stopped: the sound output device failed or was removed."});
    QVERIFY(Enabled(cmd::kSoundPlay));
    // It plays again, to its end.
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(RecView()->State(), RecViewState::Playing);
    PlayToTheEnd();
    QCOMPARE(RecView()->State(), RecViewState::Idle);
    QCOMPARE(RecView()->Strip()->StatusText(), QStringLiteral("End of play"));
    QCOMPARE(sink_.texts.size(), size_t{1});
  }

  // The desktop's recording path with the real sound server: runs only from
  // tests/cli/record_desktop_device_test.sh, which starts a private server
  // with a sine source and checks the file this writes.
  void recordsFromTheSoundServer() {
    const QString out = qEnvironmentVariable("NORVANE_TEST_RECORD_OUT");
    if (out.isEmpty()) QSKIP("needs a sound server: see tests/cli/record_desktop_device_test.sh");
    const double seconds = qEnvironmentVariable("NORVANE_TEST_RECORD_SECONDS", "8").toDouble();
    nv::PulseAudioBackend pulse(QtAudioExecutor::Instance(), "norvane-test");
    app_->SetAudioBackend(&pulse);
    app_->SetInputDevice(qEnvironmentVariable("NORVANE_TEST_RECORD_SOURCE").toStdString());
    QVERIFY(Start(WriteSine("e.wav", 1000)));
    CNorvaneDoc* doc = app_->Docs().NewDocument();
    QVERIFY(doc);
    Settle();
    QCOMPARE(Frame()->ActiveDocument(), doc);
    doc->SetFormat(1, 16, 44100);
    doc->RecomputeBufferSize();
    Frame()->Route(cmd::kSoundRecord);
    QElapsedTimer clock;
    clock.start();
    Settle();
    QVERIFY2(RecFrame() && RecView()->State() == RecViewState::Recording,
             sink_.texts.empty() ? "not recording" : sink_.texts.back().c_str());
    QTest::qWait(static_cast<int>(seconds * 1000));
    Frame()->Route(cmd::kSoundStop);
    const double recorded = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    for (int i = 0; i < 100 && RecFrame(); ++i) QTest::qWait(20);
    QVERIFY(!RecFrame());
    QVERIFY(!app_->playing);
    // No overrun was said.
    QVERIFY2(sink_.texts.empty(), sink_.texts.empty() ? "" : sink_.texts.back().c_str());
    QVERIFY(doc->Save({out.toStdString(), nv::FileType::StandardWave}));
    QFile time(out + ".seconds");
    QVERIFY(time.open(QIODevice::WriteOnly));
    time.write(QByteArray::number(recorded, 'f', 3));
    time.close();
    app_.reset();
    Settle();
  }

  void longSweepsAdvanceByFractionsOfAPixelOverTheWholeWidth() {
    // 1000 plot pixels. A block of a loud 4 kHz mono sine, 1/16 s.
    const std::vector<uint8_t> bytes = Tone(2756 * 2, 16000);
    nv::WaveFormatEx f;
    f.SetFormat(1, 16, 44100);
    auto colouredColumns = [](const QImage& pic, int x0, int x1) {
      int columns = 0;
      for (int x = x0; x < x1; ++x)
        for (int y = 0; y < pic.height() - 14; ++y) {
          const QRgb c = pic.pixel(x, y);
          if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) {
            ++columns;
            break;
          }
        }
      return columns;
    };
    for (const int64_t seconds : {int64_t{60}, int64_t{120}, int64_t{600}}) {
      SweepDisplay d;
      d.resize(1069, 300);
      nv::RecordViewSettings s;
      s.secondsPerPlot = seconds;
      d.Reset(f, 1000, s);
      // Ten seconds of sound fill a sixth, a twelfth or a sixtieth of the width.
      for (int n = 0; n < 160; ++n) {
        d.AddBlock(n, bytes.data(), static_cast<uint32_t>(bytes.size()));
        if (n % 16 == 15) d.grab();
      }
      const int expected = static_cast<int>(1000 * 10 / seconds);
      const int drawn = colouredColumns(d.Picture(), 5, 5 + 1000);
      QVERIFY2(std::abs(drawn - expected) <= 1,
               qPrintable(QStringLiteral("%1 s per plot: %2 columns drawn, %3 expected").arg(seconds).arg(drawn).arg(expected)));
      if (seconds != 60) continue;
      // The whole minute fills the whole width, up to the gap after the
      // last column.
      for (int n = 160; n < 960; ++n) {
        d.AddBlock(n, bytes.data(), static_cast<uint32_t>(bytes.size()));
        if (n % 16 == 15) d.grab();
      }
      QVERIFY2(colouredColumns(d.Picture(), 5, 5 + 1000) >= 999,
               qPrintable(QString::number(colouredColumns(d.Picture(), 5, 5 + 1000))));
    }
  }

  void eightBitBlocksDrawAsTheirSixteenBitEquals() {
    // The same sound stored in 8 and in 16 bits (every 16-bit value a whole
    // 8-bit step) draws the same oscillogram and spectrogram.
    const int frames = 2756;
    std::vector<int16_t> lr(static_cast<size_t>(frames) * 2, 0);
    std::vector<uint8_t> bytes8(lr.size());
    for (size_t i = 0; i < lr.size(); ++i) {
      const int step = static_cast<int>(std::lround(100 * std::sin(2 * M_PI * 3000.0 * static_cast<double>(i / 2) / 44100))) +
                       (i % 2 ? static_cast<int>(i % 7) - 3 : 0);
      lr[i] = static_cast<int16_t>(step * 256);
      bytes8[i] = static_cast<uint8_t>(step + 128);
    }
    const std::vector<uint8_t> bytes16 = nv::test::Samples16(lr);
    auto draw = [](int bits, const std::vector<uint8_t>& bytes) {
      SweepDisplay d;
      d.resize(660, 400);
      nv::WaveFormatEx f;
      f.SetFormat(2, bits, 44100);
      nv::RecordViewSettings s;
      s.secondsPerPlot = 2;
      d.Reset(f, 1000, s);
      for (int n = 0; n < 3; ++n) d.AddBlock(n, bytes.data(), static_cast<uint32_t>(bytes.size()));
      d.grab();
      return d.Picture().copy();
    };
    const QImage eight = draw(8, bytes8);
    const QImage sixteen = draw(16, bytes16);
    QCOMPARE(eight.size(), sixteen.size());
    int coloured = 0, different = 0;
    for (int y = 0; y < eight.height(); ++y)
      for (int x = 0; x < eight.width(); ++x) {
        const QRgb c = sixteen.pixel(x, y);
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) ++coloured;
        if (eight.pixel(x, y) != c) ++different;
      }
    QVERIFY(coloured > 100);
    QCOMPARE(different, 0);
  }

  void stereoHalvesAndTheMovingGap() {
    SweepDisplay d;
    d.resize(660, 400);
    nv::WaveFormatEx f;
    f.SetFormat(2, 16, 44100);
    nv::RecordViewSettings s;
    s.secondsPerPlot = 2;  // 600 plot pixels: 300 a second, 18 a block
    d.Reset(f, 1000, s);
    const int frames = 2756;  // one block of 1/16 s
    std::vector<int16_t> lr(static_cast<size_t>(frames) * 2, 0);
    for (int i = 0; i < frames; ++i) {
      lr[2 * static_cast<size_t>(i)] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 4000.0 * i / 44100));
      lr[2 * static_cast<size_t>(i) + 1] = 0;  // the right channel is silent
    }
    const std::vector<uint8_t> bytes = nv::test::Samples16(lr);
    d.AddBlock(0, bytes.data(), static_cast<uint32_t>(bytes.size()));
    d.AddBlock(1, bytes.data(), static_cast<uint32_t>(bytes.size()));
    QCOMPARE(d.Pending(), 2);
    d.grab();  // paints
    QCOMPARE(d.Pending(), 0);
    const QImage& pic = d.Picture();
    auto colouredIn = [&](int x, int y0, int y1) {
      int n = 0;
      for (int y = y0; y < y1; ++y) {
        // Colour, not the greys of the frame and the (smoothed) text.
        const QRgb c = pic.pixel(x, y);
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) ++n;
      }
      return n;
    };
    const int half = (400 - 14) / 2;
    // Left channel above: its column of block 0 has the sine in both strips;
    // the silent right channel below shows only its zero line.
    QVERIFY(colouredIn(10, 0, half) > 20);
    QVERIFY(colouredIn(10, half, 400 - 14) <= 2);
    QVERIFY(colouredIn(5 + 18, 0, half) > 20);  // block 1 starts at x = 23
    // The sweep of 32 blocks wraps: block 32 is drawn over block 0 at the
    // left edge, and the column after it (block 1's first) is the gap.
    for (int n = 2; n <= 32; ++n) d.AddBlock(n, bytes.data(), static_cast<uint32_t>(bytes.size()));
    d.grab();
    QVERIFY(colouredIn(5 + 17, 0, half) > 20);
    QCOMPARE(colouredIn(5 + 18, 0, half), 0);
    QVERIFY(colouredIn(5 + 19, 0, half) > 20);
    // The 4 kHz line of the spectrogram lies at 4 000 / 22 050 of the strip.
    QCOMPARE(d.FftSize() > 0, true);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  RecordTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "RecordTest.moc"
