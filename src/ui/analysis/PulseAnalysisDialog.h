#pragma once
// "Pulse characteristics analysis": the modeless parameter dialog of the
// pulse characteristics analysis of one sound view. "Calculate" opens a
// PulseResultsDialog and starts one worker thread (nv::PulseWorker) that
// fills it; the worker's reports reach the interface thread by queued calls
// on this dialog, which routes them to the results dialog of the run.
//
// Ownership and threads: interface thread only. The dialog owns its worker
// and its results dialogs. The worker reads the document's mapped samples:
// the document must not change while WorkerRunning() (the view greys the
// edits), and StopWorker() (also called when the dialog goes) ends and joins
// the worker before anything it reads may be released. Closing asks the
// view through closeRequested(); the view then deletes the dialog.
#include <QDialog>
#include <QList>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/PulseWorker.h"
#include "analysis/WorkerSampleMapping.h"
#include "settings/PulseSettings.h"

namespace nv {
class CNorvaneDoc;
}
class NumericEdit;
class PulseResultsDialog;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class PulseAnalysisDialog : public QDialog {
  Q_OBJECT
 public:
  // `start` and `end` are frames; end -1 means up to the end of the sound.
  PulseAnalysisDialog(nv::CNorvaneDoc* doc, const nv::PulseSettings& settings, int32_t start,
                      int32_t end, QWidget* parent = nullptr);
  ~PulseAnalysisDialog() override;

  // The warning shown when a view's spectrogram chooses its FFT size or
  // overlap automatically; empty when neither is automatic.
  static std::string AutomaticFftWarning(bool automaticSize, bool automaticOverlap);
  // The level cursor's amplitude (1/10000 of full scale) of a threshold in
  // 0.01 dB, and back.
  static int32_t LevelOfThreshold(int32_t threshold);
  static int32_t ThresholdOfLevel(int32_t level);

  const nv::PulseSettings& Settings() const { return settings_; }
  // The channel the analysis reads: 1 left (also a mono sound's only one),
  // 2 right. The title names it.
  int AnalysedChannel() const;
  int32_t RangeStart() const { return start_; }
  int32_t RangeEnd() const { return end_; }
  bool WorkerRunning() const { return worker_.Busy(); }
  // Whether any pulse analysis dialog runs a worker on `doc`: then nothing may
  // change the document's samples or their length.
  static bool RunningOn(const nv::CNorvaneDoc* doc);
  // Stops a running worker and waits for it (returns at once when idle).
  void StopWorker();
  const QList<QPointer<PulseResultsDialog>>& ResultsDialogs() const { return results_; }

  // Reads every field into the settings; false (with the field's message)
  // when one does not validate. The three spectrogram time flags are cleared.
  // A detection band past the recording's Nyquist frequency, or a level
  // above the noise floor outside 0 ... 100 dB, is refused with a message.
  bool ReadFields();

  // "Field recordings": puts the set of detection options for bat
  // recordings from the field into the fields (nv::PulseFieldPreset).
  void ApplyFieldPreset();

 public slots:
  // "Calculate": ignored while a worker runs or when a field is wrong.
  void Calculate();
  // The view's cursor or selection changed (channels 1 left, 2 right, 3 both);
  // taken only with continuous update.
  void SetRange(int32_t start, int32_t end, int channels);
  // The view's level cursor was dragged to `level` (1/10000 of full scale).
  void SetLevel(int32_t level);

 signals:
  // "Close" (keep = true, the settings validated) or Escape / the system
  // close (keep = false): the view takes the settings when asked and deletes
  // the dialog.
  void closeRequested(bool keepSettings);
  // The oscillogram threshold as the view's level cursor: amplitude in
  // 1/10000 of full scale, channel 1 or 2, over [start, end).
  void levelCursorRequested(int32_t level, int channel, int32_t start, int32_t end);
  // A run began or ended (the view greys or restores its edits).
  void workerStateChanged(bool running);
  // Marks were placed or removed (the views redraw their marks).
  void marksChanged();

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowFields();
  void ShowTitle();
  void ShowRange();
  void RequestLevelCursor();
  void OnWorkerFinished();

  nv::CNorvaneDoc* doc_;
  nv::PulseSettings settings_;
  int32_t start_, end_;
  // The worker's own mapping of the samples, released after it is joined.
  std::unique_ptr<nv::WorkerSampleMapping> mapping_;
  nv::PulseWorker worker_;
  QPointer<PulseResultsDialog> running_;
  QList<QPointer<PulseResultsDialog>> results_;

  NumericEdit* oscThreshold_;
  NumericEdit* specThreshold_;
  NumericEdit* separation_;
  NumericEdit* minDuration_;
  NumericEdit* freqSeparation_;
  NumericEdit* lowerLimit_;
  NumericEdit* upperLimit_;
  NumericEdit* detectLow_;
  NumericEdit* detectHigh_;
  NumericEdit* noiseMargin_;
  QRadioButton* absoluteThreshold_;
  QRadioButton* aboveNoise_;
  QPushButton* fieldPreset_;
  QLabel* fftSize_;
  QLabel* fftOverlap_;
  QLabel* fftWindow_;
  QLabel* startLabel_;
  QLabel* endLabel_;
  QCheckBox* startTime_;
  QCheckBox* endTime_;
  QCheckBox* duration_;
  QCheckBox* markStart_;
  QCheckBox* markEnd_;
  QCheckBox* maxFreq_;
  QCheckBox* minFreq_;
  QCheckBox* strongest_;
  QCheckBox* maxAmp_;
  QCheckBox* markMaxFreq_;
  QCheckBox* markMinFreq_;
  QCheckBox* markMaxAmp_;
  QCheckBox* pulseNumber_;
  QPushButton* calculate_;
};
