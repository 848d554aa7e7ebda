#pragma once
// The application's default-data record: the defaults for new documents
// (format and recording information) and the acquisition-card choice values.
#include <cstdint>

#include "base/RecordingInfo.h"

namespace nv {

struct DefaultData {
  RecordingInfo info;      // Release, Version, Build, notice, "TimeExp25", "Date", "Time", "By", "At"
  int32_t channels = 1;    // "Chans"
  int32_t bits = 8;        // "Bits"
  int32_t rateHz = 11025;  // "Rate"
  int32_t cboardSamp = 1;  // "CBoardSamp"
  int32_t niDaqSamp = 1;   // "NiDaqSamp"
};

}  // namespace nv
