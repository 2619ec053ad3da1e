// Reader of JPEG pictures held in memory, through libjpeg (libjpeg-turbo's
// libjpeg API): baseline and progressive, grey, colour and CMYK. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "controls/Bitmap.h"
#include "controls/ExtendedPictureLimits.h"

namespace controls {

// Decodes the JPEG stream in Data[0, Size). On success Out holds the picture
// and the result is true; on failure Out is left as it was and Error holds
// "JPEG error #<libjpeg message code>" or another reason. libjpeg's fatal
// errors never leave this function, and data that libjpeg only warns about
// but that means a damaged or truncated picture (premature end, bad Huffman
// codes, lost markers) counts as a failure as well.
//
// When the stream does not start with the start-of-image marker, one found
// within its first 30 bytes is used: the loader accepts such streams as JPEG
// when they carry "JFIF" there.
bool ReadJpeg(const uint8_t *Data, size_t Size, Bitmap &Out, std::string &Error,
              const PictureLimits &Limits = {});

} // namespace controls
