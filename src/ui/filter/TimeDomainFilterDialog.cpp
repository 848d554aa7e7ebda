#include "filter/TimeDomainFilterDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <climits>
#include <cstdlib>

#include "filter/FilterDesign.h"
#include "filter/FilterFile.h"
#include "filter/FrequencyResponseDialog.h"
#include "base/NumericEdit.h"

std::function<bool(TimeDomainFilterDialog&)> TimeDomainFilterDialog::runner;
std::function<QString(QWidget*)> TimeDomainFilterDialog::fileChooser;
std::function<void(FrequencyResponseDialog&)> TimeDomainFilterDialog::responseRunner;

namespace {

// The filter types of the combo, in its order.
constexpr int32_t kComboTypes[] = {nv::FilterType::Butterworth, nv::FilterType::Chebyshev1,
                                   nv::FilterType::Elliptic, nv::FilterType::UserDefined};
const char* const kComboTexts[] = {"Butterworth", "Chebyshev type 1", "Elliptic", "User defined"};

NumericEdit* FrequencyField(QWidget* parent, const char* name) {
  auto* e = new NumericEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->Configure(0, 0, INT32_MAX);
  e->setMaximumWidth(110);
  return e;
}

QString ChooseDefinitionFile(QWidget* parent) {
  QFileDialog dlg(parent, QStringLiteral("Open"));
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setNameFilters({QStringLiteral("Text Files (*.txt)"), QStringLiteral("Filter Files (*.flt)"),
                      QStringLiteral("All Files (*)")});
  dlg.setDefaultSuffix(QStringLiteral("txt"));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().front();
}

}  // namespace

TimeDomainFilterDialog::TimeDomainFilterDialog(const nv::FilterDescription& desc, int64_t nyquistHz,
                                               QWidget* parent)
    : QDialog(parent), work_(desc), nyquistHz_(nyquistHz) {
  setWindowTitle(QStringLiteral("Time Domain Filter"));

  type_ = new QComboBox(this);
  for (const char* t : kComboTexts) type_->addItem(QString::fromLatin1(t));
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(new QLabel(QStringLiteral("Filter type"), this));
  typeRow->addWidget(type_, 1);

  auto* bandBox = new QGroupBox(this);
  auto* grid = new QGridLayout(bandBox);
  bandGroup_ = new QButtonGroup(this);
  const char* bandTexts[] = {"Lowpass   fc:", "Highpass   fc:", "Bandpass   fl:", "Bandstop   fl:"};
  for (int i = 0; i < 4; ++i) {
    bands_[i] = new QRadioButton(QString::fromLatin1(bandTexts[i]), bandBox);
    bandGroup_->addButton(bands_[i], i);
    grid->addWidget(bands_[i], i, 0);
  }
  lowPass_ = FrequencyField(bandBox, "lowPass");
  highPass_ = FrequencyField(bandBox, "highPass");
  bandPassLow_ = FrequencyField(bandBox, "bandPassLow");
  bandPassHigh_ = FrequencyField(bandBox, "bandPassHigh");
  bandStopLow_ = FrequencyField(bandBox, "bandStopLow");
  bandStopHigh_ = FrequencyField(bandBox, "bandStopHigh");
  NumericEdit* lower[] = {lowPass_, highPass_, bandPassLow_, bandStopLow_};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(lower[i], i, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hz"), bandBox), i, 2);
  }
  NumericEdit* upper[] = {bandPassHigh_, bandStopHigh_};
  for (int i = 0; i < 2; ++i) {
    auto* fu = new QLabel(QStringLiteral("fu:"), bandBox);
    fu->setBuddy(upper[i]);
    grid->addWidget(fu, i + 2, 3);
    grid->addWidget(upper[i], i + 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("Hz"), bandBox), i + 2, 5);
  }
  grid->setColumnStretch(6, 1);

  order_ = new QComboBox(this);
  for (const char* t : {"2", "4", "6", "8"}) order_->addItem(QString::fromLatin1(t));
  ripple_ = new QComboBox(this);
  ripple_->setEditable(true);
  for (const char* t : {"0.2 dB", "0.5 dB", "1 dB", "2 dB", "3 dB"}) ripple_->addItem(QString::fromLatin1(t));
  stopBand_ = new QComboBox(this);
  stopBand_->setEditable(true);
  for (const char* t : {"-20 dB", "-30 dB", "-40 dB", "-50 dB", "-60 dB", "-70 dB"})
    stopBand_->addItem(QString::fromLatin1(t));
  auto* params = new QGridLayout;
  orderLabel_ = new QLabel(QStringLiteral("Filter order"), this);
  rippleLabel_ = new QLabel(QStringLiteral("Passband ripple"), this);
  stopBandLabel_ = new QLabel(QStringLiteral("Stopband gain"), this);
  params->addWidget(orderLabel_, 0, 0);
  params->addWidget(order_, 1, 0);
  params->addWidget(rippleLabel_, 0, 1);
  params->addWidget(ripple_, 1, 1);
  params->addWidget(stopBandLabel_, 0, 2);
  params->addWidget(stopBand_, 1, 2);

  response_ = new QPushButton(QStringLiteral("Show Frequency Response"), this);
  response_->setAutoDefault(false);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(response_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(buttons);

  auto* v = new QVBoxLayout(this);
  v->addLayout(typeRow);
  v->addWidget(bandBox);
  v->addLayout(params);
  v->addLayout(buttonRow);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(response_, &QPushButton::clicked, this, &TimeDomainFilterDialog::ShowResponse);
  connect(type_, &QComboBox::activated, this, [this](int index) { ChooseFilterType(index); });
  connect(type_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabling(); });

  ShowValues();
  UpdateEnabling();
}

