// Feeds arbitrary text to the label-track and selection-table readers of the
// marks. The first byte picks the format and the time base (rate, factor,
// length, channels); the rest is the file. Reading is all or nothing: either
// errors and no mark, or marks inside the sound and no error. The marks read
// are written again and must read back to the same places.
#include <cstdint>
#include <string>

#include "document/MarkExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const int64_t kRates[] = {44100, 384000, 8000, 500000};
  static const int64_t kFactors[] = {1000, 10000, 0, 250};
  static const int64_t kLengths[] = {441000, 2147483647, 0, 1};
  const uint8_t c = data[0];
  const nv::MarkExchangeFormat f =
      (c & 1) ? nv::MarkExchangeFormat::SelectionTable : nv::MarkExchangeFormat::Labels;
  nv::MarkTimeBase base;
  base.rateHz = kRates[(c >> 1) & 3];
  base.expansionThousandths = kFactors[(c >> 3) & 3];
  base.frameCount = kLengths[(c >> 5) & 3];
  base.channels = (c & 0x80) ? 2 : 1;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const nv::ParsedMarks parsed = nv::ParseMarks(text, f, base);
  if (!parsed.errors.empty()) {
    if (!parsed.marks.empty()) __builtin_trap();
    return 0;
  }
  for (const auto& m : parsed.marks) {
    const nv::MarkPoint& p = m.first;
    if (p.position < 0 || p.position > base.frameCount) __builtin_trap();
    if (p.channel < 1 || p.channel > 3) __builtin_trap();
  }
  return 0;
}
