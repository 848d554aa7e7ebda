#pragma once
// Silence removal for the compressed wave type: keeps the loud stretches of a
// range (with some time before and after each) and lists where they were.
#include <cstdint>
#include <vector>

#include "fileformats/CompressionInfo.h"

namespace nv {

class SampleSource;
class TempFile;

// Level threshold of a silent level in dB: 10^(-|level|/10) of full scale.
int32_t CompressionThreshold(int levelDb, int bits);

// Walks frames [first, end) of `sound` and appends the kept frames to `out`
// (at its end), filling `segments` with their places relative to `first`.
// A stretch starts `beforeFrames` before its first loud frame and closes
// after more than `afterFrames` quiet ones (0: the "before" value). False
// when the range lies outside the samples or a write failed.
bool CompressRange(const SampleSource& sound, int64_t first, int64_t end, int levelDb,
                   int64_t beforeFrames, int64_t afterFrames, TempFile& out,
                   std::vector<KeptSegment>& segments);

}  // namespace nv
