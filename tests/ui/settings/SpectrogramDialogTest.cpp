#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>

#include "TestClasses.h"
#include "app/AppCore.h"
#include "app/DefaultSettingsDialogs.h"
#include "settings/DialogSlot.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/SpectrogramSettingsDialog.h"
#include "base/HoldSpinButtons.h"
#include "base/NumericEdit.h"
#include "settings/ZeroCrossingSettingsDialog.h"

namespace {
const DocumentRates kCd{44100, 1000};

nv::UserColorMap Map(const std::string& name) {
  nv::UserColorMap m;
  m.SetName(name);
  m.rangeCount = 1;
  m.ranges[0] = {0, -60000, -1000, 60, nv::Rgb(255, 255, 0), nv::Rgb(0, 0, 0), INT32_MIN};
  return m;
}

// Deletes dialogs that closed themselves.
void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct Applied {
  int count = 0;
  bool closing = false;
  nv::AnalysisSettings last;
  void Watch(SettingsDialogBase* d) {
    QObject::connect(d, &SettingsDialogBase::applied, d,
                     [this](const nv::AnalysisSettings& s, bool c) {
                       ++count;
                       closing = c;
                       last = s;
                     });
  }
};
}  // namespace

void SpectrogramDialogTest::init() {
  core_.Reset();
  core_.colorMaps.maps = {Map("Night"), Map("Dawn")};
}

void SpectrogramDialogTest::readouts() {
  using D = SpectrogramSettingsDialog;
  QCOMPARE(D::TimeBetweenFftsText(1024, 50, kCd), QString("11.6 ms"));
  QCOMPARE(D::FrequencyResolutionText(1024, 2, kCd), QString("60 Hz"));
  QCOMPARE(D::FrequencyResolutionText(1024, 1, kCd), QString("78 Hz"));   // Parzen 1.82
  QCOMPARE(D::FrequencyResolutionText(1024, 0, kCd), QString("37 Hz"));   // Rectangular 0.85
  QCOMPARE(D::FrequencyResolutionText(1024, 4, kCd), QString("56 Hz"));   // Hamming 1.3
  QCOMPARE(D::FrequencyResolutionText(1024, 8, kCd), QString("50 Hz"));   // Cosine 1.17
  QCOMPARE(D::FrequencyResolutionText(0, 2, kCd), QString());            // automatic size
  QCOMPARE(D::TimeBetweenFftsText(0, 50, kCd), QString());
  QCOMPARE(D::TimeBetweenFftsText(1024, -1, kCd), QString());            // automatic overlap
  QCOMPARE(D::TimeBetweenFftsText(2048, 0, {4410, 1000}), QString("464 ms"));
  QCOMPARE(D::TimeBetweenFftsText(256, 0, kCd), QString("5.80 ms"));
  QCOMPARE(D::TimeBetweenFftsText(16, 0, kCd), QString("0.363 ms"));
  // Time expansion 10: the real time is a tenth, the real frequencies ten times.
  QCOMPARE(D::TimeBetweenFftsText(1024, 50, {44100, 10000}), QString("1.16 ms"));
  QCOMPARE(D::FrequencyResolutionText(1024, 2, {44100, 10000}), QString("603 Hz"));
}

void SpectrogramDialogTest::readoutsInTheDialogAndAfterApply() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.fftSize = 1024;
  s.fftOverlap = 50;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(d->ResolutionReadout()->text(), QString("60 Hz"));
  QCOMPARE(d->TimeBetweenReadout()->text(), QString("11.6 ms"));
  // The read-outs follow the stored record, so they change on Apply only.
  d->FftSizeBox()->setCurrentIndex(d->FftSizeBox()->findData(512));
  QCOMPARE(d->ResolutionReadout()->text(), QString("60 Hz"));
  QVERIFY(d->Apply());
  QCOMPARE(d->ResolutionReadout()->text(), QString("121 Hz"));
  QCOMPARE(d->TimeBetweenReadout()->text(), QString("5.80 ms"));
  d->FftSizeBox()->setCurrentIndex(0);
  QVERIFY(d->Apply());
  QCOMPARE(d->ResolutionReadout()->text(), QString());
  QVERIFY(messages.texts().empty());
  delete d;
}

void SpectrogramDialogTest::captions() {
  nv::AnalysisSettings s;
  auto* view = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(view->windowTitle(), QString("Spectrogram settings"));
  QVERIFY(view->MinFrequencyField()->isEnabled());
  QVERIFY(!view->isModal());
  auto* defaults = new SpectrogramSettingsDialog(core_.colorMapList, s, true, kCd);
  QCOMPARE(defaults->windowTitle(), QString("Spectrogram settings - Default values"));
  QVERIFY(!defaults->MinFrequencyField()->isEnabled());
  QVERIFY(!defaults->MaxFrequencyField()->isEnabled());
  delete view;
  delete defaults;
}

