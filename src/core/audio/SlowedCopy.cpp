#include "audio/SlowedCopy.h"

#include <cmath>

#include "audio/PlaySpeed.h"
#include "base/MessageSink.h"

namespace nv {

SlowedLabels SlowedLabelsFor(uint32_t rateHz, int32_t te, double speed) {
  SlowedLabels l;
  if (!(speed > 0)) return l;
  l.rateHz = PlaybackRateHz(rateHz, speed);
  if (l.rateHz == 0) return l;
  // rate x factor stays the same; with a rate that divides evenly this is
  // the factor divided by the speed.
  const double factor = std::round(static_cast<double>(te) * rateHz / l.rateHz);
  l.timeExpansionThousandths = factor >= 1 && factor <= 2147483647.0 ? static_cast<int64_t>(factor) : 0;
  return l;
}

bool RelabelForSpeed(CNorvaneDoc& doc, double speed) {
  const WaveFormatEx f = doc.Format();
  const SlowedLabels l = SlowedLabelsFor(f.nSamplesPerSec, doc.Info().TimeExpansion(), speed);
  if (l.rateHz == 0) {
    ShowMessage("The sampling rate would fall below 1 Hz.");
    return false;
  }
  if (l.timeExpansionThousandths == 0) {
    ShowMessage("The time expansion factor would be out of range.");
    return false;
  }
  const int32_t oldExpansion = doc.Info().TimeExpansion();
  doc.SetFormat(f.nChannels, f.wBitsPerSample, l.rateHz);
  doc.Info().SetTimeExpansion(static_cast<int32_t>(l.timeExpansionThousandths));
  doc.Marks().FollowRelabel(f.nSamplesPerSec, oldExpansion, l.rateHz, l.timeExpansionThousandths);
  doc.SetModifiedFlag();
  return true;
}

}  // namespace nv
