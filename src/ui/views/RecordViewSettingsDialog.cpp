#include "views/RecordViewSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dsp/WindowTable.h"

std::function<int(RecordViewSettingsDialog&)> RecordViewSettingsDialog::runner;

namespace {

const char* const kSchemes[] = {"Default", "Black & White", "Greys", "Reds", "Blues",
                                "Red, Green, Blue", "Yellow & Blue", "Yellow, Red & Blue"};
const char* const kWindows[] = {"Rectangular", "Hanning", "Parzen", "Hamming", "Cosine"};

}  // namespace

RecordViewSettingsDialog::RecordViewSettingsDialog(const nv::RecordViewSettings& s, QWidget* parent)
    : QDialog(parent), base_(s) {
  setWindowTitle(QStringLiteral("Record view settings"));
  auto* layout = new QVBoxLayout(this);
  amplitude = new QCheckBox(QStringLiteral("Amplitude plot"), this);
  spectrogram = new QCheckBox(QStringLiteral("Spectrogram plot"), this);
  left = new QCheckBox(QStringLiteral("Left Channel"), this);
  right = new QCheckBox(QStringLiteral("Right Channel"), this);
  amplitude->setChecked(s.amplitudePlot);
  spectrogram->setChecked(s.spectrogramPlot);
  left->setChecked(s.leftChannel);
  right->setChecked(s.rightChannel);
  for (QCheckBox* b : {amplitude, spectrogram, left, right}) layout->addWidget(b);

  auto* form = new QFormLayout;
  seconds = new QComboBox(this);
  for (const std::string& t : nv::SecondsPerPlotChoices()) seconds->addItem(QString::fromStdString(t));
  const QString own = QString::fromStdString(nv::SecondsPerPlotText(s.secondsPerPlot));
  if (seconds->findText(own) < 0) seconds->addItem(own);
  seconds->setCurrentText(own);
  form->addRow(QStringLiteral("Seconds per plot"), seconds);

  fftSize = new QComboBox(this);
  for (const std::string& t : nv::RecordFftSizeChoices()) fftSize->addItem(QString::fromStdString(t));
  const QString fft = QString::fromStdString(nv::RecordFftSizeText(s.fftSize));
  if (fftSize->findText(fft) < 0) fftSize->addItem(fft);
  fftSize->setCurrentText(fft);
  form->addRow(QStringLiteral("FFT size"), fftSize);

  window = new QComboBox(this);
  for (const char* w : kWindows) window->addItem(QString::fromLatin1(w));
  window->setCurrentText(QString::fromStdString(nv::WindowName(nv::StoredWindow(s.window))));
  form->addRow(QStringLiteral("FFT window"), window);

  threshold = new QScrollBar(Qt::Horizontal, this);
  threshold->setRange(0, 32);
  threshold->setSingleStep(1);
  threshold->setPageStep(4);
  threshold->setValue(s.threshold);
  form->addRow(QStringLiteral("Amplitude threshold"), threshold);

  coloring = new QComboBox(this);
  for (const char* c : kSchemes) coloring->addItem(QString::fromLatin1(c));
  coloring->setCurrentIndex(s.colorScheme >= 0 && s.colorScheme < 8 ? s.colorScheme : 0);
  form->addRow(QStringLiteral("Amplitude coloring"), coloring);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

nv::RecordViewSettings RecordViewSettingsDialog::Result() const {
  nv::RecordViewSettings r = base_;
  r.amplitudePlot = amplitude->isChecked();
  r.spectrogramPlot = spectrogram->isChecked();
  r.leftChannel = left->isChecked();
  r.rightChannel = right->isChecked();
  const int64_t sec = nv::SecondsOfPlotText(seconds->currentText().toStdString());
  if (sec > 0) r.secondsPerPlot = sec;
  r.fftSize = nv::RecordFftSizeOfText(fftSize->currentText().toStdString());
  r.window = nv::StoredNumber(nv::WindowCodeFromName(window->currentText().toStdString()));
  r.threshold = threshold->value();
  r.colorScheme = coloring->currentIndex();
  return r;
}

bool RecordViewSettingsDialog::Ask(nv::RecordViewSettings& s, QWidget* parent) {
  RecordViewSettingsDialog dlg(s, parent);
  const int r = runner ? runner(dlg) : dlg.exec();
  if (r != QDialog::Accepted) return false;
  s = dlg.Result();
  return true;
}
