#include "fileformats/SurveyFiles.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <system_error>

namespace nv {
namespace {

namespace fs = std::filesystem;

bool IsWaveName(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".wav";
}

}  // namespace

SurveyFiles SurveyFiles::Collect(const std::vector<std::string>& paths) {
  SurveyFiles out;
  std::set<std::string> seen, seenArgs;
  for (const std::string& arg : paths) {
    std::error_code ec;
    const fs::file_status st = fs::status(arg, ec);
    if (ec || !fs::exists(st)) {
      out.problems.push_back(arg + ": " + (ec ? ec.message() : std::string("No such file or directory")));
      continue;
    }
    std::error_code ce;
    const fs::path canonArg = fs::weakly_canonical(arg, ce);
    if (!ce && !seenArgs.insert(canonArg.string()).second) continue;  // given twice
    std::vector<SurveyFile> found;
    if (!fs::is_directory(st)) {
      found.push_back({arg, fs::path(arg).filename().string()});
    } else {
      fs::recursive_directory_iterator it(arg, fs::directory_options::skip_permission_denied, ec), end;
      if (ec) {
        out.problems.push_back(arg + ": " + ec.message());
        continue;
      }
      for (; it != end; it.increment(ec)) {
        if (ec) {
          out.problems.push_back(it->path().string() + ": " + ec.message());
          ec.clear();
          continue;
        }
        std::error_code fe;
        const fs::path& p = it->path();
        if (it->is_directory(fe)) continue;
        if (!it->is_regular_file(fe)) {
          ++out.skipped;
          continue;
        }
        if (!IsWaveName(p)) {
          ++out.skipped;
          continue;
        }
        found.push_back({p.string(), p.lexically_relative(arg).string()});
      }
    }
    std::sort(found.begin(), found.end(),
              [](const SurveyFile& a, const SurveyFile& b) { return a.relative < b.relative; });
    for (SurveyFile& f : found) {
      std::error_code ce;
      fs::path canon = fs::weakly_canonical(f.path, ce);
      if (!seen.insert(ce ? f.path : canon.string()).second) continue;
      out.files.push_back(std::move(f));
    }
  }
  return out;
}

SurveyFiles SurveyFiles::Shard(int k, int n) const {
  SurveyFiles out;
  out.skipped = skipped;
  out.problems = problems;
  if (n < 1 || k < 1 || k > n) return out;
  for (size_t i = static_cast<size_t>(k - 1); i < files.size(); i += static_cast<size_t>(n))
    out.files.push_back(files[i]);
  return out;
}

bool SurveyFiles::ParseShard(const std::string& text, int& k, int& n) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  const char* b = text.data();
  auto r1 = std::from_chars(b, b + slash, k);
  auto r2 = std::from_chars(b + slash + 1, b + text.size(), n);
  return r1.ec == std::errc() && r1.ptr == b + slash && r2.ec == std::errc() &&
         r2.ptr == b + text.size() && slash > 0 && n >= 1 && k >= 1 && k <= n;
}

}  // namespace nv
