#include "analysis/PulseAnalysisDialog.h"

#include <QTimer>

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "analysis/PulseAnalysis.h"
#include "analysis/PulseFieldPreset.h"
#include "analysis/PulseResultsDialog.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "dsp/WindowTable.h"
#include "base/NumericEdit.h"

namespace {

// Every live dialog, for RunningOn.
std::vector<PulseAnalysisDialog*>& Dialogs() {
  static std::vector<PulseAnalysisDialog*> all;
  return all;
}

NumericEdit* Field(QWidget* parent, int decimals) {
  auto* e = new NumericEdit(parent);
  e->Configure(decimals, INT32_MIN, INT32_MAX);
  return e;
}

}  // namespace

std::string PulseAnalysisDialog::AutomaticFftWarning(bool automaticSize, bool automaticOverlap) {
  if (automaticOverlap && automaticSize)
    return "Warning: Pulse characteristics analysis will use automatically calculated values from the "
           "spectrogram for FFT size and overlap. We recommend manually entered settings for FFT size "
           "and overlap in the Spectrogram settings dialog.";
  if (automaticOverlap)
    return "Warning: Pulse characteristics analysis will use automatically calculated values from the "
           "spectrogram for FFT overlap. We recommend manually entered settings for FFT overlap in the "
           "Spectrogram settings dialog.";
  if (automaticSize)
    return "Warning: Pulse characteristics analysis will use automatically calculated values from the "
           "spectrogram for FFT size. We recommend manually entered settings for FFT size in the "
           "Spectrogram settings dialog.";
  return {};
}

int32_t PulseAnalysisDialog::LevelOfThreshold(int32_t threshold) {
  // The analysis ignores the threshold's sign; so does its level line.
  const double t = -std::fabs(static_cast<double>(threshold));
  return static_cast<int32_t>(std::pow(10.0, t / 1000.0) * 10000.0);
}

int32_t PulseAnalysisDialog::ThresholdOfLevel(int32_t level) {
  const double a = std::fabs(static_cast<double>(level));
  if (a <= 0) return INT32_MIN / 2;
  return static_cast<int32_t>(std::trunc(1000.0 * std::log10(a / 10000.0)));
}

