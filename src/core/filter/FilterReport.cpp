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
  std::string out = "order: ";
  out += std::to_string(desc.order);
  const auto list = [&out](const char* name, const double* values, int count) {
    out += '\n';
    out += name;
    for (int j = 0; j < count; ++j) {
      out += ' ';
      out += FormatCoefficient(values[j]);
    }
  };
  list("a:", desc.a.data(), n + 1);
  list("b:", desc.b.data(), n + 1);
  const auto response = FilterResponse(desc);
  list("response:", response.data(), kFilterResponsePoints);
  out += '\n';
  return out;
}

}  // namespace nv
