// The drawing surface the self-drawn controls paint on. Two back ends share
// this interface: GDI on a memory DC (Windows) and a software raster
// (SoftCanvas, native tests). Coordinates are pixels, rectangles exclude their
// right and bottom edges, and everything outside the surface is clipped.
#pragma once

#include <cstddef> // Bitmap.h uses size_t without including it

#include "controls/Bitmap.h"

#include <memory>
#include <string>

namespace controls {

struct Rect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Contains(int X, int Y) const { return X >= Left && X < Right && Y >= Top && Y < Bottom; }
  bool operator==(const Rect &) const = default;
};

struct Size {
  int Cx = 0;
  int Cy = 0;
  bool operator==(const Size &) const = default;
};

// A font as the controls ask for it. Height follows the Windows convention:
// negative is the character height in pixels, positive the cell height.
struct Font {
  std::string Name = "MS Sans Serif";
  int Height = -11; // 8 point at 96 dots per inch
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  Pixel Color = 0;

  bool operator==(const Font &) const = default;
};

// Classic system colours; the Windows hosts replace them with the real ones.
constexpr Pixel ClWindow = Rgb(255, 255, 255);
constexpr Pixel ClBtnFace = Rgb(192, 192, 192);
constexpr Pixel ClNavy = Rgb(0, 0, 128);
constexpr Pixel ClGray = Rgb(128, 128, 128);
constexpr Pixel ClSilver = Rgb(192, 192, 192);
constexpr Pixel ClWhite = Rgb(255, 255, 255);
constexpr Pixel ClBlack = Rgb(0, 0, 0);

enum class CopyMode {
  Copy, // source replaces destination
  Xor,  // source XOR destination
};

class Canvas {
public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // New size; the whole surface becomes black. False when the surface could
  // not be made (the canvas is then empty).
  virtual bool Resize(int W, int H) = 0;

  virtual void FillRect(const Rect &R, Pixel Color) = 0;
  virtual void SetPixel(int X, int Y, Pixel Color) = 0;
  // Black outside the surface.
  virtual Pixel GetPixel(int X, int Y) const = 0;
  // A one-pixel pen line from (X0, Y0) towards (X1, Y1), the end point left
  // out, as a pen's line-to does.
  virtual void Line(int X0, int Y0, int X1, int Y1, Pixel Color) = 0;

  virtual Size TextExtent(const std::string &Text, const Font &F) = 0;
  // Background null: transparent; otherwise the text cell is filled first.
  virtual void WriteText(int X, int Y, const std::string &Text, const Font &F,
                       const Pixel *Background) = 0;

  virtual void DrawBitmap(int X, int Y, const Bitmap &B, CopyMode Mode) = 0;
  // Pixels of colour Transparent are left out.
  virtual void DrawTransparent(int X, int Y, const Bitmap &B, Pixel Transparent) = 0;
  // Colour-on-colour stretch (nearest pixel, nothing blended) of Src of B onto Dst.
  virtual void StretchBitmap(const Rect &Dst, const Bitmap &B, const Rect &Src) = 0;

  // A surface of the same kind, for off-screen work that CopyFrom brings back.
  virtual std::unique_ptr<Canvas> CreateCompatible(int W, int H) const = 0;
  // Src must come from CreateCompatible of a canvas of the same kind.
  virtual void CopyFrom(int X, int Y, const Canvas &Src, CopyMode Mode) = 0;

  virtual Bitmap Snapshot() const = 0;

  // Every other pixel from X0 (a dot) up to but not including X1.
  void DottedHLine(int X0, int X1, int Y, Pixel Color);
  // Every other pixel from Y0 (a dot) down to Y1 inclusive.
  void DottedVLine(int X, int Y0, int Y1, Pixel Color);
  // Frame of R: TopLeft on the left and top, BottomRight on the right and
  // bottom, the bottom-left corner in BottomRight (a sunken or raised edge).
  void Bevel(const Rect &R, Pixel TopLeft, Pixel BottomRight);
};

} // namespace controls