PulseAnalysisDialog::PulseAnalysisDialog(nv::CNorvaneDoc* doc, const nv::PulseSettings& settings,
                                         int32_t start, int32_t end, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings), start_(start), end_(end) {
  Dialogs().push_back(this);
  ShowTitle();
  setModal(false);

  oscThreshold_ = Field(this, 2);
  specThreshold_ = Field(this, 2);
  separation_ = Field(this, -3);
  minDuration_ = Field(this, -3);
  freqSeparation_ = Field(this, 0);
  lowerLimit_ = Field(this, 0);
  upperLimit_ = Field(this, 0);
  // The detection: a band (real Hz; 0 leaves a side open) and the choice of
  // the threshold, absolute or above the noise floor.
  detectLow_ = Field(this, 0);
  detectHigh_ = Field(this, 0);
  noiseMargin_ = Field(this, 2);
  detectLow_->setObjectName(QStringLiteral("detectBandLow"));
  detectHigh_->setObjectName(QStringLiteral("detectBandHigh"));
  noiseMargin_->setObjectName(QStringLiteral("noiseMargin"));
  absoluteThreshold_ = new QRadioButton(QStringLiteral("Absolute (oscillogram threshold)"), this);
  aboveNoise_ = new QRadioButton(QStringLiteral("Above the noise floor"), this);
  absoluteThreshold_->setObjectName(QStringLiteral("absoluteThreshold"));
  aboveNoise_->setObjectName(QStringLiteral("aboveNoiseFloor"));
  fieldPreset_ = new QPushButton(QStringLiteral("Field recordings"), this);
  fieldPreset_->setObjectName(QStringLiteral("fieldPreset"));
  fieldPreset_->setToolTip(QStringLiteral(
      "Detection from 15 kHz up, 8 dB above the noise floor, 2 ms separation, 0.5 ms minimum duration"));
  connect(fieldPreset_, &QPushButton::clicked, this, &PulseAnalysisDialog::ApplyFieldPreset);
  oscThreshold_->installEventFilter(this);
  fftSize_ = new QLabel(this);
  fftOverlap_ = new QLabel(this);
  fftWindow_ = new QLabel(this);
  startLabel_ = new QLabel(this);
  endLabel_ = new QLabel(this);

  auto* fields = new QGridLayout;
  int row = 0;
  auto add = [&](const char* text, QWidget* w, const char* unit) {
    fields->addWidget(new QLabel(QString::fromUtf8(text), this), row, 0);
    fields->addWidget(w, row, 1);
    if (unit) fields->addWidget(new QLabel(QString::fromUtf8(unit), this), row, 2);
    ++row;
  };
  add("Oscillogram threshold", oscThreshold_, "dB");
  add("Spectrogram threshold", specThreshold_, "dB");
  add("Minimum separation ", separation_, "ms");
  add("Minimum duration", minDuration_, "ms");
  add("Frequency separation", freqSeparation_, "Hz");
  add("Lower frequency limit", lowerLimit_, "Hz");
  add("Upper frequency limit", upperLimit_, "Hz");
  {
    auto* band = new QHBoxLayout;
    band->addWidget(detectLow_);
    band->addWidget(new QLabel(QStringLiteral("to"), this));
    band->addWidget(detectHigh_);
    auto* w = new QWidget(this);
    w->setLayout(band);
    band->setContentsMargins(0, 0, 0, 0);
    add("Detection band", w, "Hz");
    auto* threshold = new QHBoxLayout;
    threshold->addWidget(absoluteThreshold_);
    threshold->addWidget(aboveNoise_);
    threshold->addStretch();
    auto* t = new QWidget(this);
    t->setLayout(threshold);
    threshold->setContentsMargins(0, 0, 0, 0);
    add("Detection threshold", t, nullptr);
    add("Margin above the noise floor", noiseMargin_, "dB");
  }
  add("FFT size", fftSize_, nullptr);
  add("FFT overlap", fftOverlap_, nullptr);
  add("FFT window", fftWindow_, nullptr);
  add("Start", startLabel_, "ms");
  add("End", endLabel_, "ms");

  auto box = [&](const char* text) { return new QCheckBox(QString::fromUtf8(text), this); };
  startTime_ = box("Start time");
  endTime_ = box("End time");
  duration_ = box("Duration");
  markStart_ = box("Mark start time");
  markEnd_ = box("Mark end time");
  maxFreq_ = box("Max frequency");
  minFreq_ = box("Min frequency");
  strongest_ = box("Frequency at max amplitude");
  maxAmp_ = box("Maximum amplitude");
  markMaxFreq_ = box("Mark max frequency");
  markMinFreq_ = box("Mark min frequency");
  markMaxAmp_ = box("Mark max amp.");
  pulseNumber_ = box("Pulse number");
  auto* osc = new QGroupBox(QStringLiteral("Oscillogram data"), this);
  auto* oscLayout = new QVBoxLayout(osc);
  for (QCheckBox* c : {startTime_, endTime_, duration_, markStart_, markEnd_}) oscLayout->addWidget(c);
  auto* spectrogramBox = new QGroupBox(QStringLiteral("Spectrogram data"), this);
  auto* spectrogramLayout = new QVBoxLayout(spectrogramBox);
  for (QCheckBox* c : {maxFreq_, minFreq_, strongest_, maxAmp_, markMaxFreq_, markMinFreq_, markMaxAmp_})
    spectrogramLayout->addWidget(c);

  calculate_ = new QPushButton(QStringLiteral("Calculate"), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  calculate_->setDefault(true);
  connect(calculate_, &QPushButton::clicked, this, &PulseAnalysisDialog::Calculate);
  connect(close, &QPushButton::clicked, this, [this] {
    if (!ReadFields()) return;
    StopWorker();
    emit closeRequested(true);
    deleteLater();
  });

  auto* checks = new QHBoxLayout;
  checks->addWidget(osc);
  checks->addWidget(spectrogramBox);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(pulseNumber_);
  buttons->addStretch();
  buttons->addWidget(fieldPreset_);
  buttons->addWidget(calculate_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(checks);
  layout->addLayout(buttons);
  ShowFields();
}

bool PulseAnalysisDialog::RunningOn(const nv::CNorvaneDoc* doc) {
  for (const PulseAnalysisDialog* d : Dialogs())
    if (d->doc_ == doc && d->worker_.Busy()) return true;
  return false;
}

PulseAnalysisDialog::~PulseAnalysisDialog() {
  worker_.StopAndJoin();
  mapping_.reset();
  Dialogs().erase(std::remove(Dialogs().begin(), Dialogs().end(), this), Dialogs().end());
  // The results dialogs go with this dialog's widgets, after its members.
  for (const QPointer<PulseResultsDialog>& r : results_)
    if (r) disconnect(r, nullptr, this, nullptr);
  results_.clear();
}

void PulseAnalysisDialog::ShowFields() {
  const nv::PulseSettings& s = settings_;
  oscThreshold_->SetValue(s.ampThreshold);
  specThreshold_->SetValue(s.freqThreshold);
  separation_->SetValue(s.ampSeparationUs);
  minDuration_->SetValue(s.durTimeUs);
  freqSeparation_->SetValue(s.freqSeparationHz);
  lowerLimit_->SetValue(s.minFrequencyHz);
  upperLimit_->SetValue(s.maxFrequencyHz);
  detectLow_->SetValue(s.detectLowHz);
  detectHigh_->SetValue(s.detectHighHz);
  noiseMargin_->SetValue(s.noiseMargin);
  absoluteThreshold_->setChecked(!s.aboveNoise);
  aboveNoise_->setChecked(s.aboveNoise != 0);
  fftSize_->setText(QString::asprintf("%d samples", s.fftSize));
  fftOverlap_->setText(s.fftSize > 0 ? QString::asprintf("%1.0f%%", s.fftOverlap * 100.0 / s.fftSize)
                                     : QStringLiteral("--"));
  fftWindow_->setText(QString::fromStdString(nv::WindowName(nv::StoredWindow(s.fftWindow))));
  startTime_->setChecked(s.startTime);
  endTime_->setChecked(s.stopTime);
  duration_->setChecked(s.duration);
  markStart_->setChecked(s.startTimeMark);
  markEnd_->setChecked(s.stopTimeMark);
  maxFreq_->setChecked(s.freqMax);
  minFreq_->setChecked(s.freqMin);
  strongest_->setChecked(s.freqStrong);
  maxAmp_->setChecked(s.ampMaxAmp);
  markMaxFreq_->setChecked(s.freqMaxMark);
  markMinFreq_->setChecked(s.freqMinMark);
  markMaxAmp_->setChecked(s.freqStrongMark);
  pulseNumber_->setChecked(s.pulseNumber);
  ShowRange();
}

int PulseAnalysisDialog::AnalysedChannel() const {
  // The worker's choice: the left channel when its flag is set, otherwise
  // the right one; a mono sound's only channel counts as the left one.
  const bool stereo = doc_ && doc_->Format().nChannels >= 2;
  return stereo && !settings_.leftChannel ? 2 : 1;
}

void PulseAnalysisDialog::ShowTitle() {
  setWindowTitle(QStringLiteral("Pulse characteristics analysis") +
                 (AnalysedChannel() == 2 ? QStringLiteral(" - Right channel.") : QStringLiteral(" - Left channel.")));
}

void PulseAnalysisDialog::ShowRange() {
  const int64_t frames = doc_ ? doc_->FrameCount() : 0;
  const int64_t end = end_ < 0 ? frames : end_;
  const int64_t us0 = doc_ ? doc_->FramesToMicroseconds(start_) : 0;
  const int64_t us1 = doc_ ? doc_->FramesToMicroseconds(end) : 0;
  startLabel_->setText(NumericEdit::Format(us0, -3, 1000));
  endLabel_->setText(NumericEdit::Format(us1, -3, 1000));
}

bool PulseAnalysisDialog::ReadFields() {
  nv::PulseSettings s = settings_;
  const std::pair<NumericEdit*, int32_t*> numbers[] = {
      {oscThreshold_, &s.ampThreshold},      {specThreshold_, &s.freqThreshold},
      {separation_, &s.ampSeparationUs},     {minDuration_, &s.durTimeUs},
      {freqSeparation_, &s.freqSeparationHz}, {lowerLimit_, &s.minFrequencyHz},
      {upperLimit_, &s.maxFrequencyHz},      {detectLow_, &s.detectLowHz},
      {detectHigh_, &s.detectHighHz},        {noiseMargin_, &s.noiseMargin}};
  for (const auto& [edit, field] : numbers) {
    const auto v = edit->Value();
    if (!v) return false;
    *field = static_cast<int32_t>(std::clamp<int64_t>(*v, INT32_MIN, INT32_MAX));
  }
  s.startTime = startTime_->isChecked();
  s.stopTime = endTime_->isChecked();
  s.duration = duration_->isChecked();
  s.startTimeMark = markStart_->isChecked();
  s.stopTimeMark = markEnd_->isChecked();
  s.freqMax = maxFreq_->isChecked();
  s.freqMin = minFreq_->isChecked();
  s.freqStrong = strongest_->isChecked();
  s.ampMaxAmp = maxAmp_->isChecked();
  s.freqMaxMark = markMaxFreq_->isChecked();
  s.freqMinMark = markMinFreq_->isChecked();
  s.freqStrongMark = markMaxAmp_->isChecked();
  s.pulseNumber = pulseNumber_->isChecked();
  s.startFreq = s.stopFreq = s.durationFreq = 0;
  s.aboveNoise = aboveNoise_->isChecked() ? 1 : 0;
  if (doc_) {
    const std::string error =
        nv::PulseAnalysis::CheckDetection(s, doc_->Format().nSamplesPerSec, doc_->Info().TimeExpansion());
    if (!error.empty()) {
      nv::ShowMessage(error);
      return false;
    }
  }
  settings_ = s;
  return true;
}

void PulseAnalysisDialog::ApplyFieldPreset() {
  nv::PulseSettings s;
  nv::PulseFieldPreset::ApplyTo(s);
  detectLow_->SetValue(s.detectLowHz);
  detectHigh_->SetValue(s.detectHighHz);
  noiseMargin_->SetValue(s.noiseMargin);
  separation_->SetValue(s.ampSeparationUs);
  minDuration_->SetValue(s.durTimeUs);
  lowerLimit_->SetValue(s.minFrequencyHz);
  absoluteThreshold_->setChecked(false);
  aboveNoise_->setChecked(true);
}

void PulseAnalysisDialog::Calculate() {
  if (worker_.Busy() || !doc_ || !ReadFields()) return;
  mapping_ = std::make_unique<nv::WorkerSampleMapping>(*doc_);
  if (mapping_->Failed()) {  // a message was shown
    mapping_.reset();
    return;
  }
  nv::PulseRunInput in;
  in.samples = mapping_->Samples();
  in.rateHz = doc_->Format().nSamplesPerSec;
  in.timeExpansion = doc_->Info().TimeExpansion();
  in.startFrame = start_;
  in.endFrame = end_;
  in.settings = settings_;

  auto* results = new PulseResultsDialog(doc_, settings_, this);
  results_.append(results);
  connect(results, &PulseResultsDialog::marksChanged, this, &PulseAnalysisDialog::marksChanged);
  // While `destroyed` is emitted the dialog is only a QObject any more, and
  // its guard is not yet cleared: the list is tidied once it is gone.
  connect(results, &QObject::destroyed, this,
          [this] { QTimer::singleShot(0, this, [this] { results_.removeAll(nullptr); }); });
  results->show();
  running_ = results;

  nv::PulseCallbacks cb;
  cb.status = [this](const std::string& text) {
    const QString t = QString::fromStdString(text);
    QMetaObject::invokeMethod(this, [this, t] {
      if (running_) running_->SetStatus(t);
    }, Qt::QueuedConnection);
  };
  cb.result = [this](nv::PulseResult&& r) {
    QMetaObject::invokeMethod(this, [this, r = std::move(r)]() {
      if (running_) running_->AddResult(r);
    }, Qt::QueuedConnection);
  };
  worker_.Start(in, cb, [this] {
    QMetaObject::invokeMethod(this, [this] { OnWorkerFinished(); }, Qt::QueuedConnection);
  });
  calculate_->setEnabled(false);
  emit workerStateChanged(true);
}

void PulseAnalysisDialog::OnWorkerFinished() {
  if (!worker_.Busy()) return;
  worker_.Join();
  mapping_.reset();
  calculate_->setEnabled(true);
  emit workerStateChanged(false);
}

void PulseAnalysisDialog::StopWorker() {
  if (!worker_.Busy()) return;
  worker_.StopAndJoin();
  mapping_.reset();
  calculate_->setEnabled(true);
  emit workerStateChanged(false);
}

void PulseAnalysisDialog::SetRange(int32_t start, int32_t end, int channels) {
  if (!settings_.contUpdate || start < 0) return;
  const int32_t frames = doc_ ? nv::ViewFrame(doc_->FrameCount()) : 0;
  if (end >= 0 && end < start) std::swap(start, end);  // a selection's bounds in either order
  start_ = std::clamp(start, 0, frames);
  end_ = end < 0 ? -1 : std::min(end, frames);
  if (channels == 1) {
    settings_.leftChannel = 1;
    settings_.rightChannel = 0;
  } else if (channels == 2) {
    settings_.leftChannel = 0;
    settings_.rightChannel = 1;
  }
  ShowTitle();
  ShowRange();
  update();
}

void PulseAnalysisDialog::SetLevel(int32_t level) {
  if (level == 0) return;
  settings_.ampThreshold = ThresholdOfLevel(level);
  oscThreshold_->SetValue(settings_.ampThreshold);
}

void PulseAnalysisDialog::RequestLevelCursor() {
  emit levelCursorRequested(LevelOfThreshold(settings_.ampThreshold), AnalysedChannel(), start_, end_);
}

bool PulseAnalysisDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == oscThreshold_ && event->type() == QEvent::FocusOut) {
    if (const auto v = oscThreshold_->ReadSilently()) {
      settings_.ampThreshold = static_cast<int32_t>(std::clamp<int64_t>(*v, INT32_MIN, INT32_MAX));
      RequestLevelCursor();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void PulseAnalysisDialog::reject() {
  StopWorker();
  emit closeRequested(false);
  deleteLater();
}

void PulseAnalysisDialog::closeEvent(QCloseEvent* event) {
  for (const QPointer<PulseResultsDialog>& r : results_)
    if (r) r->close();
  event->ignore();
  reject();
}
