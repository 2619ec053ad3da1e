#include "controls/SoftCanvas.h"
#include "ui/Control.h"

namespace ui {

std::unique_ptr<controls::Canvas> NewControlCanvas() {
  return std::make_unique<controls::SoftCanvas>();
}

} // namespace ui
