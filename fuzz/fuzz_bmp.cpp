// The bitmap reader on arbitrary bytes: it must fail or decode, never read
// outside the data, overflow or allocate past its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/BmpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  controls::PictureLimits Limits;
  Limits.MaxPixels = uint64_t{1} << 22; // keeps each run quick
  controls::Bitmap Out;
  std::string Error;
  if (controls::ReadBmp(Data, Size, Out, Error, Limits)) {
    if (Out.Width <= 0 || Out.Height <= 0 ||
        Out.Pixels.size() != static_cast<size_t>(Out.Width) * Out.Height)
      std::abort();
    for (controls::Pixel P : Out.Pixels)
      if (P > 0xFFFFFF)
        std::abort();
  } else if (Error.empty()) {
    std::abort();
  }
  return 0;
}
