#pragma once
// Reading filter definition files: a text file with the order N of a
// user-defined filter and its N + 1 denominator (A) and N + 1 numerator (B)
// coefficients, one number a line.
//
// Line rules: everything from the last ';' of a line is a comment; then the
// control characters (below 32) are trimmed from both ends, blanks are kept;
// a line that is then empty is blank. Blank lines are skipped before the
// order line; inside the A and B lists a blank line stands for a coefficient
// of 0. Anything after the B list is ignored.
#include <istream>
#include <string>

#include "filter/FilterDescription.h"

namespace nv {

// Outcome of reading a filter definition.
enum class FilterFileResult {
  Loaded,
  CannotOpen,
  FormatError,       // no order line, or it does not start with an integer
  OrderOutOfRange,   // order not from 1 to 49
  MissingA,
  IllegalA,
  MissingB,
  IllegalB,
};

// The message of a failed read; empty for Loaded and CannotOpen.
std::string FilterFileMessage(FilterFileResult result);

// Reads a definition from `in` into the working copy `desc`. On success its
// order becomes N, a[0..N] and b[0..N] come from the text and a, b from N + 1
// to 49 become 0. On a format error the message is shown in a plain message
// box and the order becomes 0, so that a design refuses the copy until a good
// definition is read; the coefficients are left as they were.
FilterFileResult ReadFilterDefinition(std::istream& in, FilterDescription& desc);

// Opens `path` and reads it as ReadFilterDefinition does. A file that cannot
// be opened changes nothing; that failure is shown as "Can not open file: "
// followed by the system's reason.
FilterFileResult LoadFilterFile(const std::string& path, FilterDescription& desc);

}  // namespace nv
