#pragma once
// Places and removes the marks a pulse analysis asks for in a document,
// through the marks' add and remove operations (the label not drawn; the
// mark list tells the views). Interface thread only: it changes the
// document. A caller placing several marks holds a MarkList::Batch.
#include <cstdint>

#include "analysis/PulseResult.h"

namespace nv {

class CNorvaneDoc;

class PulseMarkPlacer {
 public:
  // Returns the new mark's number, or -1 when none is left (a message was shown).
  static int32_t Place(CNorvaneDoc& doc, const PulseMarkRequest& request);
  // False when no mark has that number.
  static bool Remove(CNorvaneDoc& doc, int32_t number);
};

}  // namespace nv