void TimeDomainFilterDialog::ShowValues() {
  int typeIndex = -1;
  for (int i = 0; i < 4; ++i)
    if (kComboTypes[i] == work_.filterType) typeIndex = i;
  {
    const QSignalBlocker block(type_);
    type_->setCurrentIndex(typeIndex);
  }
  bandGroup_->setExclusive(false);
  for (int i = 0; i < 4; ++i) bands_[i]->setChecked(i == work_.bandType);
  bandGroup_->setExclusive(true);
  lowPass_->SetValue(work_.lowPassHz);
  highPass_->SetValue(work_.highPassHz);
  bandPassLow_->SetValue(work_.bandPassLowHz);
  bandPassHigh_->SetValue(work_.bandPassHighHz);
  bandStopLow_->SetValue(work_.bandStopLowHz);
  bandStopHigh_->SetValue(work_.bandStopHighHz);
  order_->setCurrentIndex(order_->findText(QString::number(work_.order)));
  ripple_->setEditText(QString::asprintf("%2.1f db", work_.rippleTenthsDb / 10.0));
  stopBand_->setEditText(QString::asprintf("%d db", work_.stopBandGainDb));
}

int32_t TimeDomainFilterDialog::ChosenFilterType() const {
  const int i = type_->currentIndex();
  if (i < 0 || i >= 4 || type_->currentText() != QString::fromLatin1(kComboTexts[i])) return nv::FilterType::None;
  return kComboTypes[i];
}

