// The cards' sampling-parameter dialogs: the factor and the playback
// frequency follow each other as the user chooses or types, and OK gives the
// record back.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "TestClasses.h"
#include "settings/CardParametersDialog.h"

void CardParametersDialogTest::cleanup() { CardParametersDialog::runner = nullptr; }

void CardParametersDialogTest::playbackHeldFixedGivesTheFactor() {
  nv::CardParameters p;
  p.sampFreqHz = 250000;
  p.replayFreqHz = 44100;
  CardParametersDialog d(nv::CardKind::ComputerBoards, p);
  QVERIFY(d.FixedExpansion()->isChecked());
  d.PlaybackRate()->setCurrentIndex(d.PlaybackRate()->findText("22050 Hz"));
  QVERIFY(d.FixedPlayback()->isChecked());
  QCOMPARE(d.TimeExpansion()->currentText(), QString("11.338"));
  // A new recording frequency keeps the playback fixed and recomputes the factor.
  d.RecordingRate()->setCurrentIndex(d.RecordingRate()->findText("50 kHz"));
  QCOMPARE(d.TimeExpansion()->currentText(), QString("2.268"));
  QVERIFY(d.FixedPlayback()->isChecked());
  QCOMPARE(d.windowTitle(), QString("Sampling parameters - ComputerBoards"));
  QVERIFY(d.Gain() == nullptr);
}

void CardParametersDialogTest::factorHeldFixedGivesThePlayback() {
  nv::CardParameters p;
  p.sampFreqHz = 500000;
  p.fixReplay = 1;
  CardParametersDialog d(nv::CardKind::NationalInstruments, p);
  QVERIFY(d.FixedPlayback()->isChecked());
  d.TimeExpansion()->setEditText("");
  QTest::keyClicks(d.TimeExpansion(), "10");
  QVERIFY(d.FixedExpansion()->isChecked());
  QCOMPARE(d.PlaybackRate()->currentText(), QString("50000 Hz"));
  d.TimeExpansion()->setEditText("5");
  QCOMPARE(d.PlaybackRate()->currentText(), QString("100000 Hz"));
  d.TimeExpansion()->setEditText("4");
  QCOMPARE(d.PlaybackRate()->currentText(), QString(""));  // 125 000 Hz is too high
  QCOMPARE(d.FilterCutOff()->itemText(0), QString(""));   // this card's list starts empty
  QVERIFY(d.Gain() != nullptr);
}

void CardParametersDialogTest::fieldsFromAndBackToTheRecord() {
  nv::CardParameters p;
  p.sampFreqHz = 384615;
  p.timeExp = 20000;
  p.storeTime = 30;
  p.gain = 50;
  p.circularBuffer = 0;
  p.playAfter = 0;
  CardParametersDialog::runner = [](CardParametersDialog& d) {
    d.Gain()->setCurrentIndex(d.Gain()->findText("10"));
    d.StorageTime()->setEditText("45 sec");
    return true;
  };
  nv::CardParameters back = p;
  QVERIFY(CardParametersDialog::Ask(nv::CardKind::NationalInstruments, back, nullptr));
  QCOMPARE(back.sampFreqHz, 384615);
  QCOMPARE(back.timeExp, 20000);
  QCOMPARE(back.storeTime, 45);
  QCOMPARE(back.gain, 10);
  QCOMPARE(int(back.circularBuffer), 0);
  QCOMPARE(int(back.playAfter), 0);
  QCOMPARE(int(back.fixReplay), 0);
  CardParametersDialog::runner = [](CardParametersDialog&) { return false; };
  nv::CardParameters same = p;
  QVERIFY(!CardParametersDialog::Ask(nv::CardKind::NationalInstruments, same, nullptr));
  QVERIFY(same == p);
}
