#pragma once
// The edit field for numbers used by the dialogs: it holds a scaled integer.
// Configuration: decimals d (digits after the decimal sign; a negative d means
// |d| digits with trailing zeros removed when shown), minimum and maximum as
// scaled integers, and the scale (10^|d| unless given). Typing accepts control
// characters and digits, "." and "," only when d is not 0, "-" only when the
// minimum is below 0; any other key beeps and is dropped. Reading reports an
// illegal character or a value out of range through the message interface and
// returns the focus to the field; ReadSilently only tests.
#include <QLineEdit>
#include <cstdint>
#include <optional>

class NumericEdit : public QLineEdit {
  Q_OBJECT
 public:
  enum class Status { Ok, IllegalCharacter, OutOfRange };
  struct Parsed {
    Status status = Status::Ok;
    int64_t value = 0;
  };

  explicit NumericEdit(QWidget* parent = nullptr);

  // scale 0 means 10^|decimals|.
  void Configure(int decimals, int64_t minimum, int64_t maximum, int64_t scale = 0);
  int Decimals() const { return decimals_; }
  int64_t Minimum() const { return minimum_; }
  int64_t Maximum() const { return maximum_; }
  int64_t Scale() const { return scale_; }

  // Shows `v` in the field.
  void SetValue(int64_t v);
  // Reads the field; on a bad text shows the message, puts the focus back
  // into the field and returns nothing.
  std::optional<int64_t> Value();
  // Reads the field without any message.
  std::optional<int64_t> ReadSilently() const;

  // The shown form of a scaled value.
  static QString Format(int64_t v, int decimals, int64_t scale);
  // Parses a text by the field's rules (the range not checked).
  static Parsed Parse(const QString& text, int decimals, int64_t scale);
  // The messages of the two failures.
  QString IllegalCharacterMessage(const QString& text) const;
  QString OutOfRangeMessage(const QString& text) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Parsed Check() const;

  int decimals_ = 0;
  int64_t minimum_ = INT32_MIN;
  int64_t maximum_ = INT32_MAX;
  int64_t scale_ = 1;
};
