#include "filter/FilterDescription.h"

namespace nv {

std::int64_t NyquistHz(std::int64_t rateHz, std::int64_t timeExpansionThousandths) {
  return (timeExpansionThousandths * rateHz / 2) / 1000;
}

}  // namespace nv
