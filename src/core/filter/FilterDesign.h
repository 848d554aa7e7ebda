#pragma once
// Validating and designing a filter description against the real Nyquist
// frequency of a sound, and the frequency response of a designed filter.
// Called on the interface thread (or by the command-line tool); messages go
// through nv::ShowMessage in a plain message box.
#include <array>
#include <cstdint>
#include <string>

#include "filter/FilterDescription.h"

namespace nv {

// Number of points of FilterResponse.
inline constexpr int kFilterResponsePoints = 100;

// Checks order and edges of `desc` against `nyquistHz` (real Hz) and returns
// the text of the message that decides the check, or an empty string when the
// description may be designed. Where one test's failure lets the checking
// continue, a later failing test replaces its message.
std::string ValidateFilter(const FilterDescription& desc, std::int64_t nyquistHz);

// Validates and designs `desc`. On success a[0..N] and b[0..N] hold the
// normalised coefficients (a[0] = 1 for a designed filter) and the other
// entries keep their values; the result is an empty string. On failure the
// arrays are unchanged and the message text is returned. Shows nothing.
std::string DesignFilterQuietly(FilterDescription& desc, std::int64_t nyquistHz);

// DesignFilterQuietly, showing a failure's message in a plain message box.
// Returns true on success.
bool DesignFilter(FilterDescription& desc, std::int64_t nyquistHz);

// The magnitudes of the transfer function given by a[0..N], b[0..N] at 100
// frequencies from 0 up to 0.99 of the Nyquist frequency, divided by their
// maximum when that is above 0. `desc.order` outside 0..49 gives zeros.
std::array<double, kFilterResponsePoints> FilterResponse(const FilterDescription& desc);

// What "Show Frequency Response" needs: designs a scratch copy of `desc`
// (showing a failure's message as DesignFilter does) and on success puts its
// response into `magnitudes`. `desc` itself is not changed.
bool DesignedFilterResponse(const FilterDescription& desc, std::int64_t nyquistHz,
                            std::array<double, kFilterResponsePoints>& magnitudes);

}  // namespace nv
