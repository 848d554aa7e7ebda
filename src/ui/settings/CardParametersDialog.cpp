#include "settings/CardParametersDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include "base/TimeBase.h"

std::function<bool(CardParametersDialog&)> CardParametersDialog::runner;

namespace {

QComboBox* Combo(QWidget* parent, const QStringList& items, bool editable, const char* name) {
  auto* c = new QComboBox(parent);
  c->addItems(items);
  c->setEditable(editable);
  c->setObjectName(QString::fromLatin1(name));
  return c;
}

// The leading number of a field's text ("22050 Hz", "10 sec", "200 kHz").
double Leading(const QString& text) { return std::strtod(text.toStdString().c_str(), nullptr); }

void Show(QComboBox* c, const QString& text) {
  const int i = c->findText(text);
  if (i >= 0)
    c->setCurrentIndex(i);
  else if (c->isEditable())
    c->setEditText(text);
}

}  // namespace

CardParametersDialog::CardParametersDialog(nv::CardKind card, const nv::CardParameters& start, QWidget* parent)
    : QDialog(parent), card_(card), start_(start) {
  const bool ni = card == nv::CardKind::NationalInstruments;
  setWindowTitle(ni ? QStringLiteral("Sampling parameters - NI DAQCard E-series")
                    : QStringLiteral("Sampling parameters - ComputerBoards"));
  auto* sampling = new QGroupBox(QStringLiteral("Sampling options"), this);
  QStringList rates;
  for (const nv::CardRate& r : nv::RecordingRates(card)) rates << QString::fromLatin1(r.text);
  recording_ = Combo(sampling, rates, false, "recordingRate");
  storage_ = Combo(sampling, {"1 sec", "2 sec", "5 sec", "10 sec", "20 sec", "30 sec", "40 sec", "50 sec", "60 sec"},
                   true, "storageTime");
  expansion_ = Combo(sampling, {"5", "10", "20", "50"}, true, "timeExpansion");
  expander_ = new QCheckBox(QStringLiteral("Time expander"), sampling);
  playback_ = Combo(sampling, {"8000 Hz", "11025 Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz"}, true,
                    "playbackRate");
  QStringList cuts = {"200 kHz", "150 kHz", "100 kHz", "50 kHz"};
  if (ni) cuts.prepend(QString());
  cutOff_ = Combo(sampling, cuts, false, "filterCutOff");
  fixedPlayback_ = new QRadioButton(QStringLiteral("Fixed playback sampling frequency"), sampling);
  fixedExpansion_ = new QRadioButton(QStringLiteral("Fixed time expansion factor"), sampling);
  auto* form = new QFormLayout(sampling);
  form->addRow(QStringLiteral("Sampling frequency - record"), recording_);
  form->addRow(QStringLiteral("Storage time"), storage_);
  form->addRow(QStringLiteral("Time expansion"), expansion_);
  form->addRow(QString(), expander_);
  form->addRow(QStringLiteral("Sampling frequency - play"), playback_);
  form->addRow(QStringLiteral("Ext. filter cut off freq."), cutOff_);
  if (ni) {
    gain_ = Combo(sampling, {"1", "2", "5", "10", "20", "50", "100"}, false, "gain");
    form->addRow(QStringLiteral("Gain"), gain_);
  }
  form->addRow(fixedPlayback_);
  form->addRow(fixedExpansion_);
  auto* storageBox = new QGroupBox(QStringLiteral("Storage options"), this);
  circular_ = new QRadioButton(QStringLiteral("Circular buffer"), storageBox);
  sequential_ = new QRadioButton(QStringLiteral("Sequential"), storageBox);
  auto* sl = new QVBoxLayout(storageBox);
  sl->addWidget(circular_);
  sl->addWidget(sequential_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addWidget(sampling);
  v->addWidget(storageBox);
  v->addWidget(buttons);

  // The fields from the record, before the consistency rules are connected.
  Show(recording_, QString::fromStdString(nv::RecordingTextOfRate(card, start.sampFreqHz)));
  if (nv::RecordingTextOfRate(card, start.sampFreqHz).empty()) recording_->setCurrentIndex(-1);
  Show(storage_, QString("%1 sec").arg(start.storeTime));
  const double te = nv::TimeBase(start.sampFreqHz, start.timeExp).ExpansionFactor();
  Show(expansion_, te == std::floor(te) ? QString::number(static_cast<int>(te)) : QString::number(te, 'f', 3));
  Show(playback_, QString("%1 Hz").arg(start.replayFreqHz));
  Show(cutOff_, QString("%1 kHz").arg(start.cutFreqHz / 1000));
  if (gain_) Show(gain_, QString::number(start.gain));
  expander_->setChecked(start.playAfter != 0);
  (start.fixReplay ? fixedPlayback_ : fixedExpansion_)->setChecked(true);
  (start.circularBuffer ? circular_ : sequential_)->setChecked(true);

  // Choosing or typing the factor holds it; the playback frequency likewise.
  auto holdExpansion = [this] {
    if (following_) return;
    fixedExpansion_->setChecked(true);
    Follow();
  };
  auto holdPlayback = [this] {
    if (following_) return;
    fixedPlayback_->setChecked(true);
    Follow();
  };
  connect(expansion_, &QComboBox::currentTextChanged, this, holdExpansion);
  connect(playback_, &QComboBox::currentTextChanged, this, holdPlayback);
  connect(recording_, &QComboBox::currentTextChanged, this, [this] {
    if (!following_) Follow();
  });
}

void CardParametersDialog::Follow() {
  following_ = true;
  const std::string rec = recording_->currentText().toStdString();
  if (fixedPlayback_->isChecked()) {
    expansion_->setEditText(QString::fromStdString(
        nv::TimeExpansionTextFor(card_, rec, playback_->currentText().toStdString())));
  } else {
    playback_->setEditText(QString::fromStdString(
        nv::PlaybackTextFor(card_, rec, expansion_->currentText().toStdString())));
  }
  following_ = false;
}

nv::CardParameters CardParametersDialog::Parameters() const {
  nv::CardParameters p = start_;
  if (const int32_t hz = nv::RecordingRateOfText(card_, recording_->currentText().toStdString())) p.sampFreqHz = hz;
  if (const double s = Leading(storage_->currentText()); s > 0) p.storeTime = static_cast<int32_t>(s);
  if (const double t = Leading(expansion_->currentText()); t > 0)
    p.timeExp = static_cast<int32_t>(std::trunc(t * 1000.0 + 0.5));
  if (const double r = Leading(playback_->currentText()); r > 0) p.replayFreqHz = static_cast<int32_t>(r);
  if (const double c = Leading(cutOff_->currentText()); c > 0) p.cutFreqHz = static_cast<int32_t>(c * 1000);
  if (gain_) {
    if (const double g = Leading(gain_->currentText()); g > 0) p.gain = static_cast<int32_t>(g);
  }
  p.playAfter = expander_->isChecked() ? 1 : 0;
  p.fixReplay = fixedPlayback_->isChecked() ? 1 : 0;
  p.circularBuffer = circular_->isChecked() ? 1 : 0;
  return p;
}

bool CardParametersDialog::Ask(nv::CardKind card, nv::CardParameters& params, QWidget* parent) {
  CardParametersDialog dlg(card, params, parent);
  const bool ok = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  if (ok) params = dlg.Parameters();
  return ok;
}
