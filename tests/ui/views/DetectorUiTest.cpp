// The virtual detector in the desktop application: its dialog ("OK" only
// with a filter to listen through, the speed factor's range and messages,
// "Select Filter" and Cancel), and the sound view's detector mode: the
// "&Virtual Bat detector" command, the detector line and its status text,
// "&Filter" editing the detector's filter while the mode is on, and the
// arrow keys. Dialogs are answered through their runners, messages are
// recorded; with NORVANE_GRAB_DIR set the dialog is also saved there as a
// PNG file.
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <optional>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/AppCore.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "app/CSndFileDialog.h"
#include "views/VirtualDetectorDialog.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "base/NumericEdit.h"
#include "filter/FilterDesign.h"
#include "filter/TimeDomainFilterDialog.h"
#include "plot/SoundPlot.h"
#include "audio/DetectorPlayback.h"
#include "audio/SimulatedAudioBackend.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/SoundViewDetector.h"
#include "views/QtAudioExecutor.h"
#include "views/StatusStrip.h"

class DetectorUiTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;

  // Starts the application on one second of a 44 100 Hz sine.
  // `timeExpansion` in thousandths (1000: a real-time recording);
  // `detectorFilter`, when given, is the application's detector filter.
  void StartOnSine(int32_t timeExpansion = 1000, std::optional<nv::FilterDescription> detectorFilter = std::nullopt) {
    nv::CNorvaneDoc doc(documents);
    std::vector<int16_t> s(44100);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(8000 * std::sin(0.7 * static_cast<double>(i)));
    nv::test::FillDocument(doc, 1, 16, 44100, nv::test::Samples16(s));
    doc.Info().SetTimeExpansion(timeExpansion);
    const QString p = dir_.filePath(QStringLiteral("sine.wav"));
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write test file");
    app_ = std::make_unique<CNorvaneApp>(store_.get());
    app_->SetAudioBackend(audio_.get());
    if (detectorFilter) app_->Core().detectorFilter = *detectorFilter;
    if (!app_->InitInstance({p})) qFatal("cannot start");
    Frame()->resize(1000, 700);
    Settle();
  }
  bool Checked(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isChecked();
  }
  bool Enabled(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isEnabled();
  }
  void Key(int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(View(), &e);
  }
  static std::vector<uint8_t> Bytes(nv::CNorvaneDoc* doc) {
    const nv::SampleMapping m = doc->MapSamples(nv::MapAccess::Read);
    const uint8_t* p = m.Data();
    return std::vector<uint8_t>(p, p + static_cast<size_t>(doc->FrameCount()) * doc->Format().nBlockAlign);
  }

  static nv::FilterDescription LowPass() {
    nv::FilterDescription d;
    d.order = 4;
    d.lowPassHz = 5000;
    if (!nv::DesignFilter(d, 22050)) qFatal("design failed");
    return d;
  }

  // The detector's dialog is answered with "Select filter", and the filter
  // dialog that opens is cancelled.
  static void AnswerSelectFilterThenCancelIt() {
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.SelectFilterButton()->click();
      return d.result() == QDialog::Accepted;
    };
    TimeDomainFilterDialog::runner = [](TimeDomainFilterDialog& d) {
      d.reject();
      return false;
    };
  }

 private slots:
  void init() {
    sink_.texts.clear();
    sink_.Install();
    store_ = std::make_unique<nv::MemorySettingsStore>();
    audio_ = std::make_unique<nv::SimulatedAudioBackend>(QtAudioExecutor::Instance());
  }
  void cleanup() {
    app_.reset();
    Settle();
    audio_.reset();
    store_.reset();
    sink_.Remove();
    VirtualDetectorDialog::runner = nullptr;
    TimeDomainFilterDialog::runner = nullptr;
    CSndFileDialog::runner = nullptr;
  }

  void okNeedsAFilter() {
    VirtualDetectorDialog fresh(nv::DetectorSettings{}, nv::FilterDescription{});
    QCOMPARE(fresh.windowTitle(), QStringLiteral("Virtual Bat detector"));
    QCOMPARE(fresh.SpeedField()->text(), QStringLiteral("10"));
    QVERIFY(!fresh.OkButton()->isEnabled());
    QVERIFY(fresh.SelectFilterButton()->isEnabled());
    VirtualDetectorDialog withFilter(nv::DetectorSettings{}, LowPass());
    QVERIFY(withFilter.OkButton()->isEnabled());
    const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
    if (!dir.isEmpty()) {
      withFilter.adjustSize();
      withFilter.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("virtual-detector.png")));
    }
  }

  void speedFactorRange() {
    VirtualDetectorDialog dlg(nv::DetectorSettings{}, LowPass());
    for (const char* bad : {"0", "201"}) {
      sink_.texts.clear();
      dlg.SpeedField()->setText(QString::fromLatin1(bad));
      dlg.OkButton()->click();
      QCOMPARE(dlg.result(), int(QDialog::Rejected));
      QCOMPARE(sink_.texts.size(), size_t{1});
      QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Please enter an integer between 1 and 200."));
    }
    sink_.texts.clear();
    dlg.SpeedField()->setText(QStringLiteral("abc"));
    dlg.SelectFilterButton()->click();
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Please enter an integer."));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    dlg.SpeedField()->setText(QStringLiteral("200"));
    dlg.OkButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.SpeedFactor().value_or(0), 200);
  }

  void answers() {
    nv::DetectorSettings start;
    start.speedFactor = 7;
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.SpeedField()->setText(QStringLiteral("25"));
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    VirtualDetectorDialog::Answer a = VirtualDetectorDialog::Ask(start, LowPass(), nullptr);
    QVERIFY(a.choice == VirtualDetectorDialog::Choice::Ok);
    QCOMPARE(a.settings.speedFactor, 25);
    // Without a filter "OK" does nothing; "Select Filter" switches on and asks for one.
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.OkButton()->click();
      if (d.result() == QDialog::Accepted) return true;
      d.SelectFilterButton()->click();
      return d.result() == QDialog::Accepted;
    };
    a = VirtualDetectorDialog::Ask(start, nv::FilterDescription{}, nullptr);
    QVERIFY(a.choice == VirtualDetectorDialog::Choice::SelectFilter);
    QCOMPARE(a.settings.speedFactor, 7);
    // Cancel changes nothing.
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.SpeedField()->setText(QStringLiteral("99"));
      d.reject();
      return false;
    };
    a = VirtualDetectorDialog::Ask(start, LowPass(), nullptr);
    QVERIFY(a.choice == VirtualDetectorDialog::Choice::Cancel);
    QCOMPARE(a.settings.speedFactor, 7);
  }
  void modeOnPlacesTheLineAndOffRemovesIt() {
    StartOnSine(1000, LowPass());
    QVERIFY(Enabled(cmd::kSoundVirtualDetector));
    QVERIFY(!Checked(cmd::kSoundVirtualDetector));
    int shown = 0;
    VirtualDetectorDialog::runner = [&](VirtualDetectorDialog& d) {
      ++shown;
      [&] { QVERIFY(d.OkButton()->isEnabled()); }();
      d.SpeedField()->setText(QStringLiteral("20"));
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    QCOMPARE(shown, 1);
    QVERIFY(Checked(cmd::kSoundVirtualDetector));
    QVERIFY(View()->Controllers().Detector().Mode().IsOn());
    QCOMPARE(View()->Controllers().Detector().Mode().Settings().speedFactor, 20);
    // No selection, no cursor: the first visible sample, a quarter of the rate.
    const nv::CursorRecord line = View()->Plot()->DetectorLine();
    QCOMPARE(line.position, View()->Plot()->Setup().firstVisible());
    QCOMPARE(line.value, 11025);
    QVERIFY(View()->Strip()->StatusText().startsWith(QStringLiteral("Detector: ")));
    QVERIFY(View()->Strip()->StatusText().endsWith(QStringLiteral(" kHz")));
    const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
    if (!dir.isEmpty()) View()->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("detector-line.png")));
    // "&Filter" needs no selection while the detector is on.
    View()->ClearSelection();
    QVERIFY(Enabled(cmd::kEditFilter));
    // Off while nothing plays: the line and its text go, no dialog.
    Frame()->Route(cmd::kSoundVirtualDetector);
    QCOMPARE(shown, 1);
    QVERIFY(!Checked(cmd::kSoundVirtualDetector));
    QCOMPARE(View()->Plot()->DetectorLine().position, -1);
    QCOMPARE(View()->Strip()->StatusText(), QString());
    QVERIFY(!Enabled(cmd::kEditFilter));
    // The next dialog starts from the speed factor chosen before.
    VirtualDetectorDialog::runner = [&](VirtualDetectorDialog& d) {
      [&] { QCOMPARE(d.SpeedField()->text(), QStringLiteral("20")); }();
      d.reject();
      return false;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    QVERIFY(!View()->Controllers().Detector().Mode().IsOn());
    QVERIFY(sink_.texts.empty());
  }

  // The row of `img` that differs from `bare` in the most pixels: where a
  // horizontal line was drawn (-1 when no row has one).
  static int LineRow(const QImage& bare, const QImage& img) {
    int best = -1, bestCount = 0;
    for (int y = 0; y < img.height(); ++y) {
      int n = 0;
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != bare.pixel(x, y);
      if (n > bestCount) {
        bestCount = n;
        best = y;
      }
    }
    // The line is dotted: a good part of the row, not all of it.
    return bestCount > img.width() / 5 ? best : -1;
  }

  void firstStartValuesAndTheTuningField() {
    // First start: the detector's filter is the initial low-pass, designed
    // for the sound when the dialog opens, so that "OK" is ready.
    for (const int32_t te : {1000, 10000}) {
      StartOnSine(te, nv::InitialDetectorFilter());
      const QImage bare = View()->Plot()->Grab().copy();
      QString offeredSpeed;
      bool okReady = false;
      QImage at40, at80;
      VirtualDetectorDialog::runner = [&](VirtualDetectorDialog& d) {
        offeredSpeed = d.SpeedField()->text();
        okReady = d.OkButton()->isEnabled();
        d.FrequencyField()->clear();
        QTest::keyClicks(d.FrequencyField(), te == 1000 ? QStringLiteral("4") : QStringLiteral("40"));
        at40 = View()->Plot()->Grab().copy();
        d.FrequencyField()->clear();
        QTest::keyClicks(d.FrequencyField(), te == 1000 ? QStringLiteral("8") : QStringLiteral("80"));
        at80 = View()->Plot()->Grab().copy();
        const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
        if (!dir.isEmpty() && te != 1000) {
          d.adjustSize();
          d.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("virtual-detector-tuning.png")));
          at80.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("detector-line-tuned.png")));
        }
        d.OkButton()->click();
        return d.result() == QDialog::Accepted;
      };
      Frame()->Route(cmd::kSoundVirtualDetector);
      // The speed factor starts at the recording's own time-expansion factor.
      QCOMPARE(offeredSpeed, QString::number(te / 1000));
      QVERIFY(okReady);
      QCOMPARE(app_->Core().detectorFilter.lowPassHz, nv::DetectorSettings::kDefaultLowPassHz);
      QVERIFY(View()->Controllers().Detector().Mode().IsOn());
      QCOMPARE(View()->Controllers().Detector().Mode().Settings().speedFactor, te / 1000);
      // The line follows the field while it is typed, and keeps its frequency.
      const int y40 = LineRow(bare, at40), y80 = LineRow(bare, at80);
      QVERIFY(y40 > 0);
      QVERIFY(y80 > 0);
      QVERIFY2(y80 < y40 - 10, qPrintable(QStringLiteral("rows %1 %2").arg(y40).arg(y80)));
      QCOMPARE(View()->Plot()->DetectorLine().value, te == 1000 ? 8000 : 80000);
      QCOMPARE(LineRow(bare, View()->Plot()->Grab().copy()), y80);
      // Off and on again: the dialog offers the tuned frequency.
      Frame()->Route(cmd::kSoundVirtualDetector);
      QString offeredFrequency;
      VirtualDetectorDialog::runner = [&](VirtualDetectorDialog& d) {
        offeredFrequency = d.FrequencyField()->text();
        d.reject();
        return false;
      };
      Frame()->Route(cmd::kSoundVirtualDetector);
      QCOMPARE(offeredFrequency, te == 1000 ? QStringLiteral("8") : QStringLiteral("80"));
      QCOMPARE(View()->Plot()->DetectorLine().position, -1);
      app_.reset();
      Settle();
    }
    // Beyond the Nyquist frequency the field is refused.
    VirtualDetectorDialog dlg(nv::DetectorSettings{}, LowPass(), nullptr, 22050);
    dlg.FrequencyField()->setText(QStringLiteral("30"));
    dlg.OkButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Please enter a frequency from 0.001 to 22.05 kHz."));
  }

  void cursorGivesPlaceAndFrequency() {
    StartOnSine();
    nv::CursorRecord c;
    c.position = 12000;
    c.value = 7000;
    c.inSpectrogram = true;
    c.kind = nv::CursorKind::Measurement;
    View()->Plot()->SetCursor(c);
    AnswerSelectFilterThenCancelIt();
    Frame()->Route(cmd::kSoundVirtualDetector);
    QCOMPARE(View()->Plot()->DetectorLine().position, 12000);
    QCOMPARE(View()->Plot()->DetectorLine().value, 7000);
  }

  void selectFilterEditsTheDetectorsFilterAndFiltersNothing() {
    // A detector filter without a cut-off: nothing designs until one is chosen.
    StartOnSine(1000, nv::FilterDescription{});
    const std::vector<uint8_t> before = Bytes(Doc());
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      [&] { QVERIFY(!d.OkButton()->isEnabled()); }();
      d.SelectFilterButton()->click();
      return d.result() == QDialog::Accepted;
    };
    int filterDialogs = 0;
    TimeDomainFilterDialog::runner = [&](TimeDomainFilterDialog& d) {
      ++filterDialogs;
      d.FilterTypeCombo()->setCurrentIndex(0);
      d.BandButton(0)->setChecked(true);
      d.OrderCombo()->setCurrentIndex(1);  // 4
      d.LowPassField()->setText(QStringLiteral("3000"));
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    QCOMPARE(filterDialogs, 1);
    QVERIFY(View()->Controllers().Detector().Mode().IsOn());
    const nv::FilterDescription& det = app_->Core().detectorFilter;
    QCOMPARE(det.lowPassHz, 3000);
    QCOMPARE(det.order, 4);
    QCOMPARE(det.a[0], 1.0);
    QCOMPARE(app_->Core().commandFilter.lowPassHz, 0);
    QVERIFY(Bytes(Doc()) == before);
    QCOMPARE(Doc()->Editor().LastEdit().kind, nv::UndoKind::None);
    // "&Filter" again while on: the dialog on the detector's description.
    TimeDomainFilterDialog::runner = [&](TimeDomainFilterDialog& d) {
      ++filterDialogs;
      [&] { QCOMPARE(d.LowPassField()->text(), QStringLiteral("3000")); }();
      d.LowPassField()->setText(QStringLiteral("4000"));
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kEditFilter);
    QCOMPARE(filterDialogs, 2);
    QCOMPARE(det.lowPassHz, 4000);
    QVERIFY(Bytes(Doc()) == before);
  }

  void arrowKeysMoveTheLine() {
    StartOnSine(1000, LowPass());
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    View()->setFocus();
    const nv::CursorRecord start = View()->Plot()->DetectorLine();
    Key(Qt::Key_Up);
    const nv::CursorRecord up = View()->Plot()->DetectorLine();
    QVERIFY(up.value >= start.value + 2);
    QCOMPARE(up.position, start.position);
    Key(Qt::Key_Down);
    QCOMPARE(View()->Plot()->DetectorLine().value, start.value);
    // Left of the first visible sample is refused; Right moves one pixel step.
    Key(Qt::Key_Left);
    QCOMPARE(View()->Plot()->DetectorLine().position, start.position);
    Key(Qt::Key_Right);
    const nv::CursorRecord right = View()->Plot()->DetectorLine();
    QVERIFY(right.position > start.position);
    QCOMPARE(right.value, start.value);
    QVERIFY(View()->Strip()->StatusText().startsWith(QStringLiteral("Detector: ")));
    // While a sound plays the line does not move in time, and the mode stays.
    app_->playing = true;
    Key(Qt::Key_Right);
    QCOMPARE(View()->Plot()->DetectorLine().position, right.position);
    QVERIFY(!Enabled(cmd::kSoundVirtualDetector));
    app_->playing = false;
  }
  void playsThroughTheDetectorAndRetunes() {
    StartOnSine(1000, LowPass());
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.SpeedField()->setText(QStringLiteral("4"));
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    const nv::CursorRecord before = View()->Plot()->DetectorLine();
    Doc()->SetPlaySpeed(0.25);  // the detector plays at the document's own rate all the same
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    QCOMPARE(audio_->opened, 1);
    QCOMPARE(audio_->asked.back().nSamplesPerSec, 44100u);
    QCOMPARE(audio_->last->Queued(), 4);
    QVERIFY(View()->Controllers().Detector().DetectorPlayer() && View()->Controllers().Detector().DetectorPlayer()->Active());
    QCOMPARE(View()->Strip()->StatusText(), QStringLiteral("Playing 0.00 - 1.00 "));
    QVERIFY(Enabled(cmd::kSoundStop));
    QVERIFY(!Enabled(cmd::kSoundVirtualDetector));
    // Up retunes the playback: the next block filled has the new frequency.
    View()->setFocus();
    Key(Qt::Key_Up);
    const int32_t tuned = View()->Plot()->DetectorLine().value;
    QVERIFY(tuned > before.value);
    QCOMPARE(View()->Controllers().Detector().DetectorPlayer()->Stream().FrequencyHz(), tuned);
    audio_->last->Complete(1);
    Settle();
    QCOMPARE(View()->Controllers().Detector().DetectorPlayer()->Stream().OscillatorHz(), tuned);
    // The line follows the blocks heard: four blocks of sound each.
    QCOMPARE(View()->Plot()->DetectorLine().position, 4 * 2752);
    QVERIFY(View()->Strip()->StatusText().startsWith(QStringLiteral("Detector: ")));
    // Left/Right change the device's rate while it plays.
    Key(Qt::Key_Right);
    QCOMPARE(audio_->last->Rate(), 0x20000u);
    for (int guard = 0; guard < 1000 && app_->playing; ++guard) {
      if (!audio_->last->Closed()) audio_->last->Complete(1);
      Settle();
    }
    QVERIFY(!app_->playing);
    QCOMPARE(View()->Strip()->StatusText(), QStringLiteral("End of play"));
    // The line stays in sight where it stood, with its new frequency.
    QCOMPARE(View()->Plot()->DetectorLine().position, before.position);
    QCOMPARE(View()->Plot()->DetectorLine().value, tuned);
    QVERIFY(sink_.texts.empty());
  }

  void volumeKeysWhileTheDetectorPlays() {
    StartOnSine(1000, LowPass());
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    View()->setFocus();
    // Nothing plays: Shift+Up neither retunes nor changes a volume.
    const nv::CursorRecord before = View()->Plot()->DetectorLine();
    QTest::keyClick(View(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(View()->Plot()->DetectorLine().value, before.value);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    nv::SimulatedAudioStream& device = *audio_->last;
    QCOMPARE(device.Volume(), 0xFFFFFFFFu);
    // The volume keys work on the device as for an ordinary playback.
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(device.Volume(), 0x7FFF7FFFu);
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(device.Volume(), 0x3FFF3FFFu);
    QTest::keyClick(View(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(device.Volume(), 0x7FFE7FFEu);
    QCOMPARE(View()->Plot()->DetectorLine().value, before.value);
    // Up without Shift still retunes, and leaves the volume alone.
    QTest::keyClick(View(), Qt::Key_Up);
    QVERIFY(View()->Plot()->DetectorLine().value > before.value);
    QCOMPARE(device.Volume(), 0x7FFE7FFEu);
    Frame()->Route(cmd::kSoundStop);
    Settle();
    QVERIFY(!app_->playing);
    QVERIFY(sink_.texts.empty());
  }

  void playWithoutAFilterAsksForOne() {
    StartOnSine(1000, nv::FilterDescription{});
    AnswerSelectFilterThenCancelIt();
    Frame()->Route(cmd::kSoundVirtualDetector);
    QVERIFY(View()->Controllers().Detector().Mode().IsOn());
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QCOMPARE(audio_->opened, 0);
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QStringLiteral("Select a filter for the virtual detector first (Filter)."));
  }

  void closingWhilePlayingEndsThePlayback() {
    StartOnSine(1000, LowPass());
    VirtualDetectorDialog::runner = [](VirtualDetectorDialog& d) {
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kSoundVirtualDetector);
    Frame()->Route(cmd::kSoundPlay);
    Settle();
    QVERIFY(app_->playing);
    View()->Detach();
    QVERIFY(!app_->playing);
    QVERIFY(audio_->last->Detached() || audio_->last->Closed());
    Settle();
  }
};

QTEST_MAIN(DetectorUiTest)
#include "DetectorUiTest.moc"
