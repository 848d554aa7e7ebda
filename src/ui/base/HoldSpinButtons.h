#pragma once
// A pair of up/down buttons beside a NumericEdit. Each click, and each repeat
// while a button is held, adds or subtracts the current increment to the value
// in the field, limited to [minimum, maximum]. The increment grows with the
// time the button has been held, by a table of (held milliseconds, increment)
// steps in ascending order of time.
#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

class NumericEdit;
class QToolButton;

class HoldSpinButtons : public QWidget {
  Q_OBJECT
 public:
  using Table = std::vector<std::pair<int64_t, int64_t>>;

  HoldSpinButtons(NumericEdit* field, int64_t minimum, int64_t maximum, Table increments,
                  QWidget* parent = nullptr);

  // The increment after holding a button for `heldMs`.
  int64_t IncrementFor(int64_t heldMs) const;
  // One step up (direction 1) or down (-1) as if held for `heldMs`.
  void Step(int direction, int64_t heldMs);

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void stepped();

 private:
  NumericEdit* field_;
  int64_t minimum_, maximum_;
  Table increments_;
  QToolButton* up_;
  QToolButton* down_;
  QElapsedTimer held_;
};
