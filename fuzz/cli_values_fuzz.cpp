// Feeds arbitrary texts to what reads the command line: type-labelled paths,
// the numeric option parsers, the window and mark format names, the option
// splitter and the pulse analysis options. The input is split at NUL bytes
// into arguments. Every value must be taken or refused with a message.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "PulseOptions.h"
#include "document/MarkExchange.h"
#include "fileformats/FileType.h"

namespace {

void CheckLabels(const std::string& text) {
  const nv::LabeledPath split = nv::SplitTypeLabel(text);
  if (split.label.empty()) {
    if (split.path != text || split.type != nv::FileType::NorvaneWave) __builtin_trap();
  } else if (split.path + " " + split.label != text || split.type != nv::TypeOfLabel(split.label)) {
    __builtin_trap();
  }
  for (int code = 1; code <= 7; ++code) {
    const std::string label = nv::TypeLabel(nv::FileTypeFromCode(code));
    const std::string relabelled = nv::ReplaceTypeLabel(text, label);
    const nv::LabeledPath again = nv::SplitTypeLabel(relabelled);
    // The old label is replaced, the path kept, when the path splits off at all.
    if (split.path.size() >= 2 && (again.path != split.path || again.label != label)) __builtin_trap();
  }
}

void CheckNumbers(const std::string& text) {
  if (const auto v = nv::cli::ParseInteger(text, "value")) {
    errno = 0;
    if (std::strtoll(text.c_str(), nullptr, 10) != *v || errno != 0) __builtin_trap();
  }
  (void)nv::cli::ParseNumber(text, "value");
  if (const auto w = nv::cli::WindowOption(text)) {
    if (nv::StoredNumber(*w) < 0) __builtin_trap();
  }
  (void)nv::ParseMarkExchangeFormat(text);
  (void)nv::FileTypeFromCode(std::strtoll(text.c_str(), nullptr, 10));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The pulse options start from the stored defaults: none here.
  static std::string dir = "/tmp/nvfuzzcliXXXXXX";
  if (!mkdtemp(dir.data())) std::abort();
  std::atexit([] { std::filesystem::remove_all(dir); });
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> texts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      if (texts.size() == 32) break;
      texts.emplace_back();
    } else {
      texts.back().push_back(static_cast<char>(data[i]));
    }
  }
  for (const std::string& t : texts) {
    CheckLabels(t);
    CheckNumbers(t);
  }
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);
  const nv::cli::Args a =
      nv::cli::ParseArgs(static_cast<int>(texts.size()), argv.data(), 0, {"raw", "stereo"});
  nv::cli::PulseOptions options;
  if (options.Read(a)) {
    nv::PulseSettings s;
    std::string error;
    (void)options.For({}, s, error);
    (void)options.For({nv::AnalysisSettings()}, s, error);
  }
  return 0;
}
