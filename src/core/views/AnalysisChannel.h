#pragma once
// Which channel an analysis window opened from a sound view takes from the
// view's cursor or selection. A view of a stereo sound may show one channel
// alone; its clicks then carry channel 1 (the plot has one strip) whichever
// channel that strip shows, and a stereo gesture carries both. The analyses
// take the channel the user sees: a channel the view does not show is
// replaced by the one it shows, and a gesture on both channels in a view of
// one channel means that channel.
namespace nv {

// `channel`: the cursor's or selection's channel (1 left, 2 right, anything
// else both); `documentChannels`: 1 or 2; `leftShown`, `rightShown`: the
// view's channel flags (neither set shows both, as the plot does).
// Returns 1 (left), 2 (right) or 3 (both: the window's own rule chooses).
// A mono sound gives 1, its only channel.
int AnalysisChannel(int channel, int documentChannels, bool leftShown, bool rightShown);

}  // namespace nv