void SpectrogramDialogTest::validationOrder() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  d->show();
  // Every check fails at once; they are reported one by one in order.
  d->LeftBox()->setChecked(false);
  d->RightBox()->setChecked(false);
  d->TimeField()->setText("0");
  d->MinFrequencyField()->setText("30000");
  d->MaxFrequencyField()->setText("30000");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: At least one channel must be selected!"));
  d->RightBox()->setChecked(true);
  QVERIFY(!d->Apply());
  QCOMPARE(messages.last(),
           std::string("Error: Time per plot must not be below 0.001 msec or above 1200 sec!"));
  d->TimeField()->setText("100");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Max frequency > 22050 Hz"));
  d->MaxFrequencyField()->setText("20000");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Min frequency > Max frequency."));
  d->MinFrequencyField()->setText("20000");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Min frequency > Max frequency."));
  // A negative minimum is already refused by the field's own range.
  d->MinFrequencyField()->setText("-5");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Numeric '-5' out of range (0 - 100000000)."));
  d->MinFrequencyField()->setText("x5");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Illegal character in numeric 'x5'."));
  QVERIFY(d->isVisible());  // every failure keeps the dialog open
  QCOMPARE(messages.texts().size(), size_t{7});
  d->MinFrequencyField()->setText("1000");
  QPointer<SpectrogramSettingsDialog> guard(d);
  QVERIFY(d->Ok());
  FlushDeletes();
  QVERIFY(guard.isNull());
  QCOMPARE(messages.texts().size(), size_t{7});
}

void SpectrogramDialogTest::timePerPlotLimits() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  d->TimeField()->setText("1200000");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{1200000000});
  d->TimeField()->setText("1200000.001");
  QVERIFY(!d->Apply());
  d->TimeField()->setText("-1");
  QVERIFY(!d->Apply());
  d->TimeField()->setText("0.001");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{1});
  d->TimeField()->setText(" 12.5 ");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{12500});
  QCOMPARE(messages.texts().size(), size_t{2});
  QCOMPARE(messages.texts()[1],
           std::string("Error: Time per plot must not be below 0.001 msec or above 1200 sec!"));
  delete d;
}

void SpectrogramDialogTest::nyquistLimit() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, {44100, 10000});
  QCOMPARE(d->MaxFrequencyField()->text(), QString("220500"));  // not set: the Nyquist frequency
  d->MaxFrequencyField()->setText("220500");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().maxFrequencyHz, int64_t{220500});
  d->MaxFrequencyField()->setText("220501");
  QVERIFY(!d->Apply());
  QCOMPARE(messages.last(), std::string("Error: Max frequency > 220500 Hz"));
  delete d;
}

void SpectrogramDialogTest::defaultsSkipFrequencyChecks() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.minFrequencyHz = 50000;
  s.maxFrequencyHz = 100;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, true, kCd);
  d->MinFrequencyField()->setText("bad");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().minFrequencyHz, int64_t{50000});
  QCOMPARE(d->Settings().maxFrequencyHz, int64_t{100});
  // The checks before the frequencies still apply.
  d->LeftBox()->setChecked(false);
  d->RightBox()->setChecked(false);
  QVERIFY(!d->Apply());
  QCOMPARE(messages.last(), std::string("Error: At least one channel must be selected!"));
  d->LeftBox()->setChecked(true);
  d->TimeField()->setText("1200001");
  QVERIFY(!d->Apply());
  QCOMPARE(messages.texts().size(), size_t{2});
  delete d;
}

void SpectrogramDialogTest::okApplyCancel() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  {
    auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
    Applied applied;
    applied.Watch(d);
    d->show();
    d->TimeField()->setText("250");
    QTest::mouseClick(d->ApplyButton(), Qt::LeftButton);
    QCOMPARE(applied.count, 1);
    QVERIFY(!applied.closing);
    QCOMPARE(applied.last.timePerPlotUs, int64_t{250000});
    QVERIFY(d->isVisible());
    QPointer<SpectrogramSettingsDialog> guard(d);
    bool closed = false;
    QObject::connect(d, &SettingsDialogBase::closed, [&] { closed = true; });
    QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    QCOMPARE(applied.count, 2);
    QVERIFY(applied.closing);
    QVERIFY(closed);
    FlushDeletes();
    QVERIFY(guard.isNull());
  }
  {
    auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
    Applied applied;
    applied.Watch(d);
    d->show();
    d->TimeField()->setText("250");
    QPointer<SpectrogramSettingsDialog> guard(d);
    QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
    QCOMPARE(applied.count, 0);
    FlushDeletes();
    QVERIFY(guard.isNull());
  }
  QVERIFY(messages.texts().empty());
}

