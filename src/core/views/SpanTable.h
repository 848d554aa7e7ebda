#pragma once
// The standard visible spans of a sound view, 20 minutes down to 1
// microsecond, and the steps of Zoom In and Zoom Out through them.
#include <array>
#include <cstdint>

namespace nv {

inline constexpr std::array<int64_t, 29> kStandardSpansUs = {
    1200000000, 600000000, 240000000, 120000000, 60000000, 30000000, 15000000, 10000000,
    5000000,    2000000,   1000000,   500000,    200000,   100000,   50000,    20000,
    10000,      5000,      2000,      1000,      500,      200,      100,      50,
    20,         10,        5,         2,         1};

// The largest standard span strictly smaller than `spanUs`; 1 when none is.
int64_t NextSmallerSpanUs(int64_t spanUs);
// The smallest standard span strictly larger than `spanUs`; 1 200 000 000 when none is.
int64_t NextLargerSpanUs(int64_t spanUs);

}  // namespace nv
