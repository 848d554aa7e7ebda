#pragma once
// "Sampling parameters - ComputerBoards" and "Sampling parameters - NI DAQCard
// E-series": a card's recording frequency, storage time, time-expansion
// factor, playback frequency, external filter, storage mode and (National
// Instruments only) gain. Choosing or typing the factor holds it fixed and
// recomputes the playback frequency, and the other way round; a new recording
// frequency recomputes whichever is not held. Tests replace `runner`.
// Interface thread only.
#include <QDialog>
#include <functional>

#include "settings/CardParameterRules.h"
#include "settings/CardParameters.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

class CardParametersDialog : public QDialog {
  Q_OBJECT
 public:
  CardParametersDialog(nv::CardKind card, const nv::CardParameters& start, QWidget* parent = nullptr);

  // The record as the fields give it (fields left empty keep their values).
  nv::CardParameters Parameters() const;

  QComboBox* RecordingRate() const { return recording_; }
  QComboBox* StorageTime() const { return storage_; }
  QComboBox* TimeExpansion() const { return expansion_; }
  QComboBox* PlaybackRate() const { return playback_; }
  QComboBox* FilterCutOff() const { return cutOff_; }
  QComboBox* Gain() const { return gain_; }
  QRadioButton* FixedPlayback() const { return fixedPlayback_; }
  QRadioButton* FixedExpansion() const { return fixedExpansion_; }

  // Shows the dialog; true on OK with `params` updated.
  static bool Ask(nv::CardKind card, nv::CardParameters& params, QWidget* parent);
  static std::function<bool(CardParametersDialog&)> runner;

 private:
  // Recomputes the field that is not held fixed.
  void Follow();

  nv::CardKind card_;
  nv::CardParameters start_;
  QComboBox* recording_;
  QComboBox* storage_;
  QComboBox* expansion_;
  QComboBox* playback_;
  QComboBox* cutOff_;
  QComboBox* gain_ = nullptr;
  QCheckBox* expander_;
  QRadioButton* fixedPlayback_;
  QRadioButton* fixedExpansion_;
  QRadioButton* circular_;
  QRadioButton* sequential_;
  bool following_ = false;
};
