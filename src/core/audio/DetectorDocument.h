#pragma once
// Connects the detector to a document: the request for a playback of a
// range of the document's sound through the detector, and the whole
// detector sound of a range written to a wave file block by block (what
// norvane-cli detector does). Interface thread; the document must not be
// edited while its samples are being played.
#include <cstdint>
#include <string>

#include "audio/DetectorStream.h"
#include "document/CNorvaneDoc.h"

namespace nv {

// A read-only mapping of a document's work file held by a detector
// playback itself, so that it keeps reading while other code maps and
// releases the document's own mapping (a writable mapping, a copy, an
// analysis). Covers the frames the document had when it was made; the
// document must not be edited while it is held (edits are refused while a
// sound plays). Released by Release or on destruction.
class DetectorSoundMapping {
 public:
  DetectorSoundMapping() = default;
  ~DetectorSoundMapping() { Release(); }
  DetectorSoundMapping(const DetectorSoundMapping&) = delete;
  DetectorSoundMapping& operator=(const DetectorSoundMapping&) = delete;

  // Maps the document's frames; false after the message "CAN NOT MAP VIEW OF
  // FILE (virt.detector): " and the system's text. A document without
  // frames maps to an empty source.
  bool Map(CNorvaneDoc& doc);
  void Release();
  const SampleSource& Samples() const { return samples_; }

 private:
  void* base_ = nullptr;
  size_t bytes_ = 0;
  int guard_ = -1;  // its ReadMappingGuard slot
  SampleSource samples_;
};

// A request over `samples` (the document's frames), with the document's
// format, time-expansion factor and BufferSize.
DetectorRequest MakeDetectorRequest(const CNorvaneDoc& doc, const SampleSource& samples, int64_t firstFrame,
                                    int64_t endFrame, int speedFactor, int32_t frequencyHz);

enum class DetectorWriteResult { Written, EmptyRange, Failed };

// Plays frames [firstFrame, endFrame) of `doc` through the detector with
// `filter` (designed) into a Standard Wave file at `path` in the document's
// own format and rate, block after block as the playback fills them. Failed
// after a message (refused start, or a file that could not be written);
// EmptyRange when the range holds no sound (nothing written).
DetectorWriteResult WriteDetectorSound(CNorvaneDoc& doc, const FilterDescription& filter, int64_t firstFrame,
                                       int64_t endFrame, int speedFactor, int32_t frequencyHz,
                                       const std::string& path);

}  // namespace nv
