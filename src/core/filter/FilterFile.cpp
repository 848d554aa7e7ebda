#include "filter/FilterFile.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <sys/stat.h>

#include "base/MessageSink.h"

namespace nv {
namespace {

// Applies the line rules: cuts the comment, trims control characters.
std::string CleanLine(std::string line) {
  const std::size_t semicolon = line.rfind(';');
  if (semicolon != std::string::npos) line.erase(semicolon);
  std::size_t begin = 0;
  std::size_t end = line.size();
  while (begin < end && static_cast<unsigned char>(line[begin]) < 32) ++begin;
  while (end > begin && static_cast<unsigned char>(line[end - 1]) < 32) --end;
  return line.substr(begin, end - begin);
}

enum class Number { Blank, Value, Illegal };

// Reads a coefficient as "%lf" would (leading blanks skipped, trailing text
// ignored); infinities and NaN are not coefficients.
Number ParseCoefficient(const std::string& line, double& value) {
  if (line.empty()) return Number::Blank;
  const char* text = line.c_str();
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v)) return Number::Illegal;
  value = v;
  return Number::Value;
}

// Reads one list of n + 1 coefficients; false at a missing or illegal one.
FilterFileResult ReadList(std::istream& in, int n, std::array<double, FilterDescription::kMaxCoefficients>& out,
                          FilterFileResult missing, FilterFileResult illegal) {
  std::string line;
  for (int i = 0; i <= n; ++i) {
    if (!std::getline(in, line)) return missing;
    double value = 0.0;
    switch (ParseCoefficient(CleanLine(line), value)) {
      case Number::Blank:
        out[i] = 0.0;
        break;
      case Number::Value:
        out[i] = value;
        break;
      case Number::Illegal:
        return illegal;
    }
  }
  return FilterFileResult::Loaded;
}

FilterFileResult Read(std::istream& in, FilterDescription& desc) {
  std::string line;
  std::string cleaned;
  for (;;) {
    if (!std::getline(in, line)) return FilterFileResult::FormatError;
    cleaned = CleanLine(line);
    if (!cleaned.empty()) break;
  }
  // The order, read as "%d" reads it: blanks, a sign, digits.
  const char* text = cleaned.c_str();
  char* end = nullptr;
  errno = 0;
  const long order = std::strtol(text, &end, 10);
  if (end == text) return FilterFileResult::FormatError;
  if (errno == ERANGE || order < 1 || order > FilterDescription::kMaxOrder) return FilterFileResult::OrderOutOfRange;
  const int n = static_cast<int>(order);

  std::array<double, FilterDescription::kMaxCoefficients> a{};
  std::array<double, FilterDescription::kMaxCoefficients> b{};
  FilterFileResult result = ReadList(in, n, a, FilterFileResult::MissingA, FilterFileResult::IllegalA);
  if (result != FilterFileResult::Loaded) return result;
  result = ReadList(in, n, b, FilterFileResult::MissingB, FilterFileResult::IllegalB);
  if (result != FilterFileResult::Loaded) return result;
  desc.order = n;
  desc.a = a;
  desc.b = b;
  return FilterFileResult::Loaded;
}

}  // namespace

std::string FilterFileMessage(FilterFileResult result) {
  switch (result) {
    case FilterFileResult::FormatError:
      return "File format error in filter definition file.";
    case FilterFileResult::OrderOutOfRange:
      return "Error in filter definition file (filter order out of range).";
    case FilterFileResult::MissingA:
      return "Error in filter definition file (missing A koefficient).";
    case FilterFileResult::IllegalA:
      return "Error in filter definition file (illegal A koefficient).";
    case FilterFileResult::MissingB:
      return "Error in filter definition file (missing B koefficient).";
    case FilterFileResult::IllegalB:
      return "Error in filter definition file (illegal B koefficient).";
    case FilterFileResult::Loaded:
    case FilterFileResult::CannotOpen:
      break;
  }
  return {};
}

FilterFileResult ReadFilterDefinition(std::istream& in, FilterDescription& desc) {
  const FilterFileResult result = Read(in, desc);
  if (result != FilterFileResult::Loaded) {
    ShowMessage(FilterFileMessage(result), MessageIcon::None);
    desc.order = 0;
  }
  return result;
}

FilterFileResult LoadFilterFile(const std::string& path, FilterDescription& desc) {
  struct stat info {};
  errno = 0;
  const bool isDirectory = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  std::ifstream in;
  if (!isDirectory) in.open(path, std::ios::binary);
  if (isDirectory || !in) {
    const int error = isDirectory ? EISDIR : errno;
    ShowMessage("Can not open file: " + std::string(std::strerror(error != 0 ? error : ENOENT)),
                MessageIcon::Exclamation);
    return FilterFileResult::CannotOpen;
  }
  return ReadFilterDefinition(in, desc);
}

}  // namespace nv
