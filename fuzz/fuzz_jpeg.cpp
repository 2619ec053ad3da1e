// The JPEG path on arbitrary bytes: format detection and the picture holder
// in front of libjpeg, whose fatal errors must come back as failures, never
// as exit(), a crash or output past the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/ExtendedPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  controls::PictureLimits Limits;
  Limits.MaxPixels = uint64_t{1} << 22; // keeps each run quick
  controls::PictureFormats Formats;
  controls::RegisterJpegFormat(Formats);
  controls::TExtendedPicture Picture(Formats, Limits);
  int Changes = 0;
  Picture.OnChange = [&] { ++Changes; };
  if (Picture.LoadFromMemory(Data, Size)) {
    const controls::Bitmap &B = Picture.Graphic();
    if (Changes != 1 || B.Empty() || B.Pixels.size() != static_cast<size_t>(B.Width) * B.Height)
      std::abort();
    for (controls::Pixel P : B.Pixels)
      if (P > 0xFFFFFF)
        std::abort();
  } else if (Changes != 0 || Picture.LastError().empty() || !Picture.Empty()) {
    std::abort();
  }
  return 0;
}
