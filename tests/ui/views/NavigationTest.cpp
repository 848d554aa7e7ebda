// Where a sound view scrolls and what its current-diagram settings dialogs
// store, in the running application under the offscreen platform: the plot
// and the scroll bar's thumb agree and never go past the last full page
// (scroll steps, Zoom Out after a zoom and a scroll, the end of a
// recording); after Stop the recording's own view is the active one; OK and
// Apply in a settings dialog store only the fields the dialog shows.
#include <QApplication>
#include <QComboBox>
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
#include "app/CRecFrame.h"
#include "audio/SimulatedAudioBackend.h"
#include "base/CommandIds.h"
#include "base/NumericEdit.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/SoundViewSettingsDialogs.h"
#include "views/CNvRecView.h"
#include "views/QtAudioExecutor.h"
#include "views/ScrollRange.h"

using nv::CNorvaneDoc;

class NavigationTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<nv::SimulatedAudioBackend> audio_;

  QString WriteSound(const QString& name, int frames) { return WriteSineFile(dir_.filePath(name), frames); }
  bool Start(const QString& file) {
    return StartApp({file}, {1000, 700}, true);
  }

  // The plot and the scroll bar show the same stretch, inside the sound.
  static bool Agree(CNvAnaView* v, QString& why) {
    const nv::PlotSetup& s = v->Plot()->Setup();
    const int64_t length = v->Document()->FrameCount();
    const int64_t first = s.firstVisible(), page = s.samplesPerPlot();
    const QScrollBar* bar = v->ScrollBar();
    const nv::ScrollRange range(length, page);
    why = QStringLiteral("first %1 page %2 length %3 thumb %4 of %5 (page step %6)")
              .arg(first).arg(page).arg(length).arg(bar->value()).arg(bar->maximum()).arg(bar->pageStep());
    if (bar->value() != first) return false;
    if (bar->maximum() != range.MaxFirst() || bar->pageStep() != range.Page()) return false;
    if (first < 0 || first > range.MaxFirst()) return false;
    return length < page ? first == 0 : first + page <= length;
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

  // Ctrl+Right steps stop at the last full page, where the thumb is at its
  // end; Zoom Out after a zoom and a scroll to the end ends at the sound's end.
  void scrollingStopsAtTheLastFullPage() {
    QVERIFY(Start(WriteSound("long.wav", 44100 * 5 + 123)));
    CNvAnaView* v = Frame()->ActiveView();
    QVERIFY(v);
    v->Settings().timePerPlotUs = 2000000;
    v->Recompute();
    QString why;
    QVERIFY2(Agree(v, why), qPrintable(why));
    for (int i = 0; i < 400; ++i) {
      v->OnCommand(cmd::kScrollStepRight);
      QVERIFY2(Agree(v, why), qPrintable(QString::number(i) + ": " + why));
    }
    QCOMPARE(v->ScrollBar()->value(), v->ScrollBar()->maximum());
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
    // Zoomed in twice at the end, scrolled on to the end, zoomed out twice.
    v->OnCommand(cmd::kZoomIn);
    v->OnCommand(cmd::kZoomIn);
    for (int i = 0; i < 400; ++i) v->OnCommand(cmd::kScrollStepRight);
    QVERIFY2(Agree(v, why), qPrintable(why));
    v->OnCommand(cmd::kZoomOut);
    QVERIFY2(Agree(v, why), qPrintable(why));
    v->OnCommand(cmd::kZoomOut);
    QVERIFY2(Agree(v, why), qPrintable(why));
    QCOMPARE(v->Settings().timePerPlotUs, int64_t{2000000});
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
    // One more Zoom Out gives a larger span than the sound: from its start.
    v->OnCommand(cmd::kZoomOut);
    v->OnCommand(cmd::kZoomOut);
    QVERIFY2(Agree(v, why), qPrintable(why));
    QCOMPARE(v->Plot()->Setup().firstVisible(), 0);
    // A scroll asked for past the end, and the thumb dragged to its end.
    v->Settings().timePerPlotUs = 1000000;
    v->Recompute();
    v->ScrollTo(v->Document()->FrameCount());
    QVERIFY2(Agree(v, why), qPrintable(why));
    v->ScrollTo(0);
    v->ScrollBar()->setValue(v->ScrollBar()->maximum());
    QVERIFY2(Agree(v, why), qPrintable(why));
    QCOMPARE(v->Plot()->Setup().lastVisible(), v->Document()->FrameCount());
  }

  // After Stop the recording's view is the active one again, even when
  // another document was opened after it, and it shows the end of the sound.
  void stopActivatesTheRecordingsView() {
    QVERIFY(Start(WriteSound("a.wav", 44100 * 3)));
    CNorvaneDoc* recorded = Frame()->ActiveDocument();
    CNvAnaView* starter = Frame()->ActiveView();
    starter->Settings().timePerPlotUs = 1000000;
    starter->Recompute();
    Frame()->Route(cmd::kSoundRecord);
    Settle();
    QVERIFY(!app_->RecordingFrames(recorded).empty());
    // Another document opened while recording, then back to the recording.
    QVERIFY(app_->OpenDocumentFile(WriteSound("b.wav", 44100 * 2)));
    Settle();
    QVERIFY(Frame()->ActiveDocument() != recorded);
    Frame()->MdiArea()->setActiveSubWindow(app_->RecordingFrames(recorded).front());
    Settle();
    QVERIFY(!Frame()->ActiveView());
    const uint32_t block = recorded->BufferSize();
    std::vector<uint8_t> sound(block * 10);
    for (size_t i = 0; i + 1 < sound.size(); i += 2) sound[i + 1] = static_cast<uint8_t>((i / 2) % 64);
    audio_->last->Deliver(sound);
    Settle();
    Frame()->Route(cmd::kSoundStop);
    for (int i = 0; i < 20 && !app_->RecordingFrames(recorded).empty(); ++i) Settle();
    Settle();
    QVERIFY(app_->RecordingFrames(recorded).empty());
    QCOMPARE(recorded->FrameCount(), static_cast<int32_t>(44100 * 3 + block * 10 / 2));
    QCOMPARE(Frame()->ActiveDocument(), recorded);
    QCOMPARE(Frame()->ActiveView(), starter);
    // Scrolled to the end: the last full page, not an empty plot past it.
    QString why;
    QVERIFY2(Agree(starter, why), qPrintable(why));
    QCOMPARE(starter->Plot()->Setup().lastVisible(), recorded->FrameCount());
  }

  // A zoomed amplitude range, grids and FFT settings changed after a dialog
  // opened stay when that dialog's OK or Apply is pressed; two open dialogs
  // keep each other's changes.
  void settingsDialogsStoreOnlyTheirOwnFields() {
    QVERIFY(Start(WriteSound("s.wav", 44100 * 2)));
    CNvAnaView* v = Frame()->ActiveView();
    v->OnCommand(cmd::kSpectSettingsCurrent);
    v->OnCommand(cmd::kOscSettingsCurrent);
    v->OnCommand(cmd::kZcSettingsCurrent);
    SpectrogramSettingsDialog* spect = v->Controllers().SettingsDialogs().Spectrogram();
    OscillogramSettingsDialog* osc = v->Controllers().SettingsDialogs().Oscillogram();
    ZeroCrossingSettingsDialog* zc = v->Controllers().SettingsDialogs().ZeroCrossing();
    QVERIFY(spect && osc && zc);

    // Meanwhile: a zoom to an amplitude range and a change of FFT size and
    // colours, as a zoom or the context menu makes them.
    v->Settings().maxAmplitude = 2500;
    v->Settings().minAmplitude = -1200;
    v->Settings().fftSize = 256;
    v->Settings().colorScheme = 3;
    v->Settings().freqSize = 20;
    v->Recompute();

    // The oscillogram dialog stores its grid: the spectrogram's FFT size and
    // colours stay, and its own amplitude fields (opened at the full range)
    // are what it shows.
    QVERIFY(osc->Apply());
    QCOMPARE(v->Settings().fftSize, 256);
    QCOMPARE(v->Settings().colorScheme, 3);
    QCOMPARE(v->Settings().freqSize, 20);

    // The amplitude range zoomed again; the spectrogram dialog's Apply and
    // the zero-crossing dialog's OK leave it and each other's fields alone.
    v->Settings().maxAmplitude = 2500;
    v->Settings().minAmplitude = -1200;
    v->Settings().oscGridY = 4;
    v->Settings().oscGridX = 3;
    v->Recompute();
    QVERIFY(zc->Ok());
    Settle();
    QCOMPARE(v->Settings().maxAmplitude, int64_t{2500});
    QCOMPARE(v->Settings().minAmplitude, int64_t{-1200});
    QCOMPARE(v->Settings().oscGridY, 4);
    QCOMPARE(v->Settings().oscGridX, 3);
    QCOMPARE(v->Settings().fftSize, 256);
    QCOMPARE(v->Settings().colorScheme, 3);
    v->Settings().freqSize = 20;
    QVERIFY(spect->Apply());
    QCOMPARE(v->Settings().maxAmplitude, int64_t{2500});
    QCOMPARE(v->Settings().minAmplitude, int64_t{-1200});
    QCOMPARE(v->Settings().oscGridY, 4);
    QCOMPARE(v->Settings().oscGridX, 3);
    QCOMPARE(v->Settings().freqSize, 20);
    // The spectrogram dialog's own fields are stored: the size it shows.
    QCOMPARE(v->Settings().fftSize, spect->Settings().fftSize);
    QVERIFY(osc->Ok());
    QVERIFY(spect->Ok());
    Settle();
  }
};

int RunNavigationTest(int argc, char** argv) {
  NavigationTest t;
  return QTest::qExec(&t, argc, argv);
}
#include "NavigationTest.moc"
