// norvane-cli info: the type, format, length and contents of a sound file.
#include <cstdio>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"

namespace nv::cli {
namespace {

// Largest sample magnitude in hundredths of a percent of full scale.
long PeakOf(CNorvaneDoc& doc, bool& ok) {
  ok = true;
  if (doc.FrameCount() == 0) return 0;
  const SampleSource sound = doc.Samples();
  if (sound.Empty()) {
    ok = false;
    return 0;
  }
  const long peak = sound.PeakRaw() * 10000L / sound.RawFullScale();
  doc.UnmapSamples();
  return peak;
}

}  // namespace

int RunInfo(const Args& a) {
  if (a.positional.size() != 1) return Fail("usage: norvane-cli info FILE");
  CNorvaneDoc doc;
  if (!doc.IsValid() || !doc.Open(a.positional[0])) return 1;
  bool ok;
  long peak = PeakOf(doc, ok);
  if (!ok) return 1;
  const WaveFormatEx& f = doc.Format();
  std::printf("type: %s\n", TypeLabel(doc.FileType()).c_str());
  std::printf("channels: %u\n", f.nChannels);
  std::printf("bits: %u\n", f.wBitsPerSample);
  std::printf("rate: %u\n", f.nSamplesPerSec);
  std::printf("frames: %d\n", doc.FrameCount());
  std::printf("time-expansion: %d\n", doc.Info().TimeExpansion());
  std::printf("duration-us: %lld\n", static_cast<long long>(doc.FramesToMicroseconds(doc.FrameCount())));
  std::printf("views: %d\n", doc.ViewRecordsRead());
  std::printf("marks: %zu\n", doc.Marks().size());
  std::printf("segments: %zu\n", doc.KeptSegments().size());
  std::printf("peak: %ld\n", peak);
  return 0;
}

}  // namespace nv::cli
