#include "controls/GdiCanvas_win.h"
#include "ui/Control.h"

namespace ui {

std::unique_ptr<controls::Canvas> NewControlCanvas() {
  return std::make_unique<controls::GdiCanvas>();
}

} // namespace ui
