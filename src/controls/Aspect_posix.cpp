// Without windows there is nothing to hook.
#include "controls/Aspect.h"

namespace controls {

bool TAspect::Loaded() {
  return false;
}
void TAspect::Unhook() {
  FHooked = false;
}

} // namespace controls
