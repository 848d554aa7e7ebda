#pragma once
// "Power spectrum settings": the FFT size and window, the level range in dB
// or V², the frequency range, continuous update and the scale of one
// PowerSettings record (a window's own copy or the defaults). OK validates
// the entries by the core's rules (the message of the first failing rule is
// shown and the dialog stays open) and stores them; Cancel changes nothing.
// Tests replace `runner` to fill in and answer the dialog.
#include <QDialog>
#include <functional>

#include "settings/PowerSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class PowerSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  PowerSettingsDialog(nv::PowerSettings& settings, int32_t nyquistHz, QWidget* parent = nullptr);

  // Runs the dialog on `settings`; true when OK stored new values.
  static bool Edit(nv::PowerSettings& settings, int32_t nyquistHz, QWidget* parent);
  static std::function<bool(PowerSettingsDialog&)> runner;

  QComboBox* fftSize = nullptr;
  QComboBox* window = nullptr;
  QLineEdit* minLevel = nullptr;
  QLineEdit* maxLevel = nullptr;
  QLineEdit* minFrequency = nullptr;
  QLineEdit* maxFrequency = nullptr;
  // The level unit beside the level fields: "dB" or "V²" with the scale.
  QLabel* minLevelUnit = nullptr;
  QLabel* maxLevelUnit = nullptr;
  QCheckBox* contUpdate = nullptr;
  QCheckBox* logScale = nullptr;

  // OK: validates and stores; false (dialog stays open) on a message.
  bool Apply();

 public slots:
  void accept() override;

 private:
  void ShowLevels(bool log);
  nv::PowerSettings& settings_;
  int32_t nyquistHz_;
};
