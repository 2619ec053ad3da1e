// The plain picture type shared by the picture loader, the canvases and the
// controls: 32-bit pixels 0x00RRGGBB, rows from the top down, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace controls {

using Pixel = uint32_t;

constexpr Pixel Rgb(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<Pixel>(R) << 16 | static_cast<Pixel>(G) << 8 | B;
}
constexpr uint8_t RedOf(Pixel P) { return static_cast<uint8_t>(P >> 16); }
constexpr uint8_t GreenOf(Pixel P) { return static_cast<uint8_t>(P >> 8); }
constexpr uint8_t BlueOf(Pixel P) { return static_cast<uint8_t>(P); }

struct Bitmap {
  int Width = 0;
  int Height = 0;
  std::vector<Pixel> Pixels; // Width * Height

  Bitmap() = default;
  Bitmap(int W, int H, Pixel Fill = 0) { Resize(W, H, Fill); }
  // A size whose pixels cannot be counted in a size_t (a product of 2^32 or
  // more on a 32-bit system) fails like an allocation: std::bad_alloc, which
  // the picture readers catch. It would otherwise wrap to a small buffer.
  void Resize(int W, int H, Pixel Fill = 0) {
    const size_t NewW = W > 0 ? static_cast<size_t>(W) : 0;
    const size_t NewH = H > 0 ? static_cast<size_t>(H) : 0;
    if (NewH != 0 && NewW > Pixels.max_size() / NewH)
      throw std::bad_alloc();
    Pixels.assign(NewW * NewH, Fill);
    Width = static_cast<int>(NewW);
    Height = static_cast<int>(NewH);
  }
  bool Empty() const { return Width == 0 || Height == 0; }
  Pixel &At(int X, int Y) { return Pixels[static_cast<size_t>(Y) * Width + X]; }
  Pixel At(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
};

} // namespace controls
