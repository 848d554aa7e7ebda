#pragma once
// The "&Filter" command on a document: designs the description for the
// document's real Nyquist frequency, keeps the range's samples for undo
// ("&Undo Filter"), filters the range in place and updates the views.
#include <cstdint>

#include "document/CNorvaneDoc.h"
#include "filter/FilterDescription.h"

namespace nv {

// The real Nyquist frequency of a document (its rate times its time-expansion
// factor, halved).
int64_t DocumentNyquistHz(const CNorvaneDoc& doc);

// Filters frames [a, b) of channel selection c (1 left, 2 right, 3 both).
// False after a message when the design or the edit failed; the samples are
// then unchanged.
bool FilterDocumentRange(CNorvaneDoc& doc, FilterDescription& desc, int64_t a, int64_t b,
                         ChannelSelection c);

}  // namespace nv
