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
  const int c = ToCode(sel);
  if (!DesignFilter(desc, DocumentNyquistHz(doc))) return false;
  if (b < a) std::swap(a, b);
  a = std::clamp<int64_t>(a, 0, doc.FrameCount());
  b = std::clamp<int64_t>(b, 0, doc.FrameCount());
  if (b <= a) return true;
  SoundEditor editor(doc);
  if (!editor.SaveUndoCopy(kUndoFilter, a, b, c)) return false;
  uint8_t* p = doc.MapSamples(false);
  if (!p) return false;
  const WaveFormatEx& f = doc.Format();
  if (!ApplyFilter(desc, p, a, b, f.nChannels, f.wBitsPerSample, c)) {
    doc.UnmapSamples();
    return false;
  }
  editor.FinishEdit();
  return true;
}

}  // namespace nv