void SpectrogramDialogTest::secondOpenBringsTheSameDialog() {
  core_.defaultAnalysis.timePerPlotUs = 40000;
  DefaultSettingsDialogs defaults(core_);
  SpectrogramSettingsDialog* first = defaults.OpenSpectrogram();
  QVERIFY(first->isVisible());
  QCOMPARE(first->windowTitle(), QString("Spectrogram settings - Default values"));
  QCOMPARE(first->TimeField()->text(), QString("40"));
  QCOMPARE(defaults.OpenSpectrogram(), first);
  first->TimeField()->setText("75");
  QVERIFY(first->Apply());
  QCOMPARE(core_.defaultAnalysis.timePerPlotUs, int64_t{75000});
  QVERIFY(first->Ok());
  FlushDeletes();
  SpectrogramSettingsDialog* second = defaults.OpenSpectrogram();
  QVERIFY(second != nullptr);
  QCOMPARE(second->TimeField()->text(), QString("75"));
  OscillogramSettingsDialog* osc = defaults.OpenOscillogram();
  QCOMPARE(defaults.OpenOscillogram(), osc);
  ZeroCrossingSettingsDialog* zc = defaults.OpenZeroCrossing();
  QCOMPARE(defaults.OpenZeroCrossing(), zc);
  second->reject();
  osc->reject();
  zc->reject();
  FlushDeletes();

  // A view's slot behaves alike.
  DialogSlot<SpectrogramSettingsDialog> slot;
  int made = 0;
  auto make = [&] {
    ++made;
    return new SpectrogramSettingsDialog(core_.colorMapList, nv::AnalysisSettings(), false, kCd);
  };
  auto* a = slot.Open(make);
  QCOMPARE(slot.Open(make), a);
  QCOMPARE(made, 1);
  a->reject();
  FlushDeletes();
  QVERIFY(!slot.IsOpen());
  slot.Open(make);
  QCOMPARE(made, 2);
  slot.Get()->reject();
  FlushDeletes();
}

void SpectrogramDialogTest::fieldsShownAndStored() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.timePerPlotUs = 1234567;
  s.minFrequencyHz = 15000;
  s.maxFrequencyHz = 20000;
  s.fftSize = 256;
  s.window = 8;
  s.fftOverlap = 75;
  s.threshold = 20;
  s.contrast = 3;
  s.invColors = 1;
  s.fontSize = 11;
  s.colorBar = 0;
  s.leftChannel = 0;
  s.spectGridX = 4;
  s.spectGridY = 3;
  s.oscGridX = 5;  // not this dialog's
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(d->TimeField()->text(), QString("1234.567"));
  QCOMPARE(d->MinFrequencyField()->text(), QString("15000"));
  QCOMPARE(d->FftSizeBox()->currentText(), QString("256 samples"));
  QCOMPARE(d->WindowBox()->currentText(), QString("Cosine"));
  QCOMPARE(d->OverlapField()->text(), QString("75"));
  QVERIFY(!d->AutoOverlapBox()->isChecked());
  QCOMPARE(d->ThresholdSlider()->value(), 20);
  QCOMPARE(d->ThresholdValue()->text(), QString("20"));
  QCOMPARE(d->ContrastSlider()->value(), 7);
  QCOMPARE(d->ContrastValue()->text(), QString("-3"));
  QVERIFY(d->DeEmphasisBox()->isChecked());
  QVERIFY(!d->ColorBarBox()->isChecked());
  QVERIFY(!d->LeftBox()->isChecked());
  QCOMPARE(d->TimeGridBox()->currentText(), QString("4 / value"));
  QCOMPARE(d->FrequencyGridBox()->currentText(), QString("3 / tick mark"));
  QCOMPARE(d->ColorMapBox()->currentText(), QString("Yellow, Red & Blue"));

  QVERIFY(d->Apply());
  QVERIFY(d->Settings() == s);  // nothing changed, nothing differs

  d->ContrastSlider()->setValue(18);  // shown +8, stored -8
  QCOMPARE(d->ContrastValue()->text(), QString("8"));
  d->FrequencyGridBox()->setCurrentIndex(1);
  d->TimeGridBox()->setCurrentIndex(0);
  d->WindowBox()->setCurrentIndex(2);
  d->FftSizeBox()->setCurrentIndex(0);
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().contrast, -8);
  QCOMPARE(d->Settings().spectGridY, 0);
  QCOMPARE(d->Settings().spectGridX, 0);
  QCOMPARE(d->Settings().window, 1);  // Parzen
  QCOMPARE(d->Settings().fftSize, 0);
  QCOMPARE(d->Settings().oscGridX, 5);
  d->FrequencyGridBox()->setCurrentIndex(0);
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().spectGridY, -1);
  QVERIFY(messages.texts().empty());
  delete d;
}

