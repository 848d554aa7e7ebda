#pragma once
// "Record view settings": what the recording view's sweep shows (the two
// strips, the channels), its width in time, the spectrogram's FFT size,
// window, amplitude threshold (a scroll bar from 0 to 32) and colouring.
#include <QDialog>
#include <functional>

#include "audio/RecordViewSettings.h"

class QCheckBox;
class QComboBox;
class QScrollBar;

class RecordViewSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  RecordViewSettingsDialog(const nv::RecordViewSettings& s, QWidget* parent = nullptr);
  // The settings as the fields show them.
  nv::RecordViewSettings Result() const;
  // Runs the dialog on `s`; true (and `s` changed) on OK. `runner`, when
  // set, runs it instead of exec() (tests).
  static bool Ask(nv::RecordViewSettings& s, QWidget* parent);
  static std::function<int(RecordViewSettingsDialog&)> runner;

  QCheckBox* amplitude;
  QCheckBox* spectrogram;
  QCheckBox* left;
  QCheckBox* right;
  QComboBox* seconds;
  QComboBox* fftSize;
  QComboBox* window;
  QScrollBar* threshold;
  QComboBox* coloring;

 private:
  nv::RecordViewSettings base_;
};
