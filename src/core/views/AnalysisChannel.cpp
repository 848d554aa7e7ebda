#include "views/AnalysisChannel.h"

namespace nv {

int AnalysisChannel(int channel, int documentChannels, bool leftShown, bool rightShown) {
  if (documentChannels < 2) return 1;
  // A view of one channel: whatever the gesture, the channel it shows.
  if (leftShown != rightShown) return leftShown ? 1 : 2;
  return channel == 1 || channel == 2 ? channel : 3;
}

}  // namespace nv
