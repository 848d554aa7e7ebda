#include "settings/SpectrogramSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QVBoxLayout>

#include "settings/ColorMapList.h"
#include "settings/GridLists.h"
#include "settings/UserColorMapsDialog.h"
#include "base/HoldSpinButtons.h"
#include "base/NumericEdit.h"

namespace {

constexpr int kFftSizes[] = {2048, 1024, 512, 256, 128, 64, 32, 16};
struct WindowEntry {
  const char* name;
  int code;
  double resolution;  // bandwidth factor of the window
};
constexpr WindowEntry kWindows[] = {{"Rectangular", 0, 0.85},
                                    {"Hanning", 2, 1.4},
                                    {"Parzen", 1, 1.82},
                                    {"Hamming", 4, 1.3},
                                    {"Cosine", 8, 1.17}};
const char* const kSchemes[] = {"Yellow & Red", "Black & White",     "Grey",          "Red",
                                "Blue",         "Red, Green & Blue", "Yellow & Blue", "Yellow, Red & Blue"};
// Data of the colour list entries that are not a built-in scheme.
constexpr int kUserMapBase = 1000;  // user map i has data kUserMapBase + i
constexpr int kRecordMap = -100;    // the record's own map, not in the list
constexpr int kUnknown = -1;        // a scheme value outside the known ones

}  // namespace

QString SpectrogramSettingsDialog::FrequencyResolutionText(int fftSize, int windowCode,
                                                           const DocumentRates& rates) {
  if (fftSize <= 0 || !rates.Known()) return {};
  // A code outside the list is a rectangular window.
  double resolution = kWindows[0].resolution;
  for (const WindowEntry& w : kWindows)
    if (w.code == windowCode) resolution = w.resolution;
  return QString::asprintf("%2.0f Hz", resolution * rates.EffectiveRateHz() / fftSize);
}

QString SpectrogramSettingsDialog::TimeBetweenFftsText(int fftSize, int overlapPercent,
                                                       const DocumentRates& rates) {
  if (fftSize <= 0 || overlapPercent < 0 || !rates.Known()) return {};
  const double ms = fftSize * 1000.0 / static_cast<double>(rates.sampleRateHz) *
                    (1.0 - overlapPercent * 0.01) * 1000.0 /
                    static_cast<double>(rates.timeExpansion);
  // About three significant digits at every size: 11.61 ms reads "11.6 ms".
  if (ms > 100) return QString::asprintf("%2.0f ms", ms);
  if (ms > 10) return QString::asprintf("%2.1f ms", ms);
  if (ms > 1) return QString::asprintf("%2.2f ms", ms);
  return QString::asprintf("%2.3f ms", ms);
}

