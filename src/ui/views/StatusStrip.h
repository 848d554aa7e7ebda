#pragma once
// The strip across the bottom of a sound view, 15 pixels high: the status
// text (cursor readouts and messages) from 6 pixels from the left, and the
// format text from 210 pixels before the right edge, in 8-point Helvetica.
#include <QString>
#include <QWidget>

class StatusStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 15;
  explicit StatusStrip(QWidget* parent = nullptr);
  void SetStatusText(const QString& t);
  void SetFormatText(const QString& t);
  const QString& StatusText() const { return status_; }
  const QString& FormatText() const { return format_; }
  QSize sizeHint() const override { return QSize(400, kHeight); }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QString status_;
  QString format_;
};
