// norvane-cli histogram: the pulse interval or pulse length histogram of a
// sound file, printed as the histogram window's "Copy Ascii" text.
#include <cstdio>
#include <string>

#include "CliSupport.h"
#include "StoredDefaults.h"
#include "analysis/RateHistogram.h"
#include "document/CNorvaneDoc.h"

namespace nv::cli {
namespace {

const char* kHistogramUsage =
    "usage: norvane-cli histogram FILE (--interval | --length) [--from FRAME --to FRAME]\n"
    "       [--channel 1|2] [--threshold AMPLITUDE] [--delay MS]\n"
    "       [--start MS --end MS --bars N | --auto]";

bool IntegerOption(const Args& a, const std::string& name, long long lo, long long hi,
                   long long& out) {
  if (!a.Has(name)) return true;
  const auto v = ParseInteger(a.Get(name), "--" + name);
  if (!v) return false;
  if (*v < lo || *v > hi) {
    std::fprintf(stderr, "--%s must lie between %lld and %lld.\n", name.c_str(), lo, hi);
    return false;
  }
  out = *v;
  return true;
}

}  // namespace

int RunHistogram(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 1 || a.Has("interval") == a.Has("length")) return Fail(kHistogramUsage);
  const bool fixed = a.Has("start") || a.Has("end") || a.Has("bars");
  if (fixed && a.Has("auto")) return Fail("--auto cannot be combined with --start, --end or --bars.");
  if (fixed && !(a.Has("start") && a.Has("end") && a.Has("bars")))
    return Fail("--start, --end and --bars go together.");

  RateSettings s = StoredRateSettings();
  s.intervalMode = a.Has("interval") ? 1 : 0;
  s.leftChannel = 1;
  s.rightChannel = 1;
  if (a.Has("channel")) {
    const std::string c = a.Get("channel");
    if (c != "1" && c != "2") return Fail("--channel must be 1 (left) or 2 (right).");
    s.leftChannel = c == "1";
    s.rightChannel = c == "2";
  }
  long long threshold = s.threshold, delay = s.delayMs, start = s.histStartMs, end = s.histEndMs, bars = s.bars;
  long long from = 0, to = -1;
  if (!IntegerOption(a, "threshold", -2147483647LL, 2147483647LL, threshold) ||
      !IntegerOption(a, "delay", 0, 2147483647LL, delay) ||
      !IntegerOption(a, "start", 0, 2147483647LL, start) ||
      !IntegerOption(a, "end", 0, 2147483647LL, end) ||
      !IntegerOption(a, "bars", 1, 2147483647LL, bars) ||
      !IntegerOption(a, "from", 0, 2147483647LL, from) || !IntegerOption(a, "to", 0, 2147483647LL, to))
    return 1;
  if (fixed && end <= start) return Fail("Histogram end must be greather then Histogram start.");
  s.threshold = threshold > 0 ? static_cast<int32_t>(threshold) : -1;
  s.delayMs = static_cast<int32_t>(delay);
  if (fixed) {
    s.autoCalc = 0;
    s.histStartMs = static_cast<int32_t>(start);
    s.histEndMs = static_cast<int32_t>(end);
    s.bars = static_cast<int32_t>(bars);
  } else if (a.Has("auto")) {
    s.autoCalc = 1;
  }

  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  const SampleSource samples = doc.Samples();
  if (doc.FrameCount() > 0 && samples.Empty()) return 1;
  RateHistogram h(s);
  h.SetUp(samples, doc.Format().nSamplesPerSec, doc.Info().TimeExpansion(), from, to);
  h.Compute(samples);
  std::string out;
  for (char c : h.AsciiText())
    if (c != '\r') out += c;
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace nv::cli
