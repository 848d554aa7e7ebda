#include "filter/FilterCommand.h"

#include <algorithm>

#include "document/SoundEditor.h"
#include "filter/FilterApply.h"
#include "filter/FilterDesign.h"

namespace nv {

int64_t DocumentNyquistHz(const CNorvaneDoc& doc) {
  // A factor of 0 or less means none, as the views take it.
  return doc.Time().Repaired().NyquistHz();
}

bool FilterDocumentRange(CNorvaneDoc& doc, FilterDescription& desc, int64_t a, int64_t b,
                         ChannelSelection sel) {
  if (!DesignFilter(desc, DocumentNyquistHz(doc))) return false;
  if (b < a) std::swap(a, b);
  a = std::clamp<int64_t>(a, 0, doc.FrameCount());
  b = std::clamp<int64_t>(b, 0, doc.FrameCount());
  if (b <= a) return true;
  const WaveFormatEx& f = doc.Format();
  return doc.Editor().ChangeInPlace(UndoKind::Filter, a, b, sel, [&](uint8_t* samples) {
    return ApplyFilter(desc, samples, a, b, f.nChannels, f.wBitsPerSample, ToCode(sel));
  });
}

}  // namespace nv
