// norvane-cli info: the type, format, length and contents of a sound file.
#include <cstdio>
#include <cstdlib>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"

namespace nv::cli {
namespace {

// Largest sample magnitude in hundredths of a percent of full scale.
long PeakOf(CNorvaneDoc& doc, bool& ok) {
  ok = true;
  const int64_t frames = doc.FrameCount();
  if (frames == 0) return 0;
  const uint8_t* p = doc.MapSamples(true);
  if (!p) {
    ok = false;
    return 0;
  }
  const int64_t samples = frames * doc.Format().nChannels;
  long peak = 0;
  if (doc.Format().wBitsPerSample == 8) {
    int m = 0;
    for (int64_t i = 0; i < samples; ++i) m = std::max(m, std::abs(p[i] - 128));
    peak = m * 10000L / 128;
  } else {
    int m = 0;
    for (int64_t i = 0; i < samples; ++i) {
      int s = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
      m = std::max(m, std::abs(s));
    }
    peak = m * 10000L / 32768;
  }
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
