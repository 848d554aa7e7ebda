#pragma once
// The options of the pulse characteristics analysis that norvane-cli pulses
// and batch pulses share. Read and checked once; the settings of one file
// are then the stored defaults ("Settings\Puls"), changed by the options,
// with the transform of the file's stored view unless the options name one.
// Plain value type; any thread once read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dsp/WindowTable.h"
#include "CliSupport.h"
#include "settings/AnalysisSettings.h"
#include "settings/PulseSettings.h"

namespace nv::cli {

class PulseOptions {
 public:
  // The usage text of the options, for the commands' usage lines.
  static const char* Usage();
  // Reads the options of `a`; false after a message on standard error.
  bool Read(const Args& a);
  // The settings for a file whose stored view records are `views` (file
  // order; the last one counts), or none. False with `error` when an
  // overlap given without a size is not below the size of the file's view.
  bool For(const std::vector<AnalysisSettings>& views, PulseSettings& out, std::string& error) const;
  // Whether the detection band suits a file of `rateHz` and `timeExpansion`
  // (thousandths): false with `error` when an edge lies past its Nyquist
  // frequency.
  bool CheckFile(int64_t rateHz, int32_t timeExpansion, std::string& error) const;

  int64_t fromFrame = 0;
  int64_t toFrame = -1;  // < 0: the end of the sound
  int channel = 1;       // 1 left, 2 right

 private:
  PulseSettings base_;
  std::optional<int32_t> fft_, overlapSamples_;
  std::optional<WindowCode> window_;
};

}  // namespace nv::cli
