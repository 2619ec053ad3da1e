// The software raster back end of Canvas: a plain Bitmap with clipping, used
// by native tests to check drawing pixel by pixel. Text uses the fixed 6 x 11
// font whatever the font's name; its cell is |Height| pixels high (11 for 0).
#pragma once

#include "controls/Canvas.h"

namespace controls {

class SoftCanvas : public Canvas {
public:
  SoftCanvas() = default;
  SoftCanvas(int W, int H) { Resize(W, H); }

  int Width() const override { return Surface.Width; }
  int Height() const override { return Surface.Height; }
  bool Resize(int W, int H) override;

  void FillRect(const Rect &R, Pixel Color) override;
  void SetPixel(int X, int Y, Pixel Color) override;
  Pixel GetPixel(int X, int Y) const override;
  void Line(int X0, int Y0, int X1, int Y1, Pixel Color) override;

  Size TextExtent(const std::string &Text, const Font &F) override;
  void WriteText(int X, int Y, const std::string &Text, const Font &F,
               const Pixel *Background) override;

  void DrawBitmap(int X, int Y, const Bitmap &B, CopyMode Mode) override;
  void DrawTransparent(int X, int Y, const Bitmap &B, Pixel Transparent) override;
  void StretchBitmap(const Rect &Dst, const Bitmap &B, const Rect &Src) override;

  std::unique_ptr<Canvas> CreateCompatible(int W, int H) const override;
  void CopyFrom(int X, int Y, const Canvas &Src, CopyMode Mode) override;

  Bitmap Snapshot() const override { return Surface; }
  const Bitmap &Pixels() const { return Surface; }

private:
  void Put(int X, int Y, Pixel P, CopyMode Mode);
  Bitmap Surface;
};

} // namespace controls
