#pragma once
// The table of the pulse characteristics results: the columns chosen by the
// settings in their fixed order, their headers and long titles, the text of
// each cell, and the tab-separated texts that "Copy " and norvane-cli print.
// Pure functions of their arguments; any thread.
#include <string>
#include <vector>

#include "analysis/PulseResult.h"
#include "settings/PulseSettings.h"

namespace nv {

class PulseTable {
 public:
  enum class Field { Number, Start, Stop, Duration, Energy, MaxFrequency, MinFrequency, Strongest, MaxLevel };
  struct Column {
    Field field;
    const char* header;  // the list's column header, e.g. "Start(ms) "
    const char* title;   // the first row's long title, e.g. "Start osc. (ms) "
    const char* format;  // printf format of the value
  };
  using Row = std::vector<std::string>;

  explicit PulseTable(const PulseSettings& s);

  const std::vector<Column>& Columns() const { return columns_; }
  // The first row of the table: the long titles.
  Row TitleRow() const;
  // The cells of one result, one per column.
  Row Cells(const PulseResult& r) const;
  // The whole table (title row first) as "Copy " puts it on the clipboard.
  std::string Text(const std::vector<PulseResult>& results) const;

  // Rows as tab-separated text: every cell followed by a tab, "\r\n" after
  // each row; a row stops at its first empty cell and at 32000 bytes.
  static std::string CopyText(const std::vector<Row>& rows);
  // A selection table of the pulses for sound-analysis tools that read
  // tab-separated selections: Begin/End Time in seconds, Low/High Freq in Hz
  // (the min and max frequency) and the other measures; "\n" line ends.
  static std::string RavenText(const std::vector<PulseResult>& results, int channel);

 private:
  std::vector<Column> columns_;
};

}  // namespace nv
