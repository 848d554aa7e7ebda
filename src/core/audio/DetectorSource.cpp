#include "audio/DetectorSource.h"

namespace nv {

void DetectorSource::Configure(const FilterDescription& filter, int speedFactor, int32_t frequencyHz) {
  filter_ = filter;
  speedFactor_ = speedFactor;
  frequencyHz_ = frequencyHz;
}

SourceStart DetectorSource::Begin(int64_t startFrame, int64_t endFrame, uint32_t) {
  if (!mapping_.Map(doc_)) return SourceStart::Refused;
  const DetectorStartResult started = stream_.Start(
      MakeDetectorRequest(doc_, mapping_.Samples(), startFrame, endFrame, speedFactor_, frequencyHz_), filter_);
  if (started == DetectorStartResult::Started) return SourceStart::Started;
  End();
  return started == DetectorStartResult::EmptyRange ? SourceStart::EmptyRange : SourceStart::Refused;
}

int64_t DetectorSource::SoundBytesPerBlock() const {
  return stream_.InputFramesPerBlock() * doc_.Format().nBlockAlign;
}

int64_t DetectorSource::Fill(int64_t, uint8_t* out) { return stream_.FillBlock(out); }

}  // namespace nv
