#include "fileformats/Compressor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/SampleSource.h"
#include "base/TempFile.h"

namespace nv {

int32_t CompressionThreshold(int levelDb, int bits) {
  const double full = bits == 8 ? 128.0 : 32768.0;
  return static_cast<int32_t>(std::pow(10.0, -std::abs(levelDb) * 0.1) * full + 0.5);
}

bool CompressRange(const SampleSource& sound, int64_t first, int64_t end, int levelDb,
                   int64_t beforeFrames, int64_t afterFrames, TempFile& out,
                   std::vector<KeptSegment>& segments) {
  segments.clear();
  const int chans = sound.Channels();
  const int64_t align = sound.BlockAlign();
  const int32_t t = CompressionThreshold(levelDb, sound.Bits());
  const int64_t before = beforeFrames;
  int64_t after = afterFrames;
  if (after <= 0) after = before;
  if (end <= first) return true;
  if (!sound.Data() || end > sound.Frames()) return false;
  const uint8_t* p = sound.Data() + first * align;

  auto loud = [&](int64_t n) {
    for (int c = 0; c < chans; ++c)
      if (std::abs(sound.Raw(first + n, c)) > t) return true;
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
