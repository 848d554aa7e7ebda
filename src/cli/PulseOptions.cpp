#include "PulseOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "StoredDefaults.h"
#include "analysis/DetectionBand.h"
#include "analysis/PulseAnalysis.h"
#include "analysis/PulseFieldPreset.h"
#include "analysis/PulseTransform.h"

namespace nv::cli {
namespace {

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

// A whole number of Hz, 0 ... 10 MHz; nothing when the text is not one.
std::optional<int32_t> Hertz(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0 || v > 10e6) return std::nullopt;
  return static_cast<int32_t>(std::floor(v + 0.5));
}

// --detect-band LOW-HIGH (Hz; HIGH left out: up to the Nyquist frequency).
bool BandOption(const Args& a, PulseSettings& s) {
  if (!a.Has("detect-band")) return true;
  const std::string text = a.Get("detect-band");
  const size_t dash = text.find('-');
  const auto low = dash == std::string::npos ? std::nullopt : Hertz(text.substr(0, dash));
  const std::string highText = dash == std::string::npos ? std::string() : text.substr(dash + 1);
  const auto high = highText.empty() ? std::optional<int32_t>(0) : Hertz(highText);
  if (!low || !high) {
    Fail("--detect-band must be LOW-HIGH in Hz, for example 15000-120000 (LOW- for a band up to the "
         "Nyquist frequency).");
    return false;
  }
  if (*high > 0 && *low >= *high) {
    Fail("--detect-band: the lower edge must lie below the upper edge.");
    return false;
  }
  if (*low == 0 && *high == 0) {
    Fail("--detect-band: a band needs a lower edge above 0 Hz or an upper edge.");
    return false;
  }
  s.detectLowHz = *low;
  s.detectHighHz = *high;
  return true;
}

bool IsFftSize(long long n) { return n >= 16 && n <= 16384 && (n & (n - 1)) == 0; }

}  // namespace

const char* PulseOptions::Usage() {
  return "[--from FRAME --to FRAME] [--channel 1|2] [--osc-threshold DB]\n"
         "       [--spec-threshold DB] [--separation-ms MS] [--min-duration-ms MS] [--freq-separation HZ]\n"
         "       [--min-hz HZ] [--max-hz HZ] [--fft N] [--overlap SAMPLES]\n"
         "       [--window rectangular|hanning|parzen|hamming|cosine]\n"
         "       [--field] [--detect-band LOW-HIGH] [--above-noise DB]";
}

bool PulseOptions::Read(const Args& a) {
  PulseSettings& s = base_;
  s = StoredPulseSettings();
  // The set for field recordings first: options given with it change it.
  if (a.Has("field")) PulseFieldPreset::ApplyTo(s);
  if (a.Has("channel")) {
    const std::string c = a.Get("channel");
    if (c != "1" && c != "2") {
      Fail("--channel must be 1 (left) or 2 (right).");
      return false;
    }
    channel = c == "1" ? 1 : 2;
  }
  s.leftChannel = channel == 1;
  s.rightChannel = channel == 2;
  if (a.Has("fft")) {
    const auto v = ParseInteger(a.Get("fft"), "--fft");
    if (!v) return false;
    if (!IsFftSize(*v)) {
      Fail("--fft must be a power of two from 16 to 16384.");
      return false;
    }
    fft_ = static_cast<int32_t>(*v);
  }
  if (a.Has("overlap")) {
    const auto v = ParseInteger(a.Get("overlap"), "--overlap");
    if (!v) return false;
    // Checked against the size here when the size is given, else per file.
    if (*v < 0 || *v >= (fft_ ? *fft_ : 16384)) {
      Fail("--overlap must lie between 0 and the FFT size - 1.");
      return false;
    }
    overlapSamples_ = static_cast<int32_t>(*v);
  }
  if (a.Has("window")) {
    window_ = WindowOption(a.Get("window"));
    if (!window_) {
      Fail("--window must be rectangular, hanning, parzen, hamming or cosine.");
      return false;
    }
  }
  int32_t oscDb = s.ampThreshold, specDb = s.freqThreshold;
  if (!ScaledOption(a, "osc-threshold", 100, oscDb) || !ScaledOption(a, "spec-threshold", 100, specDb) ||
      !ScaledOption(a, "separation-ms", 1000, s.ampSeparationUs) ||
      !ScaledOption(a, "min-duration-ms", 1000, s.durTimeUs) ||
      !ScaledOption(a, "freq-separation", 1, s.freqSeparationHz) ||
      !ScaledOption(a, "min-hz", 1, s.minFrequencyHz) || !ScaledOption(a, "max-hz", 1, s.maxFrequencyHz))
    return false;
  // Levels re full scale are negative: the sign of a threshold is ignored.
  s.ampThreshold = -std::abs(oscDb);
  s.freqThreshold = -std::abs(specDb);
  if (!BandOption(a, s)) return false;
  if (a.Has("above-noise")) {
    if (a.Has("osc-threshold")) {
      Fail("--above-noise and --osc-threshold exclude each other: the threshold is either above the "
           "noise floor or absolute.");
      return false;
    }
    const auto v = ParseNumber(a.Get("above-noise"), "--above-noise");
    if (!v) return false;
    if (!(*v >= 0 && *v <= 100)) {
      Fail("--above-noise must be a level from 0 to 100 dB above the noise floor.");
      return false;
    }
    s.aboveNoise = 1;
    s.noiseMargin = static_cast<int32_t>(std::floor(*v * 100 + 0.5));
  } else if (a.Has("osc-threshold")) {
    s.aboveNoise = 0;  // an absolute threshold given with --field
  }
  return FrameOption(a, "from", fromFrame) && FrameOption(a, "to", toFrame);
}

bool PulseOptions::CheckFile(int64_t rateHz, int32_t timeExpansion, std::string& error) const {
  error = PulseAnalysis::CheckDetection(base_, rateHz, timeExpansion);
  if (error.empty()) return true;
  error = "--detect-band: " + error;
  return false;
}

bool PulseOptions::For(const std::vector<AnalysisSettings>& views, PulseSettings& s,
                       std::string& error) const {
  s = base_;
  // The transform of the file's stored view, else the view defaults, as the
  // desktop's analysis resolves it.
  AnalysisSettings view;
  if (!views.empty()) view = views.back();
  PulseTransform t = PulseTransform::Of(view);
  if (fft_) {
    t.fftSize = *fft_;
    t.overlapSamples = PulseTransform::OverlapSamples(*fft_, view.fftOverlap);
  }
  if (overlapSamples_) {
    if (*overlapSamples_ >= t.fftSize) {
      error = "--overlap must lie between 0 and the FFT size - 1 (" + std::to_string(t.fftSize) + ").";
      return false;
    }
    t.overlapSamples = *overlapSamples_;
  }
  if (window_) t.window = StoredNumber(*window_);
  t.ApplyTo(s);
  return true;
}

}  // namespace nv::cli
