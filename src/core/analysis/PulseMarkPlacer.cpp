#include "analysis/PulseMarkPlacer.h"

#include "document/CNorvaneDoc.h"

namespace nv {

int32_t PulseMarkPlacer::Place(CNorvaneDoc& doc, const PulseMarkRequest& request) {
  return doc.Marks().Add(request.position, request.value, request.inSpectrogram, request.channel,
                         request.label, false, request.cursorKind);
}

bool PulseMarkPlacer::Remove(CNorvaneDoc& doc, int32_t number) { return doc.Marks().Remove(number); }

}  // namespace nv
