#include "base/HoldSpinButtons.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/NumericEdit.h"

HoldSpinButtons::HoldSpinButtons(NumericEdit* field, int64_t minimum, int64_t maximum,
                                 Table increments, QWidget* parent)
    : QWidget(parent),
      field_(field),
      minimum_(minimum),
      maximum_(maximum),
      increments_(std::move(increments)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(400);
    b->setAutoRepeatInterval(100);
    b->setFixedSize(18, 11);
    b->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b);
    connect(b, &QToolButton::pressed, this, [this] { held_.start(); });
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this,
          [this] { Step(1, held_.isValid() ? held_.elapsed() : 0); });
  connect(down_, &QToolButton::clicked, this,
          [this] { Step(-1, held_.isValid() ? held_.elapsed() : 0); });
}

int64_t HoldSpinButtons::IncrementFor(int64_t heldMs) const {
  int64_t inc = increments_.empty() ? 1 : increments_.front().second;
  for (const auto& [afterMs, step] : increments_)
    if (heldMs >= afterMs) inc = step;
  return inc;
}

void HoldSpinButtons::Step(int direction, int64_t heldMs) {
  int64_t v = field_->ReadSilently().value_or(0);
  v += direction * IncrementFor(heldMs);
  v = std::clamp(v, minimum_, maximum_);
  field_->SetValue(v);
  emit stepped();
}
