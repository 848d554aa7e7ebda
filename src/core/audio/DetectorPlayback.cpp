#include "audio/DetectorPlayback.h"

#include <utility>

namespace nv {

DetectorPlayback::DetectorPlayback(CNorvaneDoc& doc, AudioBackend& backend, std::function<bool()> isPlaying,
                                   std::function<void(bool)> setPlaying, DetectorPlaybackView& view)
    : view_(view),
      source_(doc),
      engine_(doc, backend, std::move(isPlaying), std::move(setPlaying), *this, source_) {
  engine_.SetBlocksInUse(kBuffers);
}

void DetectorPlayback::Play(const PlaybackRequest& r, const FilterDescription& filter, int k, int32_t hz) {
  source_.Configure(filter, k, hz);
  engine_.Play(r);
}

bool DetectorPlayback::Start(int64_t start, int64_t end, const std::string& label, const FilterDescription& filter,
                             int k, int32_t hz) {
  source_.Configure(filter, k, hz);
  return engine_.Start(start, end, label);
}

void DetectorPlayback::ShowPlaybackProgress(int64_t frame, const std::string&) {
  // The line moves to the sound heard and shows its own text.
  view_.MoveDetectorLine(frame);
  view_.ShowDetectorLineStatus();
}

}  // namespace nv
