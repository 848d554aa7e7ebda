#include "base/NumericEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>
#include <cstdlib>

#include "base/MessageSink.h"

namespace {
int64_t PowerOfTen(int n) {
  int64_t s = 1;
  for (int i = 0; i < n && i < 18; ++i) s *= 10;
  return s;
}
constexpr int kMaxTextLength = 39;
}  // namespace

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent) {}

void NumericEdit::Configure(int decimals, int64_t minimum, int64_t maximum, int64_t scale) {
  decimals_ = decimals;
  minimum_ = minimum;
  maximum_ = maximum;
  scale_ = scale > 0 ? scale : PowerOfTen(std::abs(decimals));
}

QString NumericEdit::Format(int64_t v, int decimals, int64_t scale) {
  if (decimals == 0 && scale == 1) return QString::number(v);
  QString s = QString::asprintf("%0.*f", std::abs(decimals), static_cast<double>(v) / scale);
  if (decimals < 0 && (s.contains(QLatin1Char('.')) || s.contains(QLatin1Char(',')))) {
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.')) || s.endsWith(QLatin1Char(','))) s.chop(1);
  }
  return s;
}

void NumericEdit::SetValue(int64_t v) { setText(Format(v, decimals_, scale_)); }

NumericEdit::Parsed NumericEdit::Parse(const QString& input, int decimals, int64_t scale) {
  const QString text = input.left(kMaxTextLength).trimmed();
  Parsed out;
  int i = 0;
  const int n = static_cast<int>(text.size());
  bool negative = false;
  if (i < n && text[i] == QLatin1Char('-')) {
    negative = true;
    ++i;
  }
  // The integer part saturates, so that an absurdly long number is simply
  // out of range.
  constexpr int64_t kLimit = INT64_MAX / 100;
  int64_t whole = 0;
  bool saturated = false;
  for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i) {
    if (whole > kLimit / 10) saturated = true;
    if (!saturated) whole = whole * 10 + (text[i].unicode() - '0');
  }
  double fraction = 0.0;
  if (decimals != 0 && i < n && (text[i] == QLatin1Char('.') || text[i] == QLatin1Char(','))) {
    ++i;
    double weight = static_cast<double>(scale);
    for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i) {
      weight /= 10.0;
      fraction += (text[i].unicode() - '0') * weight;
    }
  }
  if (i != n) {
    out.status = Status::IllegalCharacter;
    return out;
  }
  int64_t value;
  if (saturated || (scale > 1 && whole > kLimit / scale)) {
    value = kLimit;
  } else {
    value = whole * scale;
    if (decimals != 0) value += static_cast<int64_t>(fraction + 0.1);
  }
  out.value = negative ? -value : value;
  return out;
}

NumericEdit::Parsed NumericEdit::Check() const {
  Parsed p = Parse(text(), decimals_, scale_);
  if (p.status == Status::Ok && (p.value < minimum_ || p.value > maximum_))
    p.status = Status::OutOfRange;
  return p;
}

QString NumericEdit::IllegalCharacterMessage(const QString& t) const {
  return QStringLiteral("Illegal character in numeric '") + t + QStringLiteral("'.");
}

QString NumericEdit::OutOfRangeMessage(const QString& t) const {
  return QStringLiteral("Numeric '") + t + QStringLiteral("' out of range (") +
         Format(minimum_, decimals_, scale_) + QStringLiteral(" - ") +
         Format(maximum_, decimals_, scale_) + QStringLiteral(").");
}

std::optional<int64_t> NumericEdit::ReadSilently() const {
  Parsed p = Check();
  if (p.status != Status::Ok) return std::nullopt;
  return p.value;
}

std::optional<int64_t> NumericEdit::Value() {
  Parsed p = Check();
  if (p.status == Status::Ok) return p.value;
  const QString t = text();
  const QString message =
      p.status == Status::IllegalCharacter ? IllegalCharacterMessage(t) : OutOfRangeMessage(t);
  nv::ShowMessage(message.toStdString(), nv::MessageIcon::Exclamation);
  setFocus(Qt::OtherFocusReason);
  selectAll();
  return std::nullopt;
}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
  const QString t = event->text();
  bool accept = true;
  for (const QChar c : t) {
    if (c.unicode() < 32 || c.unicode() == 127) continue;  // control characters
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) continue;
    if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && decimals_ != 0) continue;
    if (c == QLatin1Char('-') && minimum_ < 0) continue;
    accept = false;
  }
  if (!accept) {
    QApplication::beep();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}
