#pragma once
// The document values a display settings dialog needs for its read-outs and
// its Nyquist check: the sampling rate and the time-expansion factor. The
// owner (a view) sets them from its document; with no document the rate is 0
// and the checks that need it are skipped.
#include <cstdint>

#include "base/TimeBase.h"

struct DocumentRates {
  int64_t sampleRateHz = 0;
  int64_t timeExpansion = 1000;  // thousandths, 1000 = none

  bool Known() const { return sampleRateHz > 0 && timeExpansion > 0; }
  nv::TimeBase Time() const { return nv::TimeBase(sampleRateHz, timeExpansion); }
  // Sampling rate × time-expansion factor, Hz of real time.
  double EffectiveRateHz() const { return Time().RealRateHzExact(); }
  // The Nyquist frequency of the effective rate, whole Hz.
  int64_t NyquistHz() const { return Time().NyquistHz(); }
};
