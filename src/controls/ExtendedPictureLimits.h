// Bounds that every picture reader checks before it allocates pixels, so that
// a header claiming a huge picture fails cleanly instead of exhausting memory.
#pragma once

#include <cstdint>

namespace controls {

struct PictureLimits {
  int MaxSide = 65535;                    // pixels, either direction
  uint64_t MaxPixels = uint64_t{1} << 25; // 32 Mi pixels: 128 MiB decoded

  bool Allows(uint64_t Width, uint64_t Height) const {
    return Width > 0 && Height > 0 && Width <= static_cast<uint64_t>(MaxSide) &&
           Height <= static_cast<uint64_t>(MaxSide) && Width * Height <= MaxPixels;
  }
};

} // namespace controls
