#include "controls/Aspect.h"

#include <cstdint>
#include <limits>

namespace controls {

namespace {

int Clamp(int64_t V) {
  if (V > std::numeric_limits<int>::max())
    return std::numeric_limits<int>::max();
  if (V < std::numeric_limits<int>::min())
    return std::numeric_limits<int>::min();
  return static_cast<int>(V);
}

// A * Num / Den truncated towards zero. The sums built on it are made in 64
// bits and only then brought back into int, so that a saturated term never
// overflows when an edge or a frame size is added.
int64_t Scale(int64_t A, int Num, int Den) {
  return A * Num / Den;
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
    const int64_t W = int64_t(R.Right) - R.Left - Dx;
    const int64_t H = int64_t(R.Bottom) - R.Top - Dy;
    switch (Edge) {
    case SizingEdge::Left:
    case SizingEdge::TopRight:
      R.Top = Clamp(R.Bottom - Scale(W, AspectY, AspectX) - Dy);
      break;
    case SizingEdge::Right:
    case SizingEdge::BottomLeft:
      R.Bottom = Clamp(R.Top + Scale(W, AspectY, AspectX) + Dy);
      break;
    case SizingEdge::Top:
    case SizingEdge::TopLeft:
      R.Left = Clamp(R.Right - Scale(H, AspectX, AspectY) - Dx);
      break;
    case SizingEdge::Bottom:
    case SizingEdge::BottomRight:
      R.Right = Clamp(R.Left + Scale(H, AspectX, AspectY) + Dx);
      break;
    }
  }
  if (OnBeforeResizing)
    OnBeforeResizing(*this, R);
}

Size TAspect::MaximizedSize(Size Proposed, int ScreenH, int Dx, int Dy) {
  if (!Ratio())
    return Proposed;
  int64_t MW = Proposed.Cx;
  int64_t MH = Scale(MW, AspectY, AspectX);
  if (MH > ScreenH) {
    MH = Proposed.Cy;
    MW = Scale(MH, AspectX, AspectY);
  }
  Rect R{0, 0, Clamp(MW + Dx), Clamp(MH + Dy)};
  if (OnBeforeResizing)
    OnBeforeResizing(*this, R);
  return {Clamp(int64_t(R.Right) - R.Left), Clamp(int64_t(R.Bottom) - R.Top)};
}

} // namespace controls
