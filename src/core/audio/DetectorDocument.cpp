#include "audio/DetectorDocument.h"

#include "base/ReadMappingGuard.h"

#include <algorithm>
#include <sys/mman.h>

#include <cerrno>
#include <vector>

#include "base/MessageSink.h"
#include "base/TempFile.h"
#include "fileformats/SoundFileWriter.h"
#include "fileformats/WaveContents.h"

namespace nv {

bool DetectorSoundMapping::Map(CNorvaneDoc& doc) {
  Release();
  const WaveFormatEx& f = doc.Format();
  const int64_t frames = doc.FrameCount();
  const int64_t bytes = frames * f.nBlockAlign;
  if (frames <= 0 || bytes <= 0 || bytes > doc.WorkFile().Size()) {
    samples_ = SampleSource(nullptr, 0, f);
    return true;
  }
  // The contents start at a file offset that need not be a page boundary:
  // map from the boundary below it.
  const int64_t start = doc.WorkFile().FileOffset(0);
  const int64_t page = start / TempFile::kPageBytes * TempFile::kPageBytes;
  const size_t length = static_cast<size_t>(start - page + bytes);
  void* p = mmap(nullptr, length, PROT_READ, MAP_SHARED, doc.WorkFile().Fd(), static_cast<off_t>(page));
  if (p == MAP_FAILED) {
    ShowMessage("CAN NOT MAP VIEW OF FILE (virt.detector): " + SystemErrorText(errno));
    samples_ = SampleSource(nullptr, 0, f);
    return false;
  }
  base_ = p;
  bytes_ = length;
  // The sound may be another program's file read in place.
  guard_ = ReadMappingGuard::Register(p, length);
  samples_ = SampleSource(static_cast<const uint8_t*>(p) + (start - page), frames, f);
  return true;
}

void DetectorSoundMapping::Release() {
  ReadMappingGuard::Unregister(guard_);
  guard_ = -1;
  if (base_) munmap(base_, bytes_);
  base_ = nullptr;
  bytes_ = 0;
  samples_ = SampleSource();
}

DetectorRequest MakeDetectorRequest(const CNorvaneDoc& doc, const SampleSource& samples, int64_t firstFrame,
                                    int64_t endFrame, int speedFactor, int32_t frequencyHz) {
  DetectorRequest r;
  r.format = doc.Format();
  r.sound = samples;
  r.timeExpansion = doc.Info().TimeExpansion();
  r.firstFrame = firstFrame;
  r.endFrame = endFrame;
  r.speedFactor = speedFactor;
  r.blockBytes = ComputeBufferSize(doc.Format());
  r.frequencyHz = frequencyHz;
  return r;
}

DetectorWriteResult WriteDetectorSound(CNorvaneDoc& doc, const FilterDescription& filter, int64_t firstFrame,
                                       int64_t endFrame, int speedFactor, int32_t frequencyHz,
                                       const std::string& path) {
  DetectorSoundMapping mapping;
  if (!mapping.Map(doc)) return DetectorWriteResult::Failed;
  DetectorStream stream;
  const DetectorStartResult started = stream.Start(
      MakeDetectorRequest(doc, mapping.Samples(), firstFrame, endFrame, speedFactor, frequencyHz), filter);
  if (started == DetectorStartResult::Refused) return DetectorWriteResult::Failed;
  if (started == DetectorStartResult::EmptyRange) return DetectorWriteResult::EmptyRange;

  TempFile out;
  if (!out.Create("NrVir")) {
    ShowMessage("Can not create temporary file: " + SystemErrorText(errno));
    return DetectorWriteResult::Failed;
  }
  // Blocks are gathered into pieces of about 1 MiB before each write.
  const size_t block = stream.BlockBytes();
  const size_t perPiece = std::max<size_t>(1, (size_t{1} << 20) / block);
  std::vector<uint8_t> piece(perPiece * block);
  int64_t written = 0;
  bool more = true;
  while (more) {
    size_t filled = 0;
    for (size_t i = 0; i < perPiece; ++i) {
      const uint32_t got = stream.FillBlock(piece.data() + filled);
      filled += got;
      if (got < block) {
        more = false;
        break;
      }
    }
    if (filled > 0 && !out.WriteAt(written, piece.data(), filled)) {
      ShowWorkFileWriteError();
      return DetectorWriteResult::Failed;
    }
    written += static_cast<int64_t>(filled);
  }
  WaveContents contents;
  contents.format = doc.Format();
  contents.hasFormat = true;
  const int64_t frames = written / doc.Format().nBlockAlign;
  if (!CheckDiskSpace(path, written)) return DetectorWriteResult::Failed;
  return WriteRiffFile(path, FileType::StandardWave, contents, out, 0, frames, true) ? DetectorWriteResult::Written
                                                                 : DetectorWriteResult::Failed;
}

}  // namespace nv
