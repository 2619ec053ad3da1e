// The GDI back end of Canvas: a 32-bit top-down DIB section selected into a
// memory DC, so GDI draws into it and its pixels can be read back directly.
#pragma once

#include "controls/Canvas.h"

#include <windows.h>

namespace controls {

class GdiCanvas : public Canvas {
public:
  GdiCanvas();
  GdiCanvas(int W, int H);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas &) = delete;
  GdiCanvas &operator=(const GdiCanvas &) = delete;

  HDC Dc() const { return FDc; }
  // Copies (SrcX, SrcY, W, H) of this surface to (X, Y) of Dest.
  void BlitTo(HDC Dest, int X, int Y, int W, int H, int SrcX = 0, int SrcY = 0) const;
  // Reads (X, Y, Width(), Height()) of Src into this surface.
  void GrabFrom(HDC Src, int X, int Y);

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
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

  Bitmap Snapshot() const override;

private:
  void Release();
  void SelectFont(const Font &F);

  HDC FDc = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  Pixel *FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  HFONT FFont = nullptr;
  HGDIOBJ FOldFont = nullptr;
  controls::Font FFontKey;
};

// The toolkit's colour for a Pixel, and back.
inline COLORREF ToColorRef(Pixel P) {
  return RGB(RedOf(P), GreenOf(P), BlueOf(P));
}
inline Pixel FromColorRef(COLORREF C) {
  return Rgb(GetRValue(C), GetGValue(C), GetBValue(C));
}

// The 8-point default font at the screen's resolution.
Font DefaultScreenFont();

} // namespace controls
