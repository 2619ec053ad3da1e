// Small types shared by the controls' events.
#pragma once

#include <functional>

namespace controls {

enum class MouseButton { Left, Right, Middle };

// Mouse position in the control's own coordinates.
struct MouseEvent {
  MouseButton Button = MouseButton::Left;
  int X = 0;
  int Y = 0;
};

// A host's hook that asks for the control to be painted again.
using RepaintRequest = std::function<void()>;

} // namespace controls
