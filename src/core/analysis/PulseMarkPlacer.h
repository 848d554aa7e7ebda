#pragma once
// Places and removes the marks a pulse analysis asks for in a document:
// the marks' add operation (a new number, display mark on, the label not
// drawn, appended with its menu items and made the active mark) and remove
// operation (the mark and its two menu items go, no mark stays active).
// Interface thread only: it changes the document. The caller tells the views
// (UpdateAllViews with hint 0) once it is done.
#include <cstdint>

#include "analysis/PulseResult.h"

namespace nv {

class CNorvaneDoc;

class PulseMarkPlacer {
 public:
  // Returns the new mark's number.
  static int32_t Place(CNorvaneDoc& doc, const PulseMarkRequest& request);
  // False when no mark has that number.
  static bool Remove(CNorvaneDoc& doc, int32_t number);
};

}  // namespace nv
