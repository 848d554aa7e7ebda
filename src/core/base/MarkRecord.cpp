#include "base/MarkRecord.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"

namespace nv {

std::array<uint8_t, MarkRecord::kSize> MarkRecord::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  const int32_t v[15] = {size,    release,   version,       position,   value,
                         unused20, channel,  inSpectrogram, kind,       rangeStart,
                         rangeEnd, displayMark, displayLabel, number,   active};
  for (int i = 0; i < 15; ++i) PutI32(&b[4 * i], v[i]);
  PutText(&b[60], 80, label);
  PutText(&b[140], 400, description);
  return b;
}

void MarkRecord::ReadBytes(const uint8_t* p, size_t n) {
  std::array<uint8_t, kSize> b = ToBytes();
  std::memcpy(b.data(), p, std::min(n, kSize));
  int32_t* v[15] = {&size,    &release,    &version,       &position,     &value,
                    &unused20, &channel,   &inSpectrogram, &kind,         &rangeStart,
                    &rangeEnd, &displayMark, &displayLabel, &number,      &active};
  for (int i = 0; i < 15; ++i) *v[i] = GetI32(&b[4 * i]);
  label = GetText(&b[60], 79);  // the last byte of each text is always NUL
  description = GetText(&b[140], 399);
}

}  // namespace nv
