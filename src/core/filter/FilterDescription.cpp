#include "filter/FilterDescription.h"

#include "base/TimeBase.h"

namespace nv {

std::int64_t NyquistHz(std::int64_t rateHz, std::int64_t timeExpansionThousandths) {
  return TimeBase(rateHz, timeExpansionThousandths).NyquistHz();
}

}  // namespace nv
