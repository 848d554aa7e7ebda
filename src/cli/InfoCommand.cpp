// norvane-cli info: the type, format, length and contents of a sound file.
#include <algorithm>
#include <cstdio>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"

namespace nv::cli {

int RunInfo(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 1) return Fail("usage: norvane-cli info FILE");
  CNorvaneDoc doc(documents);
  // Nothing is changed, so the sound is read in place, not copied; the peak
  // is found as the sound arrives (a sound that must be copied, such as a
  // compressed one, is scanned piece by piece behind the copy).
  int32_t peakRaw = 0;
  const auto scan = [&](const SampleSource& frames) { peakRaw = std::max(peakRaw, frames.PeakRaw()); };
  if (!OpenSoundArgument(doc, a.positional[0], scan, SampleAccess::InPlace)) return 1;
  if (doc.WorkFile().SourceShortened()) return Fail(kShortenedWhileRead);
  // Largest sample magnitude in hundredths of a percent of full scale.
  const long peak = peakRaw * 10000L / (doc.Format().wBitsPerSample == 8 ? 128 : 32768);
  const WaveFormatEx& f = doc.Format();
  std::printf("type: %s\n", TypeLabel(doc.File().type).c_str());
  std::printf("channels: %u\n", f.nChannels);
  std::printf("bits: %u\n", f.wBitsPerSample);
  std::printf("rate: %u\n", f.nSamplesPerSec);
  std::printf("frames: %lld\n", static_cast<long long>(doc.FrameCount()));
  std::printf("time-expansion: %d\n", doc.Info().TimeExpansion());
  std::printf("duration-us: %lld\n", static_cast<long long>(doc.FramesToMicroseconds(doc.FrameCount())));
  std::printf("views: %d\n", doc.ViewRecordsRead());
  std::printf("marks: %zu\n", doc.Marks().size());
  std::printf("segments: %zu\n", doc.KeptSegments().size());
  std::printf("peak: %ld\n", peak);
  for (const Guano::Field& g : doc.GuanoMetadata().Fields())
    std::printf("guano.%s: %s\n", g.key.c_str(), g.value.c_str());
  return 0;
}

}  // namespace nv::cli
