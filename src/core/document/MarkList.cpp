#include "document/MarkList.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "base/MessageSink.h"
#include "base/TimeBase.h"
#include "base/WaveFormat.h"

namespace nv {
namespace {

// Cuts a text to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string CutText(const std::string& s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t n = maxBytes;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

std::string DefaultLabel(int64_t number) { return "Mark " + std::to_string(number); }

}  // namespace

const MarkRecord* MarkList::Find(int32_t number) const {
  for (const MarkRecord& m : marks_)
    if (m.number == number) return &m;
  return nullptr;
}

MarkRecord* MarkList::FindMutable(int32_t number) {
  for (MarkRecord& m : marks_)
    if (m.number == number) return &m;
  return nullptr;
}

const MarkRecord* MarkList::Active() const {
  return active_ >= 0 ? &marks_[static_cast<size_t>(active_)] : nullptr;
}

void MarkList::ActivateIndex(int64_t index) {
  if (active_ >= 0) marks_[static_cast<size_t>(active_)].active = 0;
  active_ = index;
  if (active_ >= 0) marks_[static_cast<size_t>(active_)].active = 1;
}

int32_t MarkList::ActiveNumber() const {
  const MarkRecord* m = Active();
  return m ? m->number : -1;
}

void MarkList::Changed(bool modified) {
  if (batchDepth_ > 0) {
    batchChanged_ = true;
    batchModified_ = batchModified_ || modified;
    return;
  }
  if (hook_) hook_(modified);
}

MarkList::Batch::~Batch() {
  if (--list_.batchDepth_ > 0 || !list_.batchChanged_) return;
  const bool modified = list_.batchModified_;
  list_.batchChanged_ = list_.batchModified_ = false;
  list_.Changed(modified);
}

bool MarkList::MakeNew(const MarkPoint& p, const std::string& label, bool displayLabel,
                       MarkRecord& m) {
  if (nextNumber_ > INT32_MAX) {
    ShowMessage("No free mark number is left in this document.");
    return false;
  }
  m = MarkRecord{};
  m.position = p.position;
  m.value = p.value;
  m.channel = p.channel;
  m.inSpectrogram = p.inSpectrogram ? 1 : 0;
  m.kind = StoredCursorKind(p.kind);
  m.rangeStart = p.rangeStart;
  m.rangeEnd = p.rangeEnd;
  m.displayMark = 1;
  m.displayLabel = displayLabel ? 1 : 0;
  m.number = static_cast<int32_t>(nextNumber_);
  m.active = 0;
  m.label = CutText(label.empty() ? DefaultLabel(nextNumber_) : label, kMarkLabelMaxBytes);
  ++nextNumber_;
  return true;
}

int32_t MarkList::Add(int32_t position, int32_t value, bool inSpectrogram, int32_t channel,
                      const std::string& label, bool displayLabel, CursorKind kind) {
  MarkPoint p;
  p.position = position;
  p.value = value;
  p.inSpectrogram = inSpectrogram;
  p.channel = channel;
  p.kind = kind;
  MarkRecord m;
  if (!MakeNew(p, label, displayLabel, m)) return -1;
  marks_.push_back(m);
  ActivateIndex(static_cast<int64_t>(marks_.size()) - 1);
  Changed(true);
  return m.number;
}

int32_t MarkList::AddFromCursor(const MarkPoint& cursor) {
  MarkRecord m;
  if (!MakeNew(cursor, std::string(), true, m)) return -1;
  marks_.push_back(m);
  ActivateIndex(static_cast<int64_t>(marks_.size()) - 1);
  Changed(true);
  return m.number;
}

size_t MarkList::AddMany(const std::vector<std::pair<MarkPoint, std::string>>& marks) {
  size_t added = 0;
  for (const auto& [p, label] : marks) {
    MarkRecord m;
    if (!MakeNew(p, label, true, m)) break;
    marks_.push_back(m);
    ++added;
  }
  if (added) Changed(true);
  return added;
}

void MarkList::AppendFromFile(const MarkRecord& in) {
  MarkRecord m = in;
  m.active = 0;
  if (m.number < 0 || Find(m.number)) {
    if (nextNumber_ > INT32_MAX) return;  // no number left: the mark cannot be kept
    m.number = static_cast<int32_t>(nextNumber_);
  }
  marks_.push_back(m);
  nextNumber_ = std::max<int64_t>(nextNumber_, int64_t{m.number} + 1);
}

bool MarkList::Remove(int32_t number) {
  auto it = std::find_if(marks_.begin(), marks_.end(),
                         [number](const MarkRecord& m) { return m.number == number; });
  if (it == marks_.end()) return false;
  ActivateIndex(-1);
  marks_.erase(it);
  Changed(true);
  return true;
}

void MarkList::Clear() {
  if (marks_.empty()) return;
  marks_.clear();
  active_ = -1;
  // Nothing is left to keep apart from: the numbering starts again.
  nextNumber_ = 0;
  ++generation_;
  Changed(true);
}

void MarkList::Reset() {
  marks_.clear();
  active_ = -1;
  nextNumber_ = 0;
  ++generation_;
}

bool MarkList::SetActive(int32_t number) {
  int64_t index = -1;
  if (number >= 0) {
    const MarkRecord* m = Find(number);
    if (!m) return false;
    index = m - marks_.data();
  }
  ActivateIndex(index);
  Changed(false);
  return true;
}

void MarkList::FollowRelabel(int64_t oldRateHz, int64_t oldTe, int64_t newRateHz, int64_t newTe) {
  if (oldRateHz <= 0 || newRateHz <= 0) return;
  oldTe = TimeBase::RepairedExpansion(oldTe);
  newTe = TimeBase::RepairedExpansion(newTe);
  const long double oldScale = static_cast<long double>(oldRateHz) * oldTe;
  const long double newScale = static_cast<long double>(newRateHz) * newTe;
  if (oldScale == newScale) return;
  bool changed = false;
  for (MarkRecord& m : marks_) {
    // A value of 0 or less is no frequency (a marking-cursor mark).
    if (m.inSpectrogram != 1 || m.value <= 0) continue;
    const long double v = std::round(static_cast<long double>(m.value) * newScale / oldScale);
    const int32_t value = static_cast<int32_t>(std::clamp<long double>(v, 1, INT32_MAX));
    if (value == m.value) continue;
    m.value = value;
    changed = true;
  }
  if (changed) Changed(true);
}

MarkProperties MarkList::PropertiesOf(const MarkRecord& m) {
  MarkProperties p;
  p.label = m.label;
  p.description = m.description;
  p.displayLabel = m.displayLabel == 1;
  p.displayMark = m.displayMark == 1;
  p.kind = CursorKindOfStored(m.kind);
  return p;
}

bool MarkList::SetProperties(int32_t number, const MarkProperties& p) {
  MarkRecord* m = FindMutable(number);
  if (!m) return false;
  m->label = CutText(p.label, kMarkLabelMaxBytes);
  m->description = CutText(p.description, kMarkDescriptionMaxBytes);
  m->displayLabel = p.displayLabel ? 1 : 0;
  m->displayMark = p.displayMark ? 1 : 0;
  if (p.kind == CursorKind::Marking || IsMeasuringKind(p.kind)) m->kind = StoredCursorKind(p.kind);
  Changed(true);
  return true;
}

bool MarkList::Move(int32_t number, MarkStep step, const MarkMoveLimits& lim) {
  MarkRecord* m = FindMutable(number);
  if (!m) return false;
  if (step == MarkStep::Left || step == MarkStep::Right) {
    const int64_t d = std::max<int64_t>(lim.framesPerStep, 1);
    const int64_t p = m->position + (step == MarkStep::Left ? -d : d);
    if (p < 0 || p < lim.firstVisible || p > lim.lastVisible || p > lim.frameCount) return false;
    m->position = static_cast<int32_t>(p);
  } else {
    if (!IsMeasuringKind(CursorKindOfStored(m->kind))) return false;
    const int64_t d = std::max<int64_t>(lim.valuePerStep, 1);
    int64_t v = int64_t{m->value} + (step == MarkStep::Up ? d : -d);
    if (m->inSpectrogram != 1) {
      // An amplitude stops at 100 %.
      if (v > kMarkMaxAmplitude) v = kMarkMaxAmplitude;
      if (v < -kMarkMaxAmplitude) v = -kMarkMaxAmplitude;
    }
    if (v == m->value || v < lim.minValue || v > lim.maxValue) return false;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    m->value = static_cast<int32_t>(v);
  }
  Changed(true);
  return true;
}

std::string MarkFrequencyDistanceText(int64_t d) {
  char buf[64];
  if (d < 1000) {
    std::snprintf(buf, sizeof buf, "%lld Hz", static_cast<long long>(d));
  } else {
    const double k = static_cast<double>(d) / 1000.0;
    const char* fmt = d < 10000 ? "%5.3f kHz" : d <= 99999 ? "%5.2f kHz" : d <= 999999 ? "%5.1f kHz" : "%5.0f kHz";
    std::snprintf(buf, sizeof buf, fmt, k);
  }
  return buf;
}

std::vector<std::vector<std::string>> MarkList::DistanceTable(int64_t rateHz, int64_t te) const {
  const TimeBase time = TimeBase(rateHz, te).Repaired();
  std::vector<std::vector<std::string>> rows;
  const size_t n = marks_.size();
  rows.reserve(n + 1);
  std::vector<std::string> head{""};
  for (const MarkRecord& m : marks_) head.push_back(m.label);
  rows.push_back(std::move(head));
  for (size_t r = 0; r < n; ++r) {
    const MarkRecord& a = marks_[r];
    std::vector<std::string> row{a.label};
    row.reserve(n + 1);
    for (size_t c = 0; c < n; ++c) {
      const MarkRecord& b = marks_[c];
      if (c < r) {
        const int64_t us = time.FramesToMicroseconds(int64_t{a.position} - b.position);
        row.push_back(std::to_string(us / 1000) + " ms");
      } else if (c > r && a.inSpectrogram == 1 && b.inSpectrogram == 1) {
        row.push_back(MarkFrequencyDistanceText(int64_t{a.value} - b.value));
      } else {
        row.push_back("-");
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string MarkList::DistanceText(int64_t rateHz, int64_t te) const {
  std::string out;
  for (const auto& row : DistanceTable(rateHz, te)) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) out += '\t';
      out += row[i];
    }
    out += "\r\n";
  }
  return out;
}

int64_t MarkScrollStart(int64_t position, int64_t visibleFrames, int64_t frameCount) {
  const int64_t half = visibleFrames / 2;
  int64_t start = position - half;
  if (start > frameCount) start = frameCount - half;
  if (start < 0) start = 0;
  return start;
}

std::vector<MarkRecord> SyncMarkCopies(std::vector<MarkRecord>& copies, const MarkList& marks) {
  auto byNumber = [](const MarkRecord& a, const MarkRecord& b) { return a.number < b.number; };
  // The document's marks ordered by number, without copying them; both
  // lists are nearly always in order already.
  std::vector<const MarkRecord*> doc;
  doc.reserve(marks.size());
  for (const MarkRecord& m : marks) doc.push_back(&m);
  auto byNumberPtr = [](const MarkRecord* a, const MarkRecord* b) { return a->number < b->number; };
  if (!std::is_sorted(doc.begin(), doc.end(), byNumberPtr)) std::stable_sort(doc.begin(), doc.end(), byNumberPtr);
  if (!std::is_sorted(copies.begin(), copies.end(), byNumber))
    std::stable_sort(copies.begin(), copies.end(), byNumber);
  std::vector<MarkRecord> changed;
  std::vector<MarkRecord> result;
  result.reserve(doc.size());
  size_t i = 0, j = 0;
  while (i < copies.size() && j < doc.size()) {
    if (copies[i].number == doc[j]->number) {
      if (copies[i] == *doc[j]) {
        result.push_back(std::move(copies[i]));
      } else {
        changed.push_back(std::move(copies[i]));  // erased
        changed.push_back(*doc[j]);               // drawn
        result.push_back(*doc[j]);
      }
      ++i;
      ++j;
    } else if (copies[i].number < doc[j]->number) {
      changed.push_back(std::move(copies[i++]));  // no longer in the document
    } else {
      changed.push_back(*doc[j]);  // new in the document
      result.push_back(*doc[j++]);
    }
  }
  for (; i < copies.size(); ++i) changed.push_back(std::move(copies[i]));
  for (; j < doc.size(); ++j) {
    changed.push_back(*doc[j]);
    result.push_back(*doc[j]);
  }
  copies = std::move(result);
  return changed;
}

}  // namespace nv
