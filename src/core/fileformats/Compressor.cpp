#include "fileformats/Compressor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "document/CNorvaneDoc.h"
#include "document/TempFile.h"

namespace nv {

int32_t CompressionThreshold(int levelDb, int bits) {
  const double full = bits == 8 ? 128.0 : 32768.0;
  return static_cast<int32_t>(std::pow(10.0, -std::abs(levelDb) * 0.1) * full + 0.5);
}

bool CompressRange(CNorvaneDoc& doc, int64_t first, int64_t end, int levelDb, int beforeMs,
                   int afterMs, TempFile& out, std::vector<KeptSegment>& segments) {
  segments.clear();
  const WaveFormatEx& f = doc.Format();
  const int bits = f.wBitsPerSample;
  const int chans = f.nChannels;
  const int64_t align = f.nBlockAlign;
  const int32_t t = CompressionThreshold(levelDb, bits);
  const int64_t before = doc.MicrosecondsToFrames(static_cast<int64_t>(beforeMs) * 1000);
  int64_t after = doc.MicrosecondsToFrames(static_cast<int64_t>(afterMs) * 1000);
  if (after <= 0) after = before;
  if (end <= first) return true;
  const uint8_t* base = doc.MapSamples(true);
  if (!base) return false;
  const uint8_t* p = base + first * align;

  auto loud = [&](int64_t n) {
    const uint8_t* fr = p + n * align;
    for (int c = 0; c < chans; ++c) {
      int mag;
      if (bits == 8) {
        mag = std::abs(static_cast<int>(fr[c]) - 128);
      } else {
        int16_t s = static_cast<int16_t>(fr[2 * c] | (fr[2 * c + 1] << 8));
        mag = std::abs(static_cast<int>(s));
      }
      if (mag > t) return true;
    }
    return false;
  };

  int64_t outPos = out.Size();
  auto keep = [&](int64_t s, int64_t len) {
    segments.push_back({static_cast<int32_t>(s), static_cast<int32_t>(len)});
    bool ok = out.WriteAt(outPos, p + s * align, static_cast<size_t>(len * align));
    outPos += len * align;
    return ok;
  };

  const int64_t count = end - first;
  bool inside = false;
  int64_t S = 0, q = 0;
  int64_t keptEnd = 0;  // end of the last kept stretch
  for (int64_t n = 0; n < count; ++n) {
    const bool isLoud = loud(n);
    if (!inside) {
      if (isLoud) {
        inside = true;
        // A stretch never reaches back into the one kept before it: kept
        // stretches must not overlap, or the expanded sound would shift.
        S = std::max<int64_t>({n - before, 1, keptEnd});
        q = 0;
      }
    } else if (isLoud) {
      q = 0;
    } else if (++q > after) {
      if (!keep(S, n - S)) return false;
      keptEnd = n;
      inside = false;
    }
  }
  if (inside && !keep(S, count - 1 - S + 1)) return false;
  return true;
}

}  // namespace nv
