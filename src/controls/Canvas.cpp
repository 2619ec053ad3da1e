#include "controls/Canvas.h"

namespace controls {

void Canvas::DottedHLine(int X0, int X1, int Y, Pixel Color) {
  for (int X = X0; X < X1; X += 2)
    SetPixel(X, Y, Color);
}

void Canvas::DottedVLine(int X, int Y0, int Y1, Pixel Color) {
  for (int Y = Y0; Y <= Y1; Y += 2)
    SetPixel(X, Y, Color);
}

void Canvas::Bevel(const Rect &R, Pixel TopLeft, Pixel BottomRight) {
  const int Right = R.Right - 1;
  const int Bottom = R.Bottom - 1;
  if (Right < R.Left || Bottom < R.Top)
    return;
  // The pen path of a classic 3-D edge: up the left, along the top, then down
  // the right and back along the bottom; line-to leaves each end point out.
  Line(R.Left, Bottom, R.Left, R.Top, TopLeft);
  Line(R.Left, R.Top, Right, R.Top, TopLeft);
  Line(Right, R.Top, Right, Bottom, BottomRight);
  Line(Right, Bottom, R.Left, Bottom, BottomRight);
  SetPixel(R.Left, Bottom, BottomRight);
}

} // namespace controls
