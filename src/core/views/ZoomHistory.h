#pragma once
// The zoom history of one sound view: up to 29 remembered visible spans with
// their frequency and amplitude ranges. Zoom In, Default Zoom and Zoom entire
// file push; Zoom Out pops. Pushing a 30th entry drops the oldest.
// Spans in microseconds of real time, frequencies in Hz of real frequency,
// amplitudes in hundredths of a percent of full scale.
#include <array>
#include <cstdint>
#include <optional>

namespace nv {

struct ZoomEntry {
  int64_t spanUs = 0;
  int32_t upperHz = -1;
  int32_t lowerHz = -1;
  int32_t upperAmplitude = 10000;
  int32_t lowerAmplitude = -10000;
  bool operator==(const ZoomEntry&) const = default;
};

class ZoomHistory {
 public:
  static constexpr int kCapacity = 29;

  void Push(const ZoomEntry& e);
  std::optional<ZoomEntry> Pop();
  void Clear() { top_ = -1; }
  // Index of the top entry, -1 when empty.
  int Top() const { return top_; }
  int Size() const { return top_ + 1; }
  bool Empty() const { return top_ < 0; }
  ZoomEntry& At(int i) { return entries_[static_cast<size_t>(i)]; }
  const ZoomEntry& At(int i) const { return entries_[static_cast<size_t>(i)]; }

 private:
  std::array<ZoomEntry, kCapacity> entries_{};
  int top_ = -1;
};

}  // namespace nv
