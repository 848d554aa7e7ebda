#include "views/SpanTable.h"

namespace nv {

int64_t NextSmallerSpanUs(int64_t spanUs) {
  for (int64_t s : kStandardSpansUs)
    if (s < spanUs) return s;
  return 1;
}

int64_t NextLargerSpanUs(int64_t spanUs) {
  for (auto it = kStandardSpansUs.rbegin(); it != kStandardSpansUs.rend(); ++it)
    if (*it > spanUs) return *it;
  return kStandardSpansUs.front();
}

}  // namespace nv
