#pragma once
// The settings test classes and the helpers they share.
#include <QObject>
#include <QtTest>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/AppCore.h"

// A recording message sink installed for the lifetime of the object.
using CapturedMessages = nv::test::ScopedSink;

class QtSettingsStoreTest : public QObject {
  Q_OBJECT
 private slots:
  void storeLivesInTheTestConfiguration();
  void valuesOfEveryKindRoundTrip();
  void missingAndOtherKindsReadAsMissing();
  void saveAllMakesTheSectionsAsGroups();
  void loadAllReadsWhatSaveAllWrote();
  void colourMapsWithTenEmptyValues();
};

class NumericEditTest : public QObject {
  Q_OBJECT
 private slots:
  void showing_data();
  void showing();
  void parsing_data();
  void parsing();
  void illegalCharacterMessage();
  void outOfRangeMessage();
  void silentReading();
  void keyFilter();
  void holdIncrements();
};

class SpectrogramDialogTest : public QObject {
  Q_OBJECT
  // The records the dialogs show and edit: the colour maps and defaults.
  nv::AppCore core_;

 private slots:
  void init();
  void readouts();
  void readoutsInTheDialogAndAfterApply();
  void captions();
  void validationOrder();
  void timePerPlotLimits();
  void nyquistLimit();
  void defaultsSkipFrequencyChecks();
  void okApplyCancel();
  void secondOpenBringsTheSameDialog();
  void fieldsShownAndStored();
  void overlapAutomaticBox();
  void colourListAndDisabledControls();
  void userColorsRefillsTheList();
  void spinIncrements();
  void unlistedWindowCodeShowsRectangularAndIsKept();
  void defaultDialogsUseTheDefaultFormatsRate();
};

class OscillogramDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void validationOrder();
  void amplitudesInWholePercent();
  void defaultsSkipAmplitudeChecks();
};

class ZeroCrossingDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void validationOrder();
  void fieldsShownAndStored();
  void wholeMillisecondSpin();
};

class ColorMapDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void editorRowsAndScrolling();
  void leavingAFieldAppliesTheRangeRule();
  void orderOfLevelsRefusesScrollAndSave();
  void blankNameRefused();
  void savingIntoTheMap();
  void colourButtons();
  void lastUpdateText();
  void listButtonsAndChanges();
  void listChangesAreWrittenToTheStore();
};

class CardParametersDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup();
  void playbackHeldFixedGivesTheFactor();
  void factorHeldFixedGivesThePlayback();
  void fieldsFromAndBackToTheRecord();
};
