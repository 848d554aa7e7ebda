#include "app/AppCore.h"

namespace nv {

AppCore& AppCore::Instance() {
  static AppCore app;
  return app;
}

void AppCore::Reset() { *this = AppCore(); }

}  // namespace nv
