// norvane-cli pulses: the pulse characteristics analysis of a sound file,
// printed as the results dialog's "Copy " text or as a selection table.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "StoredDefaults.h"
#include "analysis/PulseAnalysis.h"
#include "analysis/PulseTable.h"
#include "document/CNorvaneDoc.h"
#include "dsp/WindowTable.h"

namespace nv::cli {
namespace {

const char* kPulsesUsage =
    "usage: norvane-cli pulses FILE [--from FRAME --to FRAME] [--channel 1|2] [--osc-threshold DB]\n"
    "       [--spec-threshold DB] [--separation-ms MS] [--min-duration-ms MS] [--freq-separation HZ]\n"
    "       [--min-hz HZ] [--max-hz HZ] [--fft N] [--overlap SAMPLES]\n"
    "       [--window rectangular|hanning|parzen|hamming|cosine] [--format table|raven]";

// A number option; false after a message. `scale` converts to the stored unit.
bool ScaledOption(const Args& a, const std::string& name, double scale, int32_t& out) {
  if (!a.Has(name)) return true;
  const auto v = ParseNumber(a.Get(name), "--" + name);
  if (!v) return false;
  const double scaled = std::floor(*v * scale + 0.5);
  if (!std::isfinite(scaled) || scaled < -2147483647.0 || scaled > 2147483647.0) {
    std::fprintf(stderr, "--%s is out of range.\n", name.c_str());
    return false;
  }
  out = static_cast<int32_t>(scaled);
  return true;
}

bool FrameOption(const Args& a, const std::string& name, int64_t& out) {
  if (!a.Has(name)) return true;
  const auto v = ParseInteger(a.Get(name), "--" + name);
  if (!v) return false;
  if (*v < 0) {
    std::fprintf(stderr, "--%s must not be negative.\n", name.c_str());
    return false;
  }
  out = *v;
  return true;
}

}  // namespace

int RunPulses(const Args& a) {
  if (a.positional.size() != 1) return Fail(kPulsesUsage);
  CNorvaneDoc doc;
  if (!doc.IsValid() || !doc.Open(a.positional[0])) return 1;

  PulseRunInput in;
  PulseSettings& s = in.settings;
  s = StoredPulseSettings();
  s.leftChannel = 1;
  s.rightChannel = 0;
  if (a.Has("channel")) {
    const std::string c = a.Get("channel");
    if (c != "1" && c != "2") return Fail("--channel must be 1 (left) or 2 (right).");
    s.leftChannel = c == "1";
    s.rightChannel = c == "2";
  }
  // The transform of the file's stored view, else the view defaults; an
  // automatic size is 256 samples and an automatic overlap three quarters.
  AnalysisSettings view;
  if (!doc.PendingViewRecords().empty()) view = doc.PendingViewRecords().back();
  int32_t fft = view.fftSize >= 16 && view.fftSize <= 16384 && (view.fftSize & (view.fftSize - 1)) == 0
                    ? view.fftSize
                    : 256;
  int32_t window = view.window;
  if (a.Has("fft")) {
    const auto v = ParseInteger(a.Get("fft"), "--fft");
    if (!v) return 1;
    if (*v < 16 || *v > 16384 || (*v & (*v - 1)) != 0)
      return Fail("--fft must be a power of two from 16 to 16384.");
    fft = static_cast<int32_t>(*v);
  }
  int32_t overlap = view.fftOverlap >= 0 && view.fftOverlap < 100 ? view.fftOverlap * fft / 100
                                                                   : fft * 3 / 4;
  if (a.Has("overlap")) {
    const auto v = ParseInteger(a.Get("overlap"), "--overlap");
    if (!v) return 1;
    if (*v < 0 || *v >= fft) return Fail("--overlap must lie between 0 and the FFT size - 1.");
    overlap = static_cast<int32_t>(*v);
  }
  if (a.Has("window")) {
    std::string name = a.Get("window");
    if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    const int32_t code = WindowCodeFromName(name);
    if (WindowName(code) != name)
      return Fail("--window must be rectangular, hanning, parzen, hamming or cosine.");
    window = code;
  }
  s.fftSize = fft;
  s.fftOverlap = overlap;
  s.fftWindow = window;

  int32_t oscDb = s.ampThreshold, specDb = s.freqThreshold;
  if (!ScaledOption(a, "osc-threshold", 100, oscDb) || !ScaledOption(a, "spec-threshold", 100, specDb) ||
      !ScaledOption(a, "separation-ms", 1000, s.ampSeparationUs) ||
      !ScaledOption(a, "min-duration-ms", 1000, s.durTimeUs) ||
      !ScaledOption(a, "freq-separation", 1, s.freqSeparationHz) ||
      !ScaledOption(a, "min-hz", 1, s.minFrequencyHz) || !ScaledOption(a, "max-hz", 1, s.maxFrequencyHz))
    return 1;
  // Levels re full scale are negative: the sign of a threshold is ignored.
  s.ampThreshold = -std::abs(oscDb);
  s.freqThreshold = -std::abs(specDb);

  int64_t from = 0, to = -1;
  if (!FrameOption(a, "from", from) || !FrameOption(a, "to", to)) return 1;
  const std::string format = a.Get("format", "table");
  if (format != "table" && format != "raven") return Fail("--format must be table or raven.");

  in.samples = doc.Samples();
  if (doc.FrameCount() > 0 && in.samples.Empty()) return 1;
  in.rateHz = doc.Format().nSamplesPerSec;
  in.timeExpansion = doc.Info().TimeExpansion();
  in.startFrame = from;
  in.endFrame = to;
  std::vector<PulseResult> results;
  PulseCallbacks cb;
  cb.result = [&](PulseResult&& r) { results.push_back(std::move(r)); };
  PulseAnalysis::Run(in, cb);

  std::string text = format == "raven" ? PulseTable::RavenText(results, s.leftChannel ? 1 : 2)
                                       : PulseTable(s).Text(results);
  // Plain line ends on a terminal and in pipes.
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace nv::cli
