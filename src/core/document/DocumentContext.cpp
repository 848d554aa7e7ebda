#include "document/DocumentContext.h"

namespace nv {

DocumentContext& DocumentContext::Instance() {
  static DocumentContext context;
  return context;
}

}  // namespace nv
