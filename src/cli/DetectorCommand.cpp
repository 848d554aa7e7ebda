// norvane-cli detector: what the virtual bat detector plays for a range of a
// sound, written as a Standard Wave file at the sound's own rate, produced
// block by block by the same code as the playback.
#include <string>

#include "CliSupport.h"
#include "audio/DetectorDocument.h"
#include "audio/DetectorSettings.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterCommand.h"
#include "filter/FilterDesign.h"

namespace nv::cli {
namespace {

const char* kUsage =
    "usage: norvane-cli detector IN OUT --freq HZ [--speed K] [--from FRAME --to FRAME] "
    "[--type butterworth|chebyshev|elliptic|user --band BAND --order N [--fc HZ | --fl HZ --fu HZ] "
    "[--ripple TENTHS_DB] [--stopband DB] [--file FILTER.txt]]";

// The detector's filter when none is given: a 4th-order Butterworth
// low-pass at 5 000 Hz of real frequency.
FilterDescription DefaultFilter() {
  FilterDescription d;
  d.filterType = FilterType::Butterworth;
  d.bandType = BandType::LowPass;
  d.order = 4;
  d.lowPassHz = 5000;
  return d;
}

bool HasFilterOptions(const Args& a) {
  for (const char* name : {"type-name", "band", "order", "fc", "fl", "fu", "ripple", "stopband", "file"})
    if (a.Has(name)) return true;
  return false;
}

}  // namespace

int RunDetector(const Args& a) {
  if (a.positional.size() != 2 || !a.Has("freq")) return Fail(kUsage);
  if (a.Has("type-code")) return Fail("--type names the detector's filter type (butterworth, chebyshev, elliptic or user).");
  auto freq = ParseInteger(a.Get("freq"), "--freq");
  if (!freq) return 1;
  int speed = DetectorSettings::kDefaultSpeedFactor;
  if (a.Has("speed")) {
    std::string message;
    if (!ParseSpeedFactor(a.Get("speed"), speed, message)) return Fail(message);
  }
  long long from = 0, to = -1;
  if (a.Has("from")) {
    auto v = ParseInteger(a.Get("from"), "start frame");
    if (!v) return 1;
    from = *v;
  }
  if (a.Has("to")) {
    auto v = ParseInteger(a.Get("to"), "end frame");
    if (!v) return 1;
    to = *v;
  }
  FilterDescription filter = DefaultFilter();
  if (HasFilterOptions(a)) {
    filter = FilterDescription{};
    if (!ReadFilterOptions(a, filter)) return 1;
  }

  CNorvaneDoc doc;
  if (!doc.IsValid() || !doc.Open(a.positional[0])) return 1;
  if (doc.FrameCount() <= 0) {
    ShowMessage("No sound to play.");
    return 1;
  }
  const int64_t nyquist = DocumentNyquistHz(doc);
  if (*freq < 1 || *freq > nyquist)
    return Fail("--freq must be a frequency from 1 Hz to the Nyquist frequency of the sound, " +
                std::to_string(nyquist) + " Hz.");
  if (!DesignFilter(filter, nyquist)) return 1;
  if (to < 0) to = doc.FrameCount();
  switch (WriteDetectorSound(doc, filter, from, to, speed, static_cast<int32_t>(*freq), a.positional[1])) {
    case DetectorWriteResult::Written: return 0;
    case DetectorWriteResult::EmptyRange: return Fail("The range holds no sound to play.");
    case DetectorWriteResult::Failed: break;
  }
  return 1;
}

}  // namespace nv::cli
