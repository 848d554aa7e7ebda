#pragma once
// A named user colour map: up to 64 level ranges, each mapping a stretch of
// spectrogram levels (thousandths of a dB, "from" the louder end) onto a run
// of colours. Stored whole (1848 bytes) in the registry and inside every
// ViewRecord.
#include <cstddef>
#include <array>
#include <cstdint>
#include <string>

namespace nv {

struct ColorRange {
  int32_t from = 0;        // level, 1/1000 dB
  int32_t to = 0;          // level, 1/1000 dB
  int32_t step = 0;        // level step per colour, 1/1000 dB
  int32_t count = 1;       // number of colours
  uint32_t firstColor = 0; // RGB as 0x00BBGGRR
  uint32_t lastColor = 0;  // RGB as 0x00BBGGRR
  int32_t firstPen = INT32_MIN;  // filled in when pens are made

  bool operator==(const ColorRange&) const = default;
};

// Packs r, g, b as the stored colour value (red in the low byte).
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
         (static_cast<uint32_t>(b) << 16);
}

class UserColorMap {
 public:
  static constexpr size_t kSize = 1848;
  static constexpr int kSlots = 64;

  UserColorMap();  // a new, empty map

  int32_t release = 3;
  int32_t version = 1;
  std::array<uint8_t, 32> name{};  // zero-terminated text
  int32_t rangeCount = 0;          // ranges in use, 0 ... 64
  int32_t unitMarker = -2;         // -2: thousandths of a dB; -1: whole dB (older form)
  uint32_t updateLow = 0;          // time of the last update (file time, low part)
  uint32_t updateHigh = 0;         // high part
  std::array<ColorRange, kSlots> ranges;

  // The template every unused slot holds.
  static ColorRange TemplateSlot(int slot);

  std::string Name() const;
  void SetName(const std::string& s);

  std::array<uint8_t, kSize> ToBytes() const;
  // Reads a map from exactly kSize bytes.
  static UserColorMap FromBytes(const uint8_t* p);

  // Brings a map read from the registry or a file to the current form: the
  // whole-dB form is converted and every slot is made consistent or reset.
  void BringToCurrentForm();

  bool operator==(const UserColorMap&) const = default;
};

// The range rule, general form: keeps from, to, step and count consistent.
void MakeRangeConsistent(ColorRange& r);
// The editing forms of the range rule: after the user changed the count
// (countChanged) or another field of a row.
void ApplyRangeEdit(ColorRange& r, bool countChanged);

}  // namespace nv
