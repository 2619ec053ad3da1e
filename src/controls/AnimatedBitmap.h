// TAnimatedBitmap: a window-less control that plays an animation stored as
// one bitmap holding a grid of equally sized frames, numbered row by row. A
// timer advances ActivePicture; the current frame is stretched colour on
// colour onto the control's area. The portable half keeps the frame rules;
// AnimatedBitmap_win.cpp supplies the timer and the parent's device context.
#pragma once

#include "controls/Canvas.h"
#include "controls/ControlEvents.h"

#include <cstdint>

namespace controls {

class TAnimatedBitmap {
public:
  // The host's timer: Interval 0 means stopped.
  using TimerRequest = std::function<void(uint16_t Interval)>;

  uint16_t ActivePicture() const { return FActivePicture; }
  // Stores the index and paints at once.
  void SetActivePicture(uint16_t V);
  uint16_t Columns() const { return FColumns; }
  void SetColumns(uint16_t V);
  uint16_t Rows() const { return FRows; }
  void SetRows(uint16_t V);
  uint16_t Interval() const { return FInterval; }
  void SetInterval(uint16_t V);
  const controls::Bitmap &Bitmap() const { return FBitmap; }
  void SetBitmap(const controls::Bitmap &V);
  bool ReversePlay() const { return FReversePlay; }
  void SetReversePlay(bool V) { FReversePlay = V; }

  // Placement on the parent, in the parent's client coordinates.
  Rect Bounds() const { return FBounds; }
  void SetBounds(const Rect &R);
  bool Visible() const { return FVisible; }
  void SetVisible(bool V);
  int Tag = 0;

  // True when the bitmap covers the control exactly, so nothing behind it
  // needs painting first.
  bool Opaque() const { return FOpaque; }
  int FrameWidth() const { return FBitmap.Width / FColumns; }
  int FrameHeight() const { return FBitmap.Height / FRows; }
  uint16_t FrameCount() const;

  // The frame the next paint shows; in forward play an index beyond the grid
  // is reset to 0 first, which is why this is not const.
  uint16_t SelectFrame();
  // The selected frame's rectangle in the bitmap.
  Rect FrameRect(uint16_t Frame) const;
  // Draws the selected frame onto Target, stretched to fill Dst.
  void Paint(Canvas &Target, const Rect &Dst);
  // One timer step: forward adds one, reverse subtracts one or wraps from 0
  // to the last frame; then paints at once.
  void Tick();

  // Host hooks.
  RepaintRequest OnPaintNow;   // paint the control immediately
  RepaintRequest OnInvalidate; // the parent's area under the control changed
  TimerRequest OnTimer;

private:
  void BitmapChanged();

  uint16_t FActivePicture = 0;
  uint16_t FColumns = 1;
  uint16_t FRows = 1;
  uint16_t FInterval = 0;
  controls::Bitmap FBitmap;
  bool FReversePlay = false;
  Rect FBounds{0, 0, 30, 30};
  bool FVisible = true;
  bool FOpaque = false;
};

} // namespace controls
