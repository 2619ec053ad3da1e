// The setup background composed once into a screen-sized surface: a colour
// or vertical gradient, the background picture (aligned, tiled or
// stretched), the still image groups and the title; and the placement of the
// animated image groups.
#pragma once

#include "controls/Canvas.h"
#include "package/SetupModel.h"

#include <cstdint>

namespace driver {

// Fills R with Start, then 128 bands from Start towards End (script
// colours; system colours resolved). The last band is exactly End.
void DrawGradient(controls::Canvas &C, const controls::Rect &R, uint32_t Start, uint32_t End);

struct Point {
  int X = 0;
  int Y = 0;
  bool operator==(const Point &) const = default;
};

// Where a w x h picture stands on a W x H surface by alignment code 0..8
// (rows top, middle, bottom; columns left, middle, right).
Point AlignedPosition(uint8_t Alignment, int W, int H, int w, int h);

// The first tile's corner when a picture at Aligned is tiled: moved up and
// left by whole tiles until it is at or above and left of the surface.
Point TileOrigin(Point Aligned, int w, int h);

// The background picture by BG_Display: 0 once, 1 tiled, 2 stretched.
void DrawBackgroundPicture(controls::Canvas &C, const controls::Bitmap *Picture, uint8_t Alignment,
                           uint8_t Display);

// An image group's place: horizontal and vertical alignment with the spaces
// in percent of W and H (32-bit products, divisions toward zero).
Point ImageGroupPosition(const package::ImageGroupType &G, int W, int H, int w, int h);

// The frame interval in milliseconds, 1000 / FramesPerSecond rounded; a
// rate of 0 or less counts as 10.
uint16_t FrameInterval(int32_t FramesPerSecond);

// Image groups of one non-empty frame that always show, drawn in place.
void DrawStaticImageGroups(controls::Canvas &C, const package::TOpenFileType &Model);

// The title in its font and colour; centred coordinates are stored back
// into the model. Dpi converts the point size.
void DrawTitle(controls::Canvas &C, package::TOpenFileType &Model, int Dpi);

// The whole composition onto C (its size is the screen's).
void ComposeBackgroundOn(controls::Canvas &C, package::TOpenFileType &Model, int Dpi);

// An animated image group: the strip of its frames (each in a cell of the
// largest frame size, at the cell's top left) and its place on the screen.
struct AnimationLayout {
  bool Animated = false; // at least two frames, a cell of at least 1 x 1
  int CellWidth = 0, CellHeight = 0;
  Point Place;
  uint16_t Interval = 0;
  controls::Bitmap Strip;
};
AnimationLayout LayOutAnimation(const package::ImageGroupType &G, int ScreenW, int ScreenH);

} // namespace driver
