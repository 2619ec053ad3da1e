#include "controls/AnimatedBitmap.h"

namespace controls {

void TAnimatedBitmap::SetActivePicture(uint16_t V) {
  FActivePicture = V;
  if (OnPaintNow)
    OnPaintNow();
}

void TAnimatedBitmap::SetColumns(uint16_t V) {
  // A grid needs at least one column and one row: 0 would divide the sheet by zero.
  if (V == 0 || V == FColumns)
    return;
  FColumns = V;
  if (OnInvalidate)
    OnInvalidate();
}

void TAnimatedBitmap::SetRows(uint16_t V) {
  if (V == 0 || V == FRows)
    return;
  FRows = V;
  if (OnInvalidate)
    OnInvalidate();
}

void TAnimatedBitmap::SetInterval(uint16_t V) {
  if (V == FInterval)
    return;
  FInterval = V;
  if (OnTimer)
    OnTimer(V);
}

void TAnimatedBitmap::SetBitmap(const controls::Bitmap &V) {
  FBitmap = V;
  BitmapChanged();
}

void TAnimatedBitmap::SetBounds(const Rect &R) {
  FBounds = R;
  FOpaque = FBitmap.Width == R.Width() && FBitmap.Height == R.Height();
  if (OnInvalidate)
    OnInvalidate();
}

void TAnimatedBitmap::SetVisible(bool V) {
  if (V == FVisible)
    return;
  FVisible = V;
  if (OnInvalidate)
    OnInvalidate();
}

void TAnimatedBitmap::BitmapChanged() {
  FOpaque = FBitmap.Width == FBounds.Width() && FBitmap.Height == FBounds.Height();
  if (OnInvalidate)
    OnInvalidate();
}

uint16_t TAnimatedBitmap::FrameCount() const {
  const unsigned N = static_cast<unsigned>(FColumns) * FRows;
  return static_cast<uint16_t>(N > 0xFFFF ? 0xFFFF : N);
}

uint16_t TAnimatedBitmap::SelectFrame() {
  const unsigned Count = static_cast<unsigned>(FColumns) * FRows;
  if (!FReversePlay) {
    if (FActivePicture >= Count)
      FActivePicture = 0;
    return FActivePicture;
  }
  // The highest frame not above ActivePicture.
  return static_cast<uint16_t>(FActivePicture < Count ? FActivePicture : Count - 1);
}

Rect TAnimatedBitmap::FrameRect(uint16_t Frame) const {
  const int W = FrameWidth(), H = FrameHeight();
  const int Col = Frame % FColumns, Row = Frame / FColumns;
  return {Col * W, Row * H, Col * W + W, Row * H + H};
}

void TAnimatedBitmap::Paint(Canvas &Target, const Rect &Dst) {
  if (!FVisible || FBitmap.Empty())
    return;
  const Rect Src = FrameRect(SelectFrame());
  if (Src.Width() <= 0 || Src.Height() <= 0)
    return;
  Target.StretchBitmap(Dst, FBitmap, Src);
}

void TAnimatedBitmap::Tick() {
  if (!FReversePlay)
    ++FActivePicture;
  else if (FActivePicture == 0)
    FActivePicture = static_cast<uint16_t>(FrameCount() - 1);
  else
    --FActivePicture;
  if (OnPaintNow)
    OnPaintNow();
}

} // namespace controls
