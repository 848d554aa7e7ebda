#pragma once
// Marks exchanged with the text formats other sound tools read and write:
//
// - Labels: a label track, one line per mark, "start<TAB>end<TAB>label"
//   with times in seconds; a mark in the spectrogram is followed by a
//   frequency line "\<TAB>low<TAB>high" (Hz).
// - SelectionTable: a tab-separated selection table with the header
//   "Selection View Channel Begin Time (s) End Time (s) Low Freq (Hz)
//   High Freq (Hz) Annotation"; on reading, the columns are found by their
//   titles (other columns are ignored) and a selection listed once per view
//   is taken once.
//
// Times in both are real time (the time-expansion factor applied). A mark
// is a point: it is written with equal start and end and equal low and
// high frequency; a stretch or band read becomes a mark at its start and
// middle frequency. Reading is all or nothing: any malformed line is
// reported with its line number and no mark is taken. Interface thread
// only (the document's marks change).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/MarkList.h"

namespace nv {

class CNorvaneDoc;

enum class MarkExchangeFormat { Labels, SelectionTable };

// "labels" or "raven" (the command-line names); nothing for other names.
std::optional<MarkExchangeFormat> ParseMarkExchangeFormat(const std::string& name);

// What the marks are placed in when a file is read.
struct MarkTimeBase {
  int64_t rateHz = 44100;                  // sampling rate as stored
  int64_t expansionThousandths = 1000;     // 0 or less counts as 1000
  int64_t frameCount = 0;                  // marks beyond it are refused
  int channels = 1;
};

// The text of `marks` in format `f`.
std::string FormatMarks(const MarkList& marks, MarkExchangeFormat f, const MarkTimeBase& base);

struct ParsedMarks {
  std::vector<std::pair<MarkPoint, std::string>> marks;  // point and label
  std::vector<std::string> errors;                       // "line 3: ..."; empty when good
};
ParsedMarks ParseMarks(const std::string& text, MarkExchangeFormat f, const MarkTimeBase& base);

// The time base of a document.
MarkTimeBase TimeBaseOf(const CNorvaneDoc& doc);
// Writes the document's marks to `path`; false after a message.
bool ExportMarksFile(const CNorvaneDoc& doc, MarkExchangeFormat f, const std::string& path);
// Reads `path` and adds its marks to the document (one change; the active
// mark stays). False after a message, with no mark added. `added` receives
// the count.
bool ImportMarksFile(CNorvaneDoc& doc, MarkExchangeFormat f, const std::string& path,
                     size_t* added = nullptr);

}  // namespace nv