void SpectrogramDialogTest::overlapAutomaticBox() {
  nv::AnalysisSettings s;
  s.fftOverlap = 50;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  d->show();
  QVERIFY(!d->AutoOverlapBox()->isChecked());
  QTest::mouseClick(d->AutoOverlapBox(), Qt::LeftButton);
  QVERIFY(d->AutoOverlapBox()->isChecked());
  QCOMPARE(d->OverlapField()->text(), QString("-1"));
  QTest::mouseClick(d->AutoOverlapBox(), Qt::LeftButton);
  QVERIFY(!d->AutoOverlapBox()->isChecked());
  QCOMPARE(d->OverlapField()->text(), QString("50"));
  // Typing a negative value checks the box.
  d->OverlapField()->clear();
  QTest::keyClicks(d->OverlapField(), "-1");
  QVERIFY(d->AutoOverlapBox()->isChecked());
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().fftOverlap, -1);
  QCOMPARE(d->TimeBetweenReadout()->text(), QString());
  // The spin runs from -1 to 98.
  d->OverlapField()->setText("97");
  d->OverlapSpin()->Step(1, 0);
  d->OverlapSpin()->Step(1, 0);
  QCOMPARE(d->OverlapField()->text(), QString("98"));
  d->OverlapField()->setText("0");
  d->OverlapSpin()->Step(-1, 0);
  d->OverlapSpin()->Step(-1, 0);
  QCOMPARE(d->OverlapField()->text(), QString("-1"));
  QVERIFY(d->AutoOverlapBox()->isChecked());
  // Unchecking restores the last value that was not negative.
  QTest::mouseClick(d->AutoOverlapBox(), Qt::LeftButton);
  QCOMPARE(d->OverlapField()->text(), QString("98"));
  delete d;
}

void SpectrogramDialogTest::colourListAndDisabledControls() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.colorScheme = 2;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QComboBox* box = d->ColorMapBox();
  QCOMPARE(box->count(), 10);
  const QStringList builtIn{"Yellow & Red", "Black & White",     "Grey",          "Red",
                            "Blue",         "Red, Green & Blue", "Yellow & Blue", "Yellow, Red & Blue"};
  for (int i = 0; i < 8; ++i) QCOMPARE(box->itemText(i), builtIn[i]);
  QCOMPARE(box->itemText(8), QString("Night"));
  QCOMPARE(box->itemText(9), QString("Dawn"));
  QCOMPARE(box->currentText(), QString("Grey"));
  QVERIFY(d->ThresholdSlider()->isEnabled());

  d->ChooseColorMap(9);
  for (QWidget* w : std::initializer_list<QWidget*>{d->ThresholdSlider(), d->ContrastSlider(),
                                                    d->ThresholdValue(), d->ContrastValue(),
                                                    d->DeEmphasisBox()})
    QVERIFY(!w->isEnabled());
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().colorScheme, 100);
  QCOMPARE(d->Settings().userColorMap.Name(), std::string("Dawn"));

  d->ChooseColorMap(5);
  QVERIFY(d->ThresholdSlider()->isEnabled());
  QVERIFY(d->DeEmphasisBox()->isEnabled());
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().colorScheme, 5);
  QVERIFY(d->Settings().userColorMap == nv::UserColorMap());
  delete d;

  // A record with a user map is shown by the map's name.
  s.colorScheme = 100;
  s.userColorMap = Map("Dawn");
  d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(d->ColorMapBox()->currentText(), QString("Dawn"));
  QVERIFY(!d->ThresholdSlider()->isEnabled());
  delete d;
  // ... also when the list no longer holds it; the record's map is kept.
  s.userColorMap = Map("Gone");
  s.userColorMap.ranges[0].count = 7;
  d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(d->ColorMapBox()->currentText(), QString("Gone"));
  QVERIFY(d->Apply());
  QVERIFY(d->Settings().userColorMap == s.userColorMap);
  delete d;
  s.colorScheme = 42;
  d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  QCOMPARE(d->ColorMapBox()->currentText(), QString("Unknown color"));
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().colorScheme, 42);
  delete d;
  QVERIFY(messages.texts().empty());
}

