#include "settings/ColorMapEditorDialog.h"

#include <QColorDialog>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QVBoxLayout>

#include "base/MessageSink.h"
#include "base/NumericEdit.h"

namespace {
// File time of 1970-01-01 (100 ns units since 1601-01-01).
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ULL;

QColor ToQColor(uint32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }
uint32_t FromQColor(const QColor& c) {
  return nv::Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                 static_cast<uint8_t>(c.blue()));
}
void PaintButton(QPushButton* b, uint32_t rgb) {
  b->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #606060;")
                       .arg(ToQColor(rgb).name()));
}
QString Db(int64_t thousandths) { return NumericEdit::Format(thousandths, -3, 1000); }
}  // namespace

QString ColorMapEditorDialog::LastUpdateText(uint64_t fileTime) {
  if (fileTime == 0) return {};
  const qint64 ms = static_cast<qint64>((static_cast<int64_t>(fileTime) -
                                         static_cast<int64_t>(kUnixEpochFileTime)) /
                                        10000);
  const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
  const QLocale locale = QLocale::system();
  QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
  timeFormat.remove(QRegularExpression(QStringLiteral("[:.]?s+")));
  return locale.toString(t.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(t.time(), timeFormat.trimmed());
}

uint64_t ColorMapEditorDialog::CurrentFileTime() {
  return static_cast<uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 10000 + kUnixEpochFileTime;
}

ColorMapEditorDialog::ColorMapEditorDialog(const nv::UserColorMap& map, bool isNew, QWidget* parent)
    : QDialog(parent), map_(map) {
  setWindowTitle(QStringLiteral("Spectrogram Color mapping"));
  if (!isNew) {
    for (int i = 0; i < map_.rangeCount && i < kRows; ++i) {
      const nv::ColorRange& r = map_.ranges[static_cast<size_t>(i)];
      rows_[static_cast<size_t>(i)] = {r.count, r.from, r.to, r.step, r.firstColor, r.lastColor};
    }
  }

  auto* main = new QVBoxLayout(this);
  auto* head = new QGridLayout;
  head->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
  name_ = new QLineEdit(this);
  name_->setMaxLength(30);
  name_->setText(isNew ? QString() : QString::fromStdString(map_.Name()));
  head->addWidget(name_, 0, 1);
  head->addWidget(new QLabel(QStringLiteral("Last update"), this), 1, 0);
  lastUpdate_ = new QLineEdit(this);
  lastUpdate_->setReadOnly(true);
  lastUpdate_->setFocusPolicy(Qt::NoFocus);
  lastUpdate_->setText(isNew ? QString()
                             : LastUpdateText((static_cast<uint64_t>(map_.updateHigh) << 32) |
                                              map_.updateLow));
  head->addWidget(lastUpdate_, 1, 1);
  main->addLayout(head);

  auto* body = new QHBoxLayout;
  auto* g = new QGridLayout;
  g->setVerticalSpacing(2);
  const char* headers[] = {"", "Count", "From (dB)", "To (dB)", "Step (dB)", "From", "To"};
  for (int c = 0; c < 7; ++c) g->addWidget(new QLabel(QString::fromLatin1(headers[c]), this), 0, c);
  for (int v = 0; v < kVisible; ++v) {
    RowWidgets& w = widgets_[static_cast<size_t>(v)];
    w.number = new QLabel(this);
    w.count = new NumericEdit(this);
    w.count->Configure(0, INT32_MIN, INT32_MAX);
    w.from = new NumericEdit(this);
    w.to = new NumericEdit(this);
    w.step = new NumericEdit(this);
    for (NumericEdit* e : {w.from, w.to, w.step}) e->Configure(-3, INT32_MIN, INT32_MAX, 1000);
    for (NumericEdit* e : {w.count, w.from, w.to, w.step}) e->setFixedWidth(72);
    w.fromColor = new QPushButton(this);
    w.toColor = new QPushButton(this);
    for (QPushButton* b : {w.fromColor, w.toColor}) b->setFixedSize(40, 20);
    g->addWidget(w.number, v + 1, 0);
    g->addWidget(w.count, v + 1, 1);
    g->addWidget(w.from, v + 1, 2);
    g->addWidget(w.to, v + 1, 3);
    g->addWidget(w.step, v + 1, 4);
    g->addWidget(w.fromColor, v + 1, 5);
    g->addWidget(w.toColor, v + 1, 6);
    connect(w.count, &QLineEdit::editingFinished, this, [this, v] { RowFieldLeft(v, true); });
    for (NumericEdit* e : {w.from, w.to, w.step})
      connect(e, &QLineEdit::editingFinished, this, [this, v] { RowFieldLeft(v, false); });
    connect(w.fromColor, &QPushButton::clicked, this, [this, v] { PickColor(v, true); });
    connect(w.toColor, &QPushButton::clicked, this, [this, v] { PickColor(v, false); });
  }
  body->addLayout(g);
  scroll_ = new QScrollBar(Qt::Vertical, this);
  scroll_->setRange(0, kRows - kVisible);
  scroll_->setSingleStep(1);
  scroll_->setPageStep(kVisible);
  body->addWidget(scroll_);
  main->addLayout(body);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  save_ = new QPushButton(QStringLiteral("Save"), this);
  saveAsNew_ = new QPushButton(QStringLiteral("Save As New"), this);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  save_->setDefault(true);
  buttons->addWidget(save_);
  buttons->addWidget(saveAsNew_);
  buttons->addWidget(cancel_);
  main->addLayout(buttons);

  connect(save_, &QPushButton::clicked, this, &ColorMapEditorDialog::Save);
  connect(saveAsNew_, &QPushButton::clicked, this, &ColorMapEditorDialog::SaveAsNew);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(scroll_, &QScrollBar::valueChanged, this, &ColorMapEditorDialog::ScrollTo);

  chooseColor = [this](const QColor& current) -> std::optional<QColor> {
    const QColor c = QColorDialog::getColor(current, this);
    if (!c.isValid()) return std::nullopt;
    return c;
  };
  ShowVisibleRows();
}

void ColorMapEditorDialog::ShowRow(int v) {
  const RowWidgets& w = widgets_[static_cast<size_t>(v)];
  const Row& r = rows_[static_cast<size_t>(top_ + v)];
  w.number->setText(QString::asprintf("%02d", top_ + v + 1));
  w.count->SetValue(r.count);
  w.from->SetValue(r.from);
  w.to->SetValue(r.to);
  w.step->SetValue(r.step);
  PaintButton(w.fromColor, r.firstColor);
  PaintButton(w.toColor, r.lastColor);
}

void ColorMapEditorDialog::ShowVisibleRows() {
  for (int v = 0; v < kVisible; ++v) ShowRow(v);
}

bool ColorMapEditorDialog::ReadRow(int v, nv::ColorRange& r) {
  const RowWidgets& w = widgets_[static_cast<size_t>(v)];
  auto count = w.count->Value();
  if (!count) return false;
  auto from = w.from->Value();
  if (!from) return false;
  auto to = w.to->Value();
  if (!to) return false;
  auto step = w.step->Value();
  if (!step) return false;
  r.count = static_cast<int32_t>(*count);
  r.from = static_cast<int32_t>(*from);
  r.to = static_cast<int32_t>(*to);
  r.step = static_cast<int32_t>(*step);
  return true;
}

void ColorMapEditorDialog::RowFieldLeft(int v, bool countField) {
  if (busy_) return;
  busy_ = true;
  nv::ColorRange r;
  if (ReadRow(v, r)) {
    nv::ApplyRangeEdit(r, countField);
    Row& row = rows_[static_cast<size_t>(top_ + v)];
    row.count = r.count;
    row.from = r.from;
    row.to = r.to;
    row.step = r.step;
    ShowRow(v);
  }
  busy_ = false;
}

bool ColorMapEditorDialog::CheckVisibleRows() {
  for (int v = 0; v < kVisible; ++v) {
    nv::ColorRange r;
    if (!ReadRow(v, r)) return false;
    Row& row = rows_[static_cast<size_t>(top_ + v)];
    row.count = r.count;
    row.from = r.from;
    row.to = r.to;
    row.step = r.step;
    if (r.from != 0 || r.to != 0) {
      nv::MakeRangeConsistent(r);
      row.count = r.count;
      row.step = r.step;
      ShowRow(v);
      if (r.to >= r.from) {
        nv::ShowMessage((QStringLiteral("From (") + Db(r.from) + QStringLiteral(") must be greater then To (") +
                         Db(r.to) + QStringLiteral(")."))
                            .toStdString());
        widgets_[static_cast<size_t>(v)].from->setFocus();
        return false;
      }
    }
  }
  return true;
}

void ColorMapEditorDialog::ScrollTo(int top) {
  top = std::clamp(top, 0, kRows - kVisible);
  if (top == top_ || busy_) {
    if (scroll_->value() != top_) {
      QSignalBlocker block(scroll_);
      scroll_->setValue(top_);
    }
    return;
  }
  busy_ = true;
  const bool ok = CheckVisibleRows();
  if (ok) {
    top_ = top;
    ShowVisibleRows();
  }
  {
    QSignalBlocker block(scroll_);
    scroll_->setValue(top_);
  }
  busy_ = false;
}

void ColorMapEditorDialog::PickColor(int v, bool first) {
  Row& row = rows_[static_cast<size_t>(top_ + v)];
  uint32_t& color = first ? row.firstColor : row.lastColor;
  if (!chooseColor) return;
  if (auto c = chooseColor(ToQColor(color))) {
    color = FromQColor(*c);
    ShowRow(v);
  }
}

bool ColorMapEditorDialog::StoreInto(Outcome outcome) {
  if (busy_) return false;
  busy_ = true;
  const bool rowsOk = CheckVisibleRows();
  busy_ = false;
  if (!rowsOk) return false;
  const QString name = name_->text().trimmed();
  if (name.isEmpty()) {
    nv::ShowMessage("Name may not be blank!");
    name_->setFocus();
    return false;
  }
  map_.SetName(name.toStdString());
  const uint64_t now = CurrentFileTime();
  map_.updateLow = static_cast<uint32_t>(now);
  map_.updateHigh = static_cast<uint32_t>(now >> 32);
  int last = 0;
  for (int i = 0; i < kRows; ++i) {
    const Row& row = rows_[static_cast<size_t>(i)];
    nv::ColorRange r;
    r.count = row.count;
    r.from = row.from;
    r.to = row.to;
    r.step = row.step;
    r.firstColor = row.firstColor;
    r.lastColor = row.lastColor;
    r.firstPen = INT32_MIN;
    if (r.from != r.to) {
      nv::MakeRangeConsistent(r);
      last = i + 1;
    }
    map_.ranges[static_cast<size_t>(i)] = r;
  }
  map_.rangeCount = last;
  outcome_ = outcome;
  accept();
  return true;
}

bool ColorMapEditorDialog::Save() { return StoreInto(Outcome::Saved); }
bool ColorMapEditorDialog::SaveAsNew() { return StoreInto(Outcome::SavedAsNew); }
