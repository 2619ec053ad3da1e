// TAspect keeps a form's width and height in a fixed ratio while the user
// drags its edges and when it is maximised. The arithmetic is here; the
// window subclassing that feeds it the two messages is in Aspect_win.cpp.
#pragma once

#include "controls/Canvas.h"

#include <functional>

namespace controls {

// The dragged edge, numbered as the window-resize message numbers it.
enum class SizingEdge {
  Left = 1,
  Right = 2,
  Top = 3,
  TopLeft = 4,
  TopRight = 5,
  Bottom = 6,
  BottomLeft = 7,
  BottomRight = 8,
};

class TAspect {
public:
  using ModifyClientHandler = std::function<void(TAspect &, int &Dx, int &Dy)>;
  using BeforeResizingHandler = std::function<void(TAspect &, Rect &R)>;

  // Owner is the form's window handle (null in tests). The Win32 half hooks
  // it in Loaded and lets it go on destruction.
  explicit TAspect(void *OwnerWindow = nullptr) : FOwner(OwnerWindow) {}
  TAspect(const TAspect &) = delete;
  TAspect &operator=(const TAspect &) = delete;
  virtual ~TAspect();

  bool Active = true;
  int AspectX = 1;
  int AspectY = 1;
  // The ratio applies to the client area rather than the whole window.
  bool Client = true;
  ModifyClientHandler OnModifyClient;
  BeforeResizingHandler OnBeforeResizing;

  // The non-client sizes for a window of the given outer and client sizes,
  // after OnModifyClient had its say.
  void NonClientSizes(int WindowW, int WindowH, int ClientW, int ClientH, int &Dx, int &Dy);
  // Adjusts the proposed window rectangle for the dragged edge. Virtual so a
  // descendant can size differently.
  virtual void Sizing(SizingEdge Edge, Rect &R, int Dx, int Dy);
  // The maximised size for the proposed one, on a screen of ScreenH pixels.
  Size MaximizedSize(Size Proposed, int ScreenH, int Dx, int Dy);

  // Win32 only: installs the replacement message procedure on the owner.
  // False when there is no owner window or it is already hooked.
  bool Loaded();
  void Unhook();
  void *OwnerWindow() const { return FOwner; }

private:
  bool Ratio() const { return AspectX != 0 && AspectY != 0; }
  void *FOwner = nullptr;
  bool FHooked = false;
};

} // namespace controls