void SpectrogramDialogTest::userColorsRefillsTheList() {
  nv::AnalysisSettings s;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  d->ChooseColorMap(9);  // "Dawn"
  int runs = 0;
  d->runUserColors = [&] {
    ++runs;
    auto& maps = core_.colorMaps.maps;
    maps.erase(maps.begin());  // "Night" goes, "Dawn" moves up
    maps.push_back(Map("Dusk"));
  };
  QTest::mouseClick(d->UserColorsButton(), Qt::LeftButton);
  QCOMPARE(runs, 1);
  QCOMPARE(d->ColorMapBox()->count(), 10);
  QCOMPARE(d->ColorMapBox()->itemText(8), QString("Dawn"));
  QCOMPARE(d->ColorMapBox()->itemText(9), QString("Dusk"));
  QCOMPARE(d->ColorMapBox()->currentText(), QString("Dawn"));
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().userColorMap.Name(), std::string("Dawn"));
  delete d;
}

void SpectrogramDialogTest::spinIncrements() {
  nv::AnalysisSettings s;
  s.timePerPlotUs = 15000000;
  auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
  d->TimeSpin()->Step(1, 0);
  QCOMPARE(d->TimeField()->text(), QString("15000.01"));
  d->TimeSpin()->Step(1, 13000);
  QCOMPARE(d->TimeField()->text(), QString("16000.01"));
  d->TimeField()->setText("0.005");
  d->TimeSpin()->Step(-1, 0);
  QCOMPARE(d->TimeField()->text(), QString("0.001"));
  delete d;
}

// A stored window code the list does not hold (3, 5, any other) is computed
// as a rectangular window: the dialog shows "Rectangular" and its read-out,
// and writes the stored code back until the user picks a window.
void SpectrogramDialogTest::unlistedWindowCodeShowsRectangularAndIsKept() {
  CapturedMessages messages;
  for (int32_t code : {3, 5, 77}) {
    nv::AnalysisSettings s;
    s.window = code;
    s.fftSize = 1024;
    auto* d = new SpectrogramSettingsDialog(core_.colorMapList, s, false, kCd);
    QCOMPARE(d->WindowBox()->currentText(), QString("Rectangular"));
    QCOMPARE(d->ResolutionReadout()->text(), QString("37 Hz"));
    QVERIFY(d->Apply());
    QCOMPARE(d->Settings().window, code);
    // Choosing a window in the list replaces the code.
    d->WindowBox()->setCurrentIndex(d->WindowBox()->findText("Hamming"));
    emit d->WindowBox()->activated(d->WindowBox()->currentIndex());
    QVERIFY(d->Apply());
    QCOMPARE(d->Settings().window, 4);
    delete d;
  }
  QCOMPARE(SpectrogramSettingsDialog::FrequencyResolutionText(1024, 3, kCd), QString("37 Hz"));
}

// The "- Default" dialogs have no document: their read-outs and the shown
// maximum frequency come from the default format's rate and factor.
void SpectrogramDialogTest::defaultDialogsUseTheDefaultFormatsRate() {
  core_.defaultData.rateHz = 44100;
  core_.defaultData.info.SetTimeExpansion(10000);
  core_.defaultAnalysis.fftSize = 1024;
  core_.defaultAnalysis.window = 2;
  core_.defaultAnalysis.fftOverlap = 50;
  core_.defaultAnalysis.maxFrequencyHz = -1;
  DefaultSettingsDialogs dialogs(core_);
  SpectrogramSettingsDialog* d = dialogs.OpenSpectrogram(nullptr);
  QVERIFY(d);
  // Hanning 1.4 x 441 000 Hz / 1024; 1024 / 441 000 Hz x 0.5.
  QCOMPARE(d->ResolutionReadout()->text(), QString("603 Hz"));
  QCOMPARE(d->TimeBetweenReadout()->text(), QString("1.16 ms"));
  QCOMPARE(d->MaxFrequencyField()->text(), QString("220500"));
  QVERIFY(!d->MaxFrequencyField()->text().startsWith("-"));
  d->close();
  FlushDeletes();
  OscillogramSettingsDialog* o = dialogs.OpenOscillogram(nullptr);
  QVERIFY(o);
  o->close();
  ZeroCrossingSettingsDialog* z = dialogs.OpenZeroCrossing(nullptr);
  QVERIFY(z);
  QVERIFY(!z->findChildren<QLineEdit*>().isEmpty());
  for (QLineEdit* e : z->findChildren<QLineEdit*>()) QVERIFY2(e->text() != "-1", qPrintable(e->objectName()));
  z->close();
  FlushDeletes();
}