SpectrogramSettingsDialog::SpectrogramSettingsDialog(nv::SharedColorMaps& colorMaps,
                                                     const nv::AnalysisSettings& settings,
                                                     bool editingDefaults,
                                                     const DocumentRates& rates, QWidget* parent)
    : SettingsDialogBase(QStringLiteral("Spectrogram settings"), settings, editingDefaults, rates,
                         parent),
      colorMaps_(colorMaps) {
  auto* main = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  main->addLayout(columns);

  // Left column: time, frequencies and the FFT.
  auto* fftGroup = new QGroupBox(this);
  auto* g = new QGridLayout(fftGroup);
  int row = 0;
  AddTimeRow(g, row++, false);
  frequencies_.AddRow(g, row++);
  g->addWidget(new QLabel(QStringLiteral("FFT size"), fftGroup), row, 0);
  fftSize_ = new QComboBox(fftGroup);
  fftSize_->addItem(QStringLiteral("Automatic"), 0);
  for (int n : kFftSizes) fftSize_->addItem(QStringLiteral("%1 samples").arg(n), n);
  g->addWidget(fftSize_, row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("FFT window"), fftGroup), row, 0);
  window_ = new QComboBox(fftGroup);
  for (const WindowEntry& w : kWindows) window_->addItem(QString::fromLatin1(w.name), w.code);
  g->addWidget(window_, row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("FFT Overlap"), fftGroup), row, 0);
  auto* overlapBox = new QWidget(fftGroup);
  auto* ol = new QHBoxLayout(overlapBox);
  ol->setContentsMargins(0, 0, 0, 0);
  ol->setSpacing(1);
  overlap_ = new NumericEdit(overlapBox);
  overlap_->Configure(0, -1, 99);
  overlapSpin_ = new HoldSpinButtons(overlap_, -1, 98, {{0, 1}}, overlapBox);
  ol->addWidget(overlap_);
  ol->addWidget(overlapSpin_);
  g->addWidget(overlapBox, row, 1);
  autoOverlap_ = new QCheckBox(QStringLiteral("Auto- matic"), fftGroup);
  g->addWidget(autoOverlap_, row++, 2);
  g->addWidget(new QLabel(QStringLiteral("Frequency resolution"), fftGroup), row, 0);
  resolution_ = new QLineEdit(fftGroup);
  resolution_->setReadOnly(true);
  resolution_->setFocusPolicy(Qt::NoFocus);
  g->addWidget(resolution_, row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Time between FFTs"), fftGroup), row, 0);
  timeBetween_ = new QLineEdit(fftGroup);
  timeBetween_->setReadOnly(true);
  timeBetween_->setFocusPolicy(Qt::NoFocus);
  g->addWidget(timeBetween_, row++, 1, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Font size"), fftGroup), row, 0);
  fontSize_ = new NumericEdit(fftGroup);
  fontSize_->Configure(0, 1, 100);
  g->addWidget(fontSize_, row++, 1);
  colorBar_ = new QCheckBox(QStringLiteral("Show amplitude color bar"), fftGroup);
  g->addWidget(colorBar_, row++, 0, 1, 3);
  columns->addWidget(fftGroup);

  // Right column: colours, channels and grid.
  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  auto* colorGroup = new QGroupBox(this);
  auto* c = new QGridLayout(colorGroup);
  row = 0;
  c->addWidget(new QLabel(QStringLiteral("Amplitude color mapping"), colorGroup), row++, 0, 1, 4);
  colorMap_ = new QComboBox(colorGroup);
  c->addWidget(colorMap_, row, 0, 1, 3);
  userColors_ = new QPushButton(QStringLiteral("User Colors"), colorGroup);
  c->addWidget(userColors_, row++, 3);
  c->addWidget(new QLabel(QStringLiteral("Threshold "), colorGroup), row++, 0, 1, 4);
  c->addWidget(new QLabel(QStringLiteral("low"), colorGroup), row, 0);
  threshold_ = new QSlider(Qt::Horizontal, colorGroup);
  threshold_->setRange(0, 32);
  threshold_->setPageStep(4);
  c->addWidget(threshold_, row, 1);
  c->addWidget(new QLabel(QStringLiteral("high"), colorGroup), row, 2);
  thresholdValue_ = new QLabel(colorGroup);
  thresholdValue_->setMinimumWidth(24);
  c->addWidget(thresholdValue_, row++, 3);
  c->addWidget(new QLabel(QStringLiteral("Amplitude contrast"), colorGroup), row++, 0, 1, 4);
  c->addWidget(new QLabel(QStringLiteral("low"), colorGroup), row, 0);
  contrast_ = new QSlider(Qt::Horizontal, colorGroup);
  contrast_->setRange(0, 20);
  contrast_->setPageStep(2);
  c->addWidget(contrast_, row, 1);
  c->addWidget(new QLabel(QStringLiteral("high"), colorGroup), row, 2);
  contrastValue_ = new QLabel(colorGroup);
  c->addWidget(contrastValue_, row++, 3);
  deEmphasis_ = new QCheckBox(QStringLiteral("Low level de-emphasis"), colorGroup);
  c->addWidget(deEmphasis_, row++, 0, 1, 4);
  right->addWidget(colorGroup);

  auto* lower = new QHBoxLayout;
  lower->addWidget(MakeChannelGroup());
  lower->addWidget(MakeGridGroup(QStringLiteral("Grid lines (per axis)"), QStringLiteral("Time"),
                                 timeGrid_, QStringLiteral("Frequency"), freqGrid_));
  grid::FillCounts(timeGrid_, QStringLiteral(" / value"));
  grid::FillFrequency(freqGrid_);
  right->addLayout(lower);
  right->addStretch();

  main->addWidget(Buttons());

  connect(threshold_, &QSlider::valueChanged, this,
          [this](int v) { thresholdValue_->setText(QString::number(v)); });
  connect(contrast_, &QSlider::valueChanged, this,
          [this](int v) { contrastValue_->setText(QString::number(v - 10)); });
  connect(colorMap_, &QComboBox::activated, this, [this](int) {
    colorChosen_ = true;
    UpdateColorControls();
  });
  connect(window_, &QComboBox::activated, this, [this](int) { unlistedWindow_.reset(); });
  connect(autoOverlap_, &QCheckBox::clicked, this, &SpectrogramSettingsDialog::OnAutoOverlapToggled);
  connect(overlap_, &QLineEdit::textEdited, this, &SpectrogramSettingsDialog::OnOverlapEdited);
  connect(overlapSpin_, &HoldSpinButtons::stepped, this, &SpectrogramSettingsDialog::OnOverlapEdited);
  connect(userColors_, &QPushButton::clicked, this, &SpectrogramSettingsDialog::OnUserColors);
  runUserColors = [this] {
    UserColorMapsDialog dlg(colorMaps_.list,
                            [this] {
                              if (colorMaps_.save) colorMaps_.save();
                            },
                            this);
    dlg.exec();
  };

  ShowRecord();
}

void SpectrogramSettingsDialog::ShowRecord() {
  const nv::AnalysisSettings& s = settings_;
  ShowTimeAndChannels(s);
  frequencies_.Show(s);

  int sizeIndex = fftSize_->findData(s.fftSize);
  if (sizeIndex < 0) {
    fftSize_->addItem(QStringLiteral("%1 samples").arg(s.fftSize), s.fftSize);
    sizeIndex = fftSize_->count() - 1;
  }
  fftSize_->setCurrentIndex(sizeIndex);
  // A stored code outside the list is computed as a rectangular window: it
  // is shown so and kept as it is until the user chooses a window.
  const int windowIndex = window_->findData(s.window);
  window_->setCurrentIndex(windowIndex >= 0 ? windowIndex : 0);
  if (windowIndex < 0)
    unlistedWindow_ = s.window;
  else
    unlistedWindow_.reset();

  overlap_->SetValue(s.fftOverlap);
  autoOverlap_->setChecked(s.fftOverlap < 0);
  if (s.fftOverlap >= 0) rememberedOverlap_ = s.fftOverlap;

  threshold_->setValue(s.threshold);
  thresholdValue_->setText(QString::number(threshold_->value()));
  contrast_->setValue(10 - s.contrast);
  contrastValue_->setText(QString::number(contrast_->value() - 10));
  deEmphasis_->setChecked(s.invColors != 0);
  fontSize_->SetValue(s.fontSize);
  colorBar_->setChecked(s.colorBar != 0);
  timeGrid_->setCurrentIndex(grid::CountIndex(s.spectGridX));
  freqGrid_->setCurrentIndex(grid::FrequencyIndex(s.spectGridY));

  FillColorList();
  SelectColorForRecord();
  UpdateReadouts();
}

void SpectrogramSettingsDialog::FillColorList() {
  colorMap_->clear();
  for (int i = 0; i < 8; ++i) colorMap_->addItem(QString::fromLatin1(kSchemes[i]), i);
  const auto& maps = colorMaps_.list.maps;
  for (size_t i = 0; i < maps.size(); ++i)
    colorMap_->addItem(QString::fromStdString(maps[i].Name()),
                       kUserMapBase + static_cast<int>(i));
}

void SpectrogramSettingsDialog::SelectColorForRecord() {
  const int scheme = settings_.colorScheme;
  int index = -1;
  if (scheme >= 0 && scheme <= 7) {
    index = scheme;
  } else if (scheme == 100) {
    const QString name = QString::fromStdString(settings_.userColorMap.Name());
    for (int i = 8; i < colorMap_->count(); ++i)
      if (colorMap_->itemText(i) == name) {
        index = i;
        break;
      }
    if (index < 0) {
      colorMap_->addItem(name, kRecordMap);
      index = colorMap_->count() - 1;
    }
  } else {
    colorMap_->addItem(QStringLiteral("Unknown color"), kUnknown);
    index = colorMap_->count() - 1;
  }
  colorMap_->setCurrentIndex(index);
  colorChosen_ = false;
  UpdateColorControls();
}

void SpectrogramSettingsDialog::ChooseColorMap(int index) {
  colorMap_->setCurrentIndex(index);
  colorChosen_ = true;
  UpdateColorControls();
}

void SpectrogramSettingsDialog::UpdateColorControls() {
  const int data = colorMap_->currentData().toInt();
  const bool userMap = data >= kUserMapBase || data == kRecordMap;
  for (QWidget* w : std::initializer_list<QWidget*>{threshold_, thresholdValue_, contrast_,
                                                    contrastValue_, deEmphasis_})
    w->setEnabled(!userMap);
}

void SpectrogramSettingsDialog::UpdateReadouts() {
  resolution_->setText(FrequencyResolutionText(settings_.fftSize, settings_.window, rates_));
  timeBetween_->setText(TimeBetweenFftsText(settings_.fftSize, settings_.fftOverlap, rates_));
}

void SpectrogramSettingsDialog::AfterApply() { UpdateReadouts(); }

void SpectrogramSettingsDialog::OnAutoOverlapToggled(bool checked) {
  if (checked) {
    if (auto v = overlap_->ReadSilently(); v && *v >= 0) rememberedOverlap_ = *v;
    overlap_->SetValue(-1);
  } else {
    auto v = overlap_->ReadSilently();
    if (!v || *v < 0) overlap_->SetValue(rememberedOverlap_);
  }
}

void SpectrogramSettingsDialog::OnOverlapEdited() {
  // Only a complete number counts: "-" on its way to "-1" changes nothing.
  const QString text = overlap_->text();
  auto v = NumericEdit::Parse(text, 0, 1);
  if (v.status != NumericEdit::Status::Ok || !text.contains(QRegularExpression(QStringLiteral("[0-9]"))))
    return;
  if (v.value < 0) {
    autoOverlap_->setChecked(true);
  } else {
    rememberedOverlap_ = v.value;
    autoOverlap_->setChecked(false);
  }
}

void SpectrogramSettingsDialog::OnUserColors() {
  const QString current = colorMap_->currentText();
  const int data = colorMap_->currentData().toInt();
  const bool chosen = colorChosen_;
  if (runUserColors) runUserColors();
  FillColorList();
  int index = -1;
  if (data >= 0 && data <= 7) {
    index = data;
  } else if (data >= kUserMapBase) {
    for (int i = 8; i < colorMap_->count(); ++i)
      if (colorMap_->itemText(i) == current) {
        index = i;
        break;
      }
  }
  if (index < 0) {
    SelectColorForRecord();
    return;
  }
  colorMap_->setCurrentIndex(index);
  colorChosen_ = chosen;
  UpdateColorControls();
}

bool SpectrogramSettingsDialog::ReadFields(nv::AnalysisSettings& s) {
  int64_t overlap = 0;
  int64_t font = 0;
  if (!ReadTimeRangeAndNumbers(frequencies_, {{overlap_, &overlap}, {fontSize_, &font}}, s))
    return false;
  s.fftSize = fftSize_->currentData().toInt();
  s.window = unlistedWindow_ ? *unlistedWindow_ : window_->currentData().toInt();
  s.fftOverlap = static_cast<int32_t>(overlap);
  s.threshold = threshold_->value();
  s.contrast = -(contrast_->value() - 10);
  s.invColors = deEmphasis_->isChecked() ? 1 : 0;
  s.fontSize = static_cast<int32_t>(font);
  s.colorBar = colorBar_->isChecked() ? 1 : 0;
  s.spectGridX = grid::CountValue(timeGrid_->currentIndex());
  s.spectGridY = grid::FrequencyValue(freqGrid_->currentIndex());
  if (colorChosen_) {
    const int data = colorMap_->currentData().toInt();
    const auto& maps = colorMaps_.list.maps;
    if (data >= 0 && data <= 7) {
      s.colorScheme = data;
      s.userColorMap = nv::UserColorMap();
    } else if (data >= kUserMapBase && static_cast<size_t>(data - kUserMapBase) < maps.size()) {
      s.colorScheme = 100;
      s.userColorMap = maps[static_cast<size_t>(data - kUserMapBase)];
    }
  }
  return true;
}
