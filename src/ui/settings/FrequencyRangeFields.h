#pragma once
// The "Min and max frequency " row of the spectrogram and zero-crossing
// settings dialogs: showing the record's range (an unset maximum shows the
// Nyquist frequency when the rates are known), reading, checking and storing
// it. While the application defaults are edited the fields are disabled and
// the record keeps its range.
#include <cstdint>
#include <optional>

#include "settings/AnalysisSettings.h"
#include "settings/DocumentRates.h"

class NumericEdit;
class QGridLayout;

class FrequencyRangeFields {
 public:
  struct Range {
    int64_t minHz = 0;
    int64_t maxHz = 0;
  };

  FrequencyRangeFields(bool editingDefaults, const DocumentRates& rates)
      : editingDefaults_(editingDefaults), rates_(rates) {}

  // Adds the label and both fields as row `row` of `grid`; they are children
  // of the grid's widget.
  void AddRow(QGridLayout* grid, int row);
  NumericEdit* MinField() const { return min_; }
  NumericEdit* MaxField() const { return max_; }

  void Show(const nv::AnalysisSettings& s);
  // Both fields' numbers (nothing read while the defaults are edited); empty
  // when a field has shown its own message.
  std::optional<Range> Read() const;
  // Below the Nyquist frequency, minimum below maximum, minimum not negative;
  // shows the first failure and focuses its field.
  bool Check(const Range& range) const;
  void Store(const Range& range, nv::AnalysisSettings& s) const;

 private:
  const bool editingDefaults_;
  const DocumentRates rates_;
  NumericEdit* min_ = nullptr;
  NumericEdit* max_ = nullptr;
};
