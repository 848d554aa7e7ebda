#pragma once
// Silence removal for the compressed wave type: keeps the loud stretches of a
// range (with some time before and after each) and lists where they were.
#include <cstdint>
#include <vector>

#include "fileformats/CompressionInfo.h"

namespace nv {

class CNorvaneDoc;
class TempFile;

// Level threshold of a silent level in dB: 10^(-|level|/10) of full scale.
int32_t CompressionThreshold(int levelDb, int bits);

// Walks frames [first, end) of the document and appends the kept frames to
// `out` (at its end), filling `segments` with their places relative to
// `first`. False when the samples could not be read or a write failed.
bool CompressRange(CNorvaneDoc& doc, int64_t first, int64_t end, int levelDb, int beforeMs,
                   int afterMs, TempFile& out, std::vector<KeptSegment>& segments);

}  // namespace nv
