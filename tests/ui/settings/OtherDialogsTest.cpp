#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "TestClasses.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/ZeroCrossingSettingsDialog.h"
#include "base/HoldSpinButtons.h"
#include "base/NumericEdit.h"

namespace {
const DocumentRates kCd{44100, 1000};
}

void OscillogramDialogTest::validationOrder() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new OscillogramSettingsDialog(s, false, kCd);
  QCOMPARE(d->windowTitle(), QString("Oscillogram settings"));
  d->LeftBox()->setChecked(false);
  d->RightBox()->setChecked(false);
  d->TimeField()->setText("1200000.5");
  d->MinAmplitudeField()->setText("50");
  d->MaxAmplitudeField()->setText("50");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: At least one channel must be selected!"));
  d->LeftBox()->setChecked(true);
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(),
           std::string("Error: Time per plot must not be below 0.001 msec or above 1200 sec!"));
  d->TimeField()->setText("20");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Min amplitude > Max amplitude."));
  // Above 100 % the field's own range answers first.
  d->MaxAmplitudeField()->setText("101");
  QVERIFY(!d->Apply());
  QCOMPARE(messages.last(), std::string("Numeric '101' out of range (-100 - 100)."));
  d->MinAmplitudeField()->setText("-101");
  QVERIFY(!d->Apply());
  QCOMPARE(messages.last(), std::string("Numeric '-101' out of range (-100 - 100)."));
  QCOMPARE(messages.texts().size(), size_t{5});
  d->MinAmplitudeField()->setText("-100");
  d->MaxAmplitudeField()->setText("100");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{20000});
  QCOMPARE(messages.texts().size(), size_t{5});
  delete d;
}

void OscillogramDialogTest::amplitudesInWholePercent() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.minAmplitude = -2550;
  s.maxAmplitude = 7000;
  s.lineBetweenSamples = 1;
  s.oscGridX = 2;
  s.oscGridY = 5;
  auto* d = new OscillogramSettingsDialog(s, false, kCd);
  QCOMPARE(d->MinAmplitudeField()->text(), QString("-25"));
  QCOMPARE(d->MaxAmplitudeField()->text(), QString("70"));
  QVERIFY(d->LineBox()->isChecked());
  QCOMPARE(d->TimeGridBox()->currentText(), QString("2"));
  QCOMPARE(d->AmplitudeGridBox()->currentText(), QString("5"));
  QCOMPARE(d->AmplitudeGridBox()->itemText(0), QString("None"));
  d->MinAmplitudeField()->setText("-30");
  d->LineBox()->setChecked(false);
  d->AmplitudeGridBox()->setCurrentIndex(0);
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().minAmplitude, int64_t{-3000});
  QCOMPARE(d->Settings().maxAmplitude, int64_t{7000});
  QCOMPARE(d->Settings().lineBetweenSamples, uint8_t{0});
  QCOMPARE(d->Settings().oscGridY, 0);
  QCOMPARE(d->Settings().oscGridX, 2);
  QVERIFY(messages.texts().empty());
  delete d;
}

void OscillogramDialogTest::defaultsSkipAmplitudeChecks() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new OscillogramSettingsDialog(s, true, kCd);
  QCOMPARE(d->windowTitle(), QString("Oscillogram settings - Default values"));
  QVERIFY(!d->MinAmplitudeField()->isEnabled());
  d->MinAmplitudeField()->setText("500");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().minAmplitude, int64_t{-10000});
  d->TimeField()->setText("0");
  QVERIFY(!d->Apply());
  QCOMPARE(messages.texts().size(), size_t{1});
  delete d;
}

