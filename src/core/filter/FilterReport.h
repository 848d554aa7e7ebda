#pragma once
// Text form of a designed filter for the command-line tool:
//   order: N
//   a: a0 a1 ... aN
//   b: b0 b1 ... bN
//   response: m0 m1 ... m99
// every number with 17 significant digits ("%.17g"), one line each, each line
// ending in '\n'.
#include <string>

#include "filter/FilterDescription.h"

namespace nv {

// The report of `desc` (order 0..49) with its frequency response.
std::string FormatFilterReport(const FilterDescription& desc);

// One number with 17 significant digits.
std::string FormatCoefficient(double value);

}  // namespace nv
