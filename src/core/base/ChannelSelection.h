#pragma once
// Which channels of a sound an edit, copy or export acts on.

namespace nv {

enum class ChannelSelection : int { Left = 1, Right = 2, Both = 3 };

// The code of a selection as records and the command line hold it.
constexpr int ToCode(ChannelSelection c) { return static_cast<int>(c); }
// Codes other than 1 and 2 mean both channels.
constexpr ChannelSelection ChannelSelectionFromCode(long long code) {
  return code == 1 ? ChannelSelection::Left : code == 2 ? ChannelSelection::Right : ChannelSelection::Both;
}

}  // namespace nv
