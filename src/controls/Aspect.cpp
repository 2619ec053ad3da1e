#include "controls/Aspect.h"

#include <cstdint>
#include <limits>

namespace controls {

namespace {

// A * Num / Den truncated towards zero, without overflowing int on the way.
int Scale(int A, int Num, int Den) {
  const int64_t V = static_cast<int64_t>(A) * Num / Den;
  if (V > std::numeric_limits<int>::max())
    return std::numeric_limits<int>::max();
  if (V < std::numeric_limits<int>::min())
    return std::numeric_limits<int>::min();
  return static_cast<int>(V);
}

} // namespace

TAspect::~TAspect() {
  OnModifyClient = nullptr;
  OnBeforeResizing = nullptr;
  Unhook();
}

void TAspect::NonClientSizes(int WindowW, int WindowH, int ClientW, int ClientH, int &Dx, int &Dy) {
  Dx = Client ? WindowW - ClientW : 0;
  Dy = Client ? WindowH - ClientH : 0;
  if (OnModifyClient)
    OnModifyClient(*this, Dx, Dy);
}

void TAspect::Sizing(SizingEdge Edge, Rect &R, int Dx, int Dy) {
  // A zero ratio term has no meaning; leave the rectangle as proposed.
  if (Ratio()) {
    const int W = R.Width() - Dx;
    const int H = R.Height() - Dy;
    switch (Edge) {
    case SizingEdge::Left:
    case SizingEdge::TopRight:
      R.Top = R.Bottom - Scale(W, AspectY, AspectX) - Dy;
      break;
    case SizingEdge::Right:
    case SizingEdge::BottomLeft:
      R.Bottom = R.Top + Scale(W, AspectY, AspectX) + Dy;
      break;
    case SizingEdge::Top:
    case SizingEdge::TopLeft:
      R.Left = R.Right - Scale(H, AspectX, AspectY) - Dx;
      break;
    case SizingEdge::Bottom:
    case SizingEdge::BottomRight:
      R.Right = R.Left + Scale(H, AspectX, AspectY) + Dx;
      break;
    }
  }
  if (OnBeforeResizing)
    OnBeforeResizing(*this, R);
}

Size TAspect::MaximizedSize(Size Proposed, int ScreenH, int Dx, int Dy) {
  if (!Ratio())
    return Proposed;
  int MW = Proposed.Cx;
  int MH = Scale(MW, AspectY, AspectX);
  if (MH > ScreenH) {
    MH = Proposed.Cy;
    MW = Scale(MH, AspectX, AspectY);
  }
  Rect R{0, 0, MW + Dx, MH + Dy};
  if (OnBeforeResizing)
    OnBeforeResizing(*this, R);
  return {R.Width(), R.Height()};
}

} // namespace controls
