#pragma once
// The source of a playback through the virtual detector: a DetectorStream
// over a read-only mapping of the document's work file that the source holds
// from Begin to End. Each block is made just before it is queued (block n
// from the k x BufferSize bytes of sound behind it), in the document's own
// format and at its own rate (Speed 1: the speed factor k does the speeding
// up by taking every k-th frame). A new detector frequency is heard from the
// next block made. Interface thread, except SetFrequencyHz (any thread); see
// PlaybackSource for the contract.
#include <cstdint>

#include "audio/DetectorDocument.h"
#include "audio/DetectorStream.h"
#include "audio/PlaybackSource.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterDescription.h"

namespace nv {

class DetectorSource : public PlaybackSource {
 public:
  explicit DetectorSource(CNorvaneDoc& doc) : doc_(doc) {}

  // What the next playback starts from: the detector's filter (designed),
  // the speed factor k and the detector frequency (real Hz).
  void Configure(const FilterDescription& filter, int speedFactor, int32_t frequencyHz);
  // The detector frequency of the blocks made from now on.
  void SetFrequencyHz(int32_t hz) { stream_.SetFrequencyHz(hz); }
  const DetectorStream& Stream() const { return stream_; }

  // Maps the sound ("CAN NOT MAP VIEW OF FILE (virt.detector): ..." when it
  // cannot) and starts the stream, which refuses what it cannot play with
  // its message.
  SourceStart Begin(int64_t startFrame, int64_t endFrame, uint32_t blockBytes) override;
  double Speed() const override { return 1.0; }
  int64_t SoundBytesPerBlock() const override;
  int64_t Fill(int64_t soundOffset, uint8_t* out) override;
  void End() override { mapping_.Release(); }

 private:
  CNorvaneDoc& doc_;
  FilterDescription filter_;
  int speedFactor_ = 1;
  int32_t frequencyHz_ = 0;
  DetectorSoundMapping mapping_;
  DetectorStream stream_;
};

}  // namespace nv
