#include "views/CursorMode.h"

#include <cstdio>

#include "base/TimeBase.h"

namespace nv {

std::string FormatStatusText(int channels, int bits, int64_t rateHz, int64_t expansion) {
  const char* kind = channels > 1 ? "Stereo" : "Mono";
  char buf[128];
  if (expansion > 0 && expansion != 1000)
    std::snprintf(buf, sizeof buf, "%s, %d bits, %lld Hz, Time exp %2.2f.", kind, bits,
                  static_cast<long long>(rateHz), TimeBase(rateHz, expansion).ExpansionFactor());
  else
    std::snprintf(buf, sizeof buf, "%s, %d bits, %lld Hz.", kind, bits,
                  static_cast<long long>(rateHz));
  return buf;
}

}  // namespace nv