void ZeroCrossingDialogTest::validationOrder() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  auto* d = new ZeroCrossingSettingsDialog(s, false, kCd);
  QCOMPARE(d->windowTitle(), QString("Zero Crossing Analysis settings"));
  d->LeftBox()->setChecked(false);
  d->RightBox()->setChecked(false);
  d->TimeField()->setText("0");
  d->MinFrequencyField()->setText("25000");
  d->MaxFrequencyField()->setText("22051");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: At least one channel must be selected!"));
  d->RightBox()->setChecked(true);
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Time per plot must not be below 1 or above 1200 sec!"));
  d->TimeField()->setText("1200001");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Time per plot must not be below 1 or above 1200 sec!"));
  d->TimeField()->setText("1200000");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Max frequency > 22050 Hz"));
  d->MaxFrequencyField()->setText("22050");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Error: Min frequency > Max frequency."));
  d->ThresholdField()->setText("100");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Numeric '100' out of range (0 - 99)."));
  d->TimeField()->setText("1.5");
  QVERIFY(!d->Ok());
  QCOMPARE(messages.last(), std::string("Illegal character in numeric '1.5'."));
  QCOMPARE(messages.texts().size(), size_t{7});
  d->TimeField()->setText("30");
  d->ThresholdField()->setText("99");
  d->MinFrequencyField()->setText("0");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{30000});
  QCOMPARE(d->Settings().maxFrequencyHz, int64_t{22050});
  delete d;

  // On the defaults the frequencies are neither checked nor stored.
  d = new ZeroCrossingSettingsDialog(s, true, kCd);
  QCOMPARE(d->windowTitle(), QString("Zero Crossing Analysis settings - Default values"));
  QVERIFY(!d->MaxFrequencyField()->isEnabled());
  d->MaxFrequencyField()->setText("999999999");
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().maxFrequencyHz, int64_t{-1});
  delete d;
}

void ZeroCrossingDialogTest::fieldsShownAndStored() {
  CapturedMessages messages;
  nv::AnalysisSettings s;
  s.timePerPlotUs = 2500400;  // shown in whole milliseconds
  s.freqSize = 1;
  s.freqThreshold = 12;
  s.freqPlotType = 1;
  s.freqGridX = 3;
  s.freqGridY = 2;
  s.fontSize = 14;
  auto* d = new ZeroCrossingSettingsDialog(s, false, kCd);
  QCOMPARE(d->TimeField()->text(), QString("2500"));
  QCOMPARE(d->SamplesBox()->currentText(), QString("Automatic"));
  QCOMPARE(d->SamplesBox()->itemText(0), QString("16000 samples"));
  QCOMPARE(d->SamplesBox()->count(), 11);
  QCOMPARE(d->ThresholdField()->text(), QString("12"));
  QVERIFY(d->LineBox()->isChecked());
  QCOMPARE(d->TimeGridBox()->currentText(), QString("3"));
  QCOMPARE(d->FrequencyGridBox()->currentText(), QString("2 / tick mark"));
  QCOMPARE(d->FontSizeField()->text(), QString("14"));
  d->SamplesBox()->setCurrentIndex(d->SamplesBox()->findText("250 samples"));
  d->FrequencyGridBox()->setCurrentIndex(1);
  d->TimeGridBox()->setCurrentIndex(0);
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().timePerPlotUs, int64_t{2500000});
  QCOMPARE(d->Settings().freqSize, 250);
  QCOMPARE(d->Settings().freqGridY, 0);
  QCOMPARE(d->Settings().freqGridX, 0);
  delete d;
  // A count the list does not offer is kept.
  s.freqSize = 300;
  d = new ZeroCrossingSettingsDialog(s, false, kCd);
  QCOMPARE(d->SamplesBox()->currentText(), QString("300 samples"));
  QVERIFY(d->Apply());
  QCOMPARE(d->Settings().freqSize, 300);
  delete d;
  QVERIFY(messages.texts().empty());
}

void ZeroCrossingDialogTest::wholeMillisecondSpin() {
  nv::AnalysisSettings s;
  s.timePerPlotUs = 100000;
  auto* d = new ZeroCrossingSettingsDialog(s, false, kCd);
  HoldSpinButtons* spin = d->TimeSpin();
  QCOMPARE(spin->IncrementFor(0), 5);
  QCOMPARE(spin->IncrementFor(2000), 50);
  QCOMPARE(spin->IncrementFor(4000), 250);
  QCOMPARE(spin->IncrementFor(6000), 1000);
  QCOMPARE(spin->IncrementFor(8000), 5000);
  spin->Step(1, 0);
  QCOMPARE(d->TimeField()->text(), QString("105"));
  d->TimeField()->setText("1199999");
  spin->Step(1, 9000);
  QCOMPARE(d->TimeField()->text(), QString("1200000"));
  d->TimeField()->setText("3");
  spin->Step(-1, 0);
  QCOMPARE(d->TimeField()->text(), QString("1"));
  delete d;
}
