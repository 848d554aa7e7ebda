#pragma once
// Runs a designed filter over a range of interleaved PCM samples in place.
// Called on the interface thread by the filter command after it has saved the
// range for undo; the caller owns the sample memory.
#include <cstdint>

#include "filter/FilterDescription.h"

namespace nv {

// Filters frames [firstFrame, endFrame) of the interleaved samples at
// `samples` (frame 0 at the pointer; 8-bit unsigned with 128 as zero or
// 16-bit signed little-endian; `channels` 1 or 2) with a[1..N], b[0..N] of
// `desc` (N = desc.order, a[0] taken as 1). `channelCode` is 1 left, 2 right,
// 3 both; a mono sound has its one channel filtered for any code. The bounds
// are swapped when given the wrong way round.
//
// Each channel starts at rest (nothing before the range is used):
//   y[n] = sum_k=0..N b[k] x[n-k] - sum_k=1..N a[k] y[n-k]
// in double precision with past outputs kept unclipped; the stored value is
// y truncated toward zero and clipped to the sample range. Both channels are
// filtered one after the other, each from its own input.
//
// Returns false, with a message and the samples unchanged, for a sample size
// other than 8 or 16 bits, a channel count other than 1 or 2, a channel code
// outside 1..3, an order outside 0..49 or a negative frame index.
bool ApplyFilter(const FilterDescription& desc, std::uint8_t* samples, std::int64_t firstFrame,
                 std::int64_t endFrame, int channels, int bitsPerSample, int channelCode);

}  // namespace nv
