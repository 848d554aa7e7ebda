#include "settings/UserColorMap.h"

#include <cmath>
#include <cstdlib>

#include "base/ByteOrder.h"
#include "base/IntegerClamp.h"

namespace nv {

ColorRange UserColorMap::TemplateSlot(int slot) {
  ColorRange r;
  if (slot == 0) {
    r.from = 0;
    r.to = -90;
    r.step = -1;
    r.count = 90;
  } else {
    r.from = 0;
    r.to = 0;
    r.step = 0;
    r.count = 1;
  }
  r.firstColor = Rgb(0x40, 0x40, 0x40);
  r.lastColor = Rgb(0xF0, 0xF0, 0xF0);
  r.firstPen = INT32_MIN;
  return r;
}

UserColorMap::UserColorMap() {
  for (int i = 0; i < kSlots; ++i) ranges[i] = TemplateSlot(i);
}

std::string UserColorMap::Name() const { return GetText(name.data(), name.size()); }
void UserColorMap::SetName(const std::string& s) { PutText(name.data(), name.size(), s); }

std::array<uint8_t, UserColorMap::kSize> UserColorMap::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  PutI32(&b[0], release);
  PutI32(&b[4], version);
  std::copy(name.begin(), name.end(), b.begin() + 8);
  PutI32(&b[40], rangeCount);
  PutI32(&b[44], unitMarker);
  PutU32(&b[48], updateLow);
  PutU32(&b[52], updateHigh);
  for (int i = 0; i < kSlots; ++i) {
    uint8_t* p = &b[56 + 28 * i];
    const ColorRange& r = ranges[i];
    PutI32(p, r.from);
    PutI32(p + 4, r.to);
    PutI32(p + 8, r.step);
    PutI32(p + 12, r.count);
    PutU32(p + 16, r.firstColor);
    PutU32(p + 20, r.lastColor);
    PutI32(p + 24, r.firstPen);
  }
  return b;
}

UserColorMap UserColorMap::FromBytes(const uint8_t* b) {
  UserColorMap m;
  m.release = GetI32(&b[0]);
  m.version = GetI32(&b[4]);
  std::copy(b + 8, b + 40, m.name.begin());
  m.name[31] = 0;  // the name always ends within its field
  m.rangeCount = GetI32(&b[40]);
  m.unitMarker = GetI32(&b[44]);
  m.updateLow = GetU32(&b[48]);
  m.updateHigh = GetU32(&b[52]);
  for (int i = 0; i < kSlots; ++i) {
    const uint8_t* p = &b[56 + 28 * i];
    ColorRange& r = m.ranges[i];
    r.from = GetI32(p);
    r.to = GetI32(p + 4);
    r.step = GetI32(p + 8);
    r.count = GetI32(p + 12);
    r.firstColor = GetU32(p + 16);
    r.lastColor = GetU32(p + 20);
    r.firstPen = GetI32(p + 24);
  }
  return m;
}

void UserColorMap::BringToCurrentForm() {
  if (release == 2 && version == 5 && unitMarker == -1) {
    for (ColorRange& r : ranges) {
      r.from *= 1000;
      r.to *= 1000;
      r.step *= 1000;
    }
    unitMarker = -2;
  }
  for (int i = 0; i < kSlots; ++i) {
    ColorRange& r = ranges[i];
    if (r.from != r.to || r.step != 0) {
      // One pass of the rule can leave a count that does not follow from the
      // step it sets (a rounded step gives another count: from 0 to -70390
      // with 256 colours becomes 257, 258, ... at each load; more colours
      // than level units; a reversed range), so a map would change at every
      // start. The rule is applied until the range stays as it is; the count
      // only grows towards |to - from| (or becomes 1 for a reversed range).
      // Ordinary ranges settle within a few dozen passes; a range that does
      // not settle within kMaxPasses has levels far outside any real
      // spectrogram and is reset to the template like an unused slot.
      constexpr int kMaxPasses = 1000;
      bool settled = false;
      for (int pass = 0; pass < kMaxPasses && !settled; ++pass) {
        const ColorRange before = r;
        MakeRangeConsistent(r);
        settled = r == before;
      }
      if (!settled) r = TemplateSlot(i);
    } else {
      r = TemplateSlot(i);
    }
  }
  if (rangeCount < 0) rangeCount = 0;
  if (rangeCount > kSlots) rangeCount = kSlots;
}

namespace {
// c = integer part of ((to - from) / step + 0.5), in floating point.
int64_t CountFromStep(const ColorRange& r) {
  double c = (static_cast<double>(r.to) - r.from) / r.step + 0.5;
  return static_cast<int64_t>(std::trunc(c));
}
// Count from the step: a positive count is replaced by c, a count of 0 or
// less becomes |c| (the step changes sign when c is negative) or 1 when c is 0.
void SetCountFromStep(ColorRange& r) {
  int64_t c = CountFromStep(r);
  if (r.count > 0) {
    r.count = ClampToInt32(c);
  } else if (c < 0) {
    r.count = ClampToInt32(-c);
    r.step = ClampToInt32(-static_cast<int64_t>(r.step));  // the lowest int32 has no negative
  } else if (c == 0) {
    r.count = 1;
  } else {
    r.count = ClampToInt32(c);
  }
}
int32_t Sign(int64_t v) { return v < 0 ? -1 : 1; }
// With a step, the count follows from it; without one, the step is the span
// over the count (at least 1), or one unit towards `to` when that is zero.
void CountOrStepFromTheOther(ColorRange& r, int64_t span) {
  if (r.step != 0) {
    SetCountFromStep(r);
  } else {
    int64_t n = r.count < 1 ? 1 : r.count;
    int64_t s = span / n;
    r.step = s != 0 ? ClampToInt32(s) : Sign(span);
  }
}
}  // namespace

void MakeRangeConsistent(ColorRange& r) {
  if (r.from == r.to) {
    if (r.count < 1) r.count = 1;
    return;
  }
  const int64_t span = static_cast<int64_t>(r.to) - r.from;
  CountOrStepFromTheOther(r, span);
  int64_t n = r.count < 1 ? 1 : r.count;
  int64_t s = span / n;
  r.step = s >= 0 ? -1 : ClampToInt32(s);
  if (r.count < 1) r.count = 1;
}

void ApplyRangeEdit(ColorRange& r, bool countChanged) {
  if (r.from != r.to && r.to != 0) {
    const int64_t span = static_cast<int64_t>(r.to) - r.from;
    if (countChanged) {
      if (r.count < 1) {
        if (r.step != 0) {
          SetCountFromStep(r);
        } else {
          r.count = 1;
          r.step = span != 0 ? ClampToInt32(span) : Sign(span);
        }
      } else {
        int64_t s = span / r.count;
        r.step = ClampToInt32(s);
      }
    } else {
      CountOrStepFromTheOther(r, span);
    }
  }
  if (r.count < 1) r.count = 1;
}

}  // namespace nv
