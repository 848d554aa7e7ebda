#include "views/ViewHost.h"

#include "audio/OutputOpener.h"

nv::FormatQuery ViewHost::OutputFormatQuery() {
  const std::string device = OutputDevice();
  return [this, device](int channels, int bits, int64_t rateHz) {
    if (Audio().Devices(nv::StreamDirection::Output).empty()) return true;
    return nv::CanPlay(Audio(), device, channels, bits, rateHz);
  };
}

void ViewHost::SetPlayingAndUpdate(bool playing) {
  SetPlaying(playing);
  RequestCommandUpdate();
}
