#pragma once
// The grid-line lists shared by the display settings dialogs and their
// mapping onto the stored grid values.
#include <QComboBox>
#include <QStringList>

namespace grid {

// "None", then "1 / value" ... "5 / value" (or "1" ... "5" with a plain
// suffix): stored 0 for "None", otherwise the number.
inline void FillCounts(QComboBox* box, const QString& suffix) {
  box->clear();
  box->addItem(QStringLiteral("None"));
  for (int k = 1; k <= 5; ++k) box->addItem(QString::number(k) + suffix);
}
inline int CountIndex(int stored) { return stored >= 1 && stored <= 5 ? stored : 0; }
inline int CountValue(int index) { return index >= 1 && index <= 5 ? index : 0; }

// "None", "1 / value", "1 / tick mark" ... "5 / tick mark": stored -1 for
// "None", 0 for the entry with "value", otherwise the leading number.
inline void FillFrequency(QComboBox* box) {
  box->clear();
  box->addItem(QStringLiteral("None"));
  box->addItem(QStringLiteral("1 / value"));
  for (int k = 1; k <= 5; ++k) box->addItem(QString::number(k) + QStringLiteral(" / tick mark"));
}
inline int FrequencyIndex(int stored) {
  if (stored == 0) return 1;
  if (stored >= 1 && stored <= 5) return stored + 1;
  return 0;
}
inline int FrequencyValue(int index) {
  if (index <= 0) return -1;
  if (index == 1) return 0;
  return index - 1;
}

}  // namespace grid
