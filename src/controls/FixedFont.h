// A fixed-pitch bitmap font for the software raster: every printable ASCII
// character in a 6 x 11 cell, so text rectangles are exact and predictable.
#pragma once

#include <cstdint>

namespace controls::fixedfont {

constexpr int CellWidth = 6;
constexpr int CellHeight = 11;

// Row masks from the top, bit 5 is the leftmost column. Characters outside
// the printable ASCII range get a hollow box.
const uint8_t *Glyph(unsigned char Ch);

} // namespace controls::fixedfont