void TimeDomainFilterDialog::UpdateEnabling() {
  const int32_t t = ChosenFilterType();
  const bool designed = t == nv::FilterType::Butterworth || t == nv::FilterType::Chebyshev1 ||
                        t == nv::FilterType::Elliptic;
  const bool ripple = t == nv::FilterType::Chebyshev1 || t == nv::FilterType::Elliptic;
  const bool stopBand = t == nv::FilterType::Elliptic;
  ripple_->setEnabled(ripple);
  rippleLabel_->setEnabled(ripple);
  stopBand_->setEnabled(stopBand);
  stopBandLabel_->setEnabled(stopBand);
  for (NumericEdit* e : {lowPass_, highPass_, bandPassLow_, bandPassHigh_, bandStopLow_, bandStopHigh_}) {
    e->setEnabled(designed);
    if (QWidget* label = e->parentWidget())
      for (QLabel* l : label->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (l->buddy() == e) l->setEnabled(designed);
  }
  for (QRadioButton* b : bands_) b->setEnabled(designed);
  const bool order = t != nv::FilterType::UserDefined;
  order_->setEnabled(order);
  orderLabel_->setEnabled(order);
}

void TimeDomainFilterDialog::ChooseFilterType(int index) {
  if (type_->currentIndex() != index) type_->setCurrentIndex(index);
  UpdateEnabling();
  if (index < 0 || index >= 4 || kComboTypes[index] != nv::FilterType::UserDefined) return;
  const QString path = fileChooser ? fileChooser(this) : ChooseDefinitionFile(this);
  if (path.isEmpty()) return;
  LoadDefinition(path);
}

void TimeDomainFilterDialog::LoadDefinition(const QString& path) {
  nv::LoadFilterFile(path.toStdString(), work_);
}

int32_t TimeDomainFilterDialog::ParseRipple(const QString& text) {
  const QString t = text.trimmed();
  int n = 0;
  while (n < t.size() && (t[n].isDigit() || t[n] == QLatin1Char('.'))) ++n;
  const double v = std::strtod(t.left(n).toLatin1().constData(), nullptr);
  const double tenths = v * 10.0 + 0.5;
  if (!(tenths < INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(tenths);
}

int32_t TimeDomainFilterDialog::ParseStopBand(const QString& text) {
  const QString t = text.trimmed();
  int n = 0;
  while (n < t.size() && (t[n].isDigit() || t[n] == QLatin1Char('-'))) ++n;
  const long long v = std::strtoll(t.left(n).toLatin1().constData(), nullptr, 10);
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(v);
}

bool TimeDomainFilterDialog::TakeValues() {
  const int32_t type = ChosenFilterType();
  work_.filterType = type;
  if (type == nv::FilterType::UserDefined) return true;  // the file gave the order and coefficients
  struct Field {
    NumericEdit* edit;
    int32_t* value;
  };
  const Field fields[] = {{lowPass_, &work_.lowPassHz},         {highPass_, &work_.highPassHz},
                          {bandPassLow_, &work_.bandPassLowHz}, {bandPassHigh_, &work_.bandPassHighHz},
                          {bandStopLow_, &work_.bandStopLowHz}, {bandStopHigh_, &work_.bandStopHighHz}};
  for (const Field& f : fields) {
    if (!f.edit->isEnabled()) continue;
    const std::optional<int64_t> v = f.edit->Value();
    if (!v) return false;
    *f.value = static_cast<int32_t>(*v);
  }
  if (bands_[0]->isEnabled()) {
    const int band = bandGroup_->checkedId();
    work_.bandType = band >= 0 && band < 4 ? band : nv::BandType::None;
  }
  work_.order = order_->currentText().toInt();
  if (ripple_->isEnabled()) work_.rippleTenthsDb = ParseRipple(ripple_->currentText());
  if (stopBand_->isEnabled()) work_.stopBandGainDb = ParseStopBand(stopBand_->currentText());
  return true;
}

void TimeDomainFilterDialog::ShowResponse() {
  if (!TakeValues()) return;
  std::array<double, nv::kFilterResponsePoints> magnitudes{};
  if (!nv::DesignedFilterResponse(work_, nyquistHz_, magnitudes)) return;
  FrequencyResponseDialog dlg(magnitudes, nyquistHz_, this);
  if (responseRunner)
    responseRunner(dlg);
  else
    dlg.exec();
}

void TimeDomainFilterDialog::accept() {
  // A failed design keeps the dialog open; its message has been shown.
  if (!TakeValues()) return;
  if (!nv::DesignFilter(work_, nyquistHz_)) return;
  QDialog::accept();
}

bool TimeDomainFilterDialog::Ask(nv::FilterDescription& desc, int64_t nyquistHz, QWidget* parent) {
  TimeDomainFilterDialog dlg(desc, nyquistHz, parent);
  const bool ok = runner ? runner(dlg) : dlg.exec() == QDialog::Accepted;
  if (!ok || dlg.result() != QDialog::Accepted) return false;
  desc = dlg.Description();
  return true;
}
