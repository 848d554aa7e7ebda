#pragma once
// A slowed copy for players that know no time expansion: the samples stay as
// they are, the rate is relabelled to the integer part of rate x speed, and
// the time-expansion factor grows so that the effective rate (rate x factor)
// stays what it was. Norvane then shows the same real times and frequencies,
// and any other player plays the copy at the chosen speed.
#include <cstdint>

#include "document/CNorvaneDoc.h"

namespace nv {

struct SlowedLabels {
  uint32_t rateHz = 0;
  int64_t timeExpansionThousandths = 0;
};

// The new rate and factor for `speed` (0 < speed); rateHz 0 when the rate
// would fall below 1 Hz, factor 0 when it leaves the stored 32-bit range.
SlowedLabels SlowedLabelsFor(uint32_t rateHz, int32_t timeExpansionThousandths, double speed);
// Relabels `doc` for `speed`; false with a message when the labels cannot be stored.
bool RelabelForSpeed(CNorvaneDoc& doc, double speed);

}  // namespace nv
