#pragma once
// Shared pieces of the norvane-cli commands: option parsing and the message
// sink that prints the system's messages on standard error.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/MarkRecord.h"
#include "base/MessageSink.h"
#include "base/WaveFormat.h"
#include "dsp/WindowTable.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterDescription.h"
#include "settings/AnalysisSettings.h"

namespace nv::cli {

// Prints every message on standard error; questions are answered "no".
class StderrMessageSink : public MessageSink {
 public:
  void Show(const std::string& text, MessageIcon icon) override;
  bool Ask(const std::string& text, MessageIcon icon) override;
  int count = 0;
};

// Positional arguments and "--name value" / "--flag" options.
struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  bool Has(const std::string& name) const { return options.count(name) > 0; }
  std::string Get(const std::string& name, const std::string& def = "") const;
};
// `flags` names the options that take no value.
Args ParseArgs(int argc, char** argv, int first, const std::vector<std::string>& flags);

// Parses a whole decimal integer; a message names `what` on failure.
std::optional<long long> ParseInteger(const std::string& text, const std::string& what);
std::optional<double> ParseNumber(const std::string& text, const std::string& what);
// Reads the integer option `name` into `value`, which keeps its number when
// the option is not given. False after the message of ParseInteger.
template <typename Int>
bool ReadIntegerOption(const Args& a, const std::string& name, const std::string& what, Int& value) {
  if (!a.Has(name)) return true;
  auto v = ParseInteger(a.Get(name), what);
  if (!v) return false;
  value = static_cast<Int>(*v);
  return true;
}
// Opens into `doc` the sound file an argument names: a path that may end
// with a type label ("bat.dat [16 bit samples MONO]"). False after a
// message, also when the document has no work file.
bool OpenSoundArgument(CNorvaneDoc& doc, const std::string& argument, const CNorvaneDoc::FramesRead& framesRead = {},
                       SampleAccess access = SampleAccess::Copy);
// Prints a usage error on standard error and returns 1.
int Fail(const std::string& text);
// Why a sound read in place gives no result: another program cut the file.
inline constexpr const char* kShortenedWhileRead =
    "The file was shortened by another program while it was read.";
// The window code of a --window option (rectangular, hanning, parzen,
// hamming, cosine); nothing for any other name.
std::optional<WindowCode> WindowOption(const std::string& name);

// The commands that read or write a sound make their documents with
// `documents`, the one context of the process (made by main).
int RunInfo(const Args& a, DocumentContext& documents);
int RunConvert(const Args& a, DocumentContext& documents);
int RunDemo(const Args& a, DocumentContext& documents);
int RunEdit(const Args& a, DocumentContext& documents);
int RunFilterDesign(const Args& a, DocumentContext& documents);
int RunFilter(const Args& a, DocumentContext& documents);
int RunPlay(const Args& a, DocumentContext& documents);
int RunRecord(const Args& a, DocumentContext& documents);
int RunDevices(const Args& a);
int RunSlow(const Args& a, DocumentContext& documents);
int RunMarks(const Args& a, DocumentContext& documents);
int RunSpectrum(const Args& a, DocumentContext& documents);
int RunDetector(const Args& a, DocumentContext& documents);

// Fills `desc` from the filter options of filter-design (--type, --band,
// --order, --fc, --fl, --fu, --ripple, --stopband, --file); false after a
// message.
bool ReadFilterOptions(const Args& a, FilterDescription& desc);

int RunPulses(const Args& a, DocumentContext& documents);
int RunHistogram(const Args& a, DocumentContext& documents);
// The drawing command; only norvane-render holds it.
int RunRender(const Args& a, DocumentContext& documents);
#ifdef NORVANE_HAVE_RENDER
// Runs norvane-render (beside this program) with the arguments from
// argv[first] on (2: those after "render"; 1: "batch ..."); returns only
// when it could not be started.
int LaunchRender(int argc, char** argv, int first);
#endif
// Only in norvane-render:
// a sound to draw: what a file holds, with its samples mapped.
struct RenderInput {
  WaveFormatEx format;
  int32_t timeExpansion = 1000;  // thousandths
  FrameIndex frames = 0;
  const uint8_t* samples = nullptr;
  std::vector<AnalysisSettings> views;  // stored view records in file order
  std::vector<MarkRecord> marks;
};
// Draws `in` as the render options of `a` say into `out` (PNG, or SVG when
// the name ends in .svg), with at most `threads` threads (0: the cores).
// False with `error` set; an empty `out` only checks the options. Safe on
// several threads at once once EnsureGuiApplication has run on the main
// thread.
bool RenderPicture(const Args& a, const RenderInput& in, const std::string& out, unsigned threads,
                   std::string& error);
// Creates the (display-less) GUI application object drawing needs, once.
void EnsureGuiApplication();
int RunBatch(int argc, char** argv);

}  // namespace nv::cli
