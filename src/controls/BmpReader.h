// Reader of Windows and OS/2 bitmap files (".bmp") held in memory: 1, 2, 4
// and 8 bits with a palette, 16, 24 and 32 bits direct colour (with or without
// bit-field masks), RLE8 and RLE4, bottom-up and top-down rows. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "controls/Bitmap.h"
#include "controls/ExtendedPictureLimits.h"

namespace controls {

// Decodes the bitmap file in Data[0, Size). On success Out holds the picture
// and the result is true; on failure Out is left as it was and Error says
// why. Every size and offset of the file is checked against Size.
bool ReadBmp(const uint8_t *Data, size_t Size, Bitmap &Out, std::string &Error,
             const PictureLimits &Limits = {});

} // namespace controls
