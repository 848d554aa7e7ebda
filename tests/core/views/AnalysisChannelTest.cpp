#include <gtest/gtest.h>

#include "views/AnalysisChannel.h"

namespace nv {
namespace {

// Every gesture channel in every kind of view: the analysis never takes a
// channel the view does not show.
TEST(AnalysisChannel, TakesOnlyAChannelTheViewShows) {
  for (int channel : {-1, 0, 1, 2, 3}) {
    // Stereo, both channels shown (or neither flag, which shows both).
    for (bool flags : {true, false}) {
      const int expected = channel == 1 || channel == 2 ? channel : 3;
      EXPECT_EQ(AnalysisChannel(channel, 2, flags, flags), expected) << channel;
    }
    // Stereo, one channel shown: that one.
    EXPECT_EQ(AnalysisChannel(channel, 2, true, false), 1) << channel;
    EXPECT_EQ(AnalysisChannel(channel, 2, false, true), 2) << channel;
    // Mono: its only channel.
    for (bool left : {true, false})
      for (bool right : {true, false}) EXPECT_EQ(AnalysisChannel(channel, 1, left, right), 1);
  }
}

}  // namespace
}  // namespace nv
