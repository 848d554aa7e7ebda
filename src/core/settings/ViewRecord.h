#pragma once
// The 1968-byte file form of a view's AnalysisSettings ("NRn1" form). Older
// files hold 80-byte records; a record is therefore first filled with the
// defaults and then overwritten by as many bytes as the file holds.
#include <cstddef>
#include <array>
#include <cstdint>

#include "settings/AnalysisSettings.h"

namespace nv {

class ViewRecord {
 public:
  static constexpr size_t kSize = 1968;
  static constexpr size_t kOldSize = 80;

  ViewRecord();  // the defaults

  static ViewRecord FromSettings(const AnalysisSettings& s);
  // Reading sign-extends the stored 32-bit values back to 64 bits; the user
  // colour map is brought to its current form.
  AnalysisSettings ToSettings() const;

  // Overwrites the first n bytes (at most kSize).
  void ReadBytes(const uint8_t* p, size_t n);
  const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }

  int32_t Release() const;
  int32_t Version() const;
  int32_t At(size_t offset) const;  // the 32-bit value at `offset`
  void SetAt(size_t offset, int32_t v);

  // Accepted: release 0 ... 3, version 0 ... 99, not release 3 above version 1.
  bool IsAcceptable() const;
  // An older record becomes release 3 version 1; its span, start and end
  // (offsets 16, 36 and 40) are multiplied by 1000 when positive.
  void UpgradeIfOld();
  // Re-bases the first and last visible frame for a save that starts at s.
  void Rebase(int32_t s);

 private:
  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace nv
