#include "CliSupport.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "dsp/WindowTable.h"

namespace nv::cli {

void StderrMessageSink::Show(const std::string& text, MessageIcon) {
  std::fprintf(stderr, "%s\n", text.c_str());
  ++count;
}

bool StderrMessageSink::Ask(const std::string& text, MessageIcon icon) {
  Show(text, icon);
  return false;
}

std::string Args::Get(const std::string& name, const std::string& def) const {
  auto it = options.find(name);
  return it == options.end() ? def : it->second;
}

Args ParseArgs(int argc, char** argv, int first, const std::vector<std::string>& flags) {
  Args a;
  for (int i = first; i < argc; ++i) {
    std::string s = argv[i];
    if (s.size() > 2 && s.compare(0, 2, "--") == 0) {
      std::string name = s.substr(2);
      bool isFlag = false;
      for (const auto& f : flags) isFlag |= f == name;
      std::string value = isFlag || i + 1 >= argc ? "" : argv[++i];
      a.options[name] = value;
      // "--type" names a file type code (a number) or a filter type (a
      // word); the filter command takes both.
      if (name == "type" && !value.empty()) {
        bool numeric = value.find_first_not_of("-0123456789") == std::string::npos;
        a.options[numeric ? "type-code" : "type-name"] = value;
      }
    } else if (s == "-o" && i + 1 < argc) {
      a.options["o"] = argv[++i];
    } else {
      a.positional.push_back(s);
    }
  }
  return a;
}

std::optional<long long> ParseInteger(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || errno != 0 || *end != '\0') {
    std::fprintf(stderr, "Invalid %s: '%s'.\n", what.c_str(), text.c_str());
    return std::nullopt;
  }
  return v;
}

std::optional<double> ParseNumber(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (text.empty() || errno != 0 || *end != '\0') {
    std::fprintf(stderr, "Invalid %s: '%s'.\n", what.c_str(), text.c_str());
    return std::nullopt;
  }
  return v;
}

std::optional<WindowCode> WindowOption(const std::string& name) {
  std::string stored = name;
  if (!stored.empty()) stored[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(stored[0])));
  const WindowCode code = WindowCodeFromName(stored);
  if (WindowName(code) != stored) return std::nullopt;
  return code;
}

bool OpenSoundArgument(CNorvaneDoc& doc, const std::string& argument, const CNorvaneDoc::FramesRead& framesRead,
                       SampleAccess access) {
  return doc.IsValid() && doc.Open(SoundFilePath::FromLabelled(argument), framesRead, access);
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 1;
}

}  // namespace nv::cli
