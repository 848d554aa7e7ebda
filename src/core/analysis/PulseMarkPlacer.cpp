#include "analysis/PulseMarkPlacer.h"

#include <algorithm>

#include "document/CNorvaneDoc.h"

namespace nv {

int32_t PulseMarkPlacer::Place(CNorvaneDoc& doc, const PulseMarkRequest& request) {
  MarkRecord m;
  m.position = request.position;
  m.value = request.value;
  m.channel = request.channel;
  m.inSpectrogram = request.inSpectrogram ? 1 : 0;
  m.kind = request.cursorKind;
  m.rangeStart = -1;
  m.rangeEnd = -1;
  m.displayMark = 1;
  m.displayLabel = 0;
  m.number = doc.NextMarkNumber();
  m.label = request.label.substr(0, 79);
  for (MarkRecord& other : doc.Marks()) other.active = 0;
  m.active = 1;
  doc.AppendMarkFromFile(m);
  doc.SetModifiedFlag(true);
  return m.number;
}

bool PulseMarkPlacer::Remove(CNorvaneDoc& doc, int32_t number) {
  auto& marks = doc.Marks();
  const auto it = std::find_if(marks.begin(), marks.end(),
                               [&](const MarkRecord& m) { return m.number == number; });
  if (it == marks.end()) return false;
  marks.erase(it);
  for (MarkRecord& m : marks) m.active = 0;
  auto drop = [&](MarkMenu& menu, int base) {
    auto& items = menu.items;
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const MarkMenuItem& i) { return i.commandId == base + number; }),
                items.end());
  };
  drop(doc.SetActiveMarkMenu(), MarkMenu::kSetActiveBase);
  drop(doc.ScrollToMarkMenu(), MarkMenu::kScrollToBase);
  doc.SetModifiedFlag(true);
  return true;
}

}  // namespace nv
