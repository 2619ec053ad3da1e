#include "codec/CpuFeatures.h"

namespace codec {

// Every kernel this builds for saves the SSE state of the processors that have it.
bool OsSavesSseState() {
  return true;
}

} // namespace codec
