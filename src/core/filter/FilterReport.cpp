#include "filter/FilterReport.h"

#include <algorithm>
#include <cstdio>

#include "filter/FilterDesign.h"

namespace nv {

std::string FormatCoefficient(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string FormatFilterReport(const FilterDescription& desc) {
  const int n = std::clamp(desc.order, 0, FilterDescription::kMaxOrder);
  std::string out = "order: " + std::to_string(desc.order) + "\n";
  out += "a:";
  for (int j = 0; j <= n; ++j) out += " " + FormatCoefficient(desc.a[j]);
  out += "\nb:";
  for (int j = 0; j <= n; ++j) out += " " + FormatCoefficient(desc.b[j]);
  out += "\nresponse:";
  for (double m : FilterResponse(desc)) out += " " + FormatCoefficient(m);
  out += "\n";
  return out;
}

}  // namespace nv
